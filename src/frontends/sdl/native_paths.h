// Where the native saver finds its data folder when neither a signature file
// in the current directory nor a settings entry names one.
#pragma once

#include <functional>
#include <string>

namespace qs3::sdl {

// The user's own folder when it exists, else the installed one when that
// exists, else the user's (which then holds no music: the saver runs silent).
std::string ChooseDefaultDataFolder(const std::string& userFolder,
                                    const std::string& installedFolder,
                                    const std::function<bool(const std::string&)>& exists);

}  // namespace qs3::sdl
