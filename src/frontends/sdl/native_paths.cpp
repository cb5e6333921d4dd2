#include "frontends/sdl/native_paths.h"

namespace qs3::sdl {

std::string ChooseDefaultDataFolder(const std::string& userFolder,
                                    const std::string& installedFolder,
                                    const std::function<bool(const std::string&)>& exists) {
  if (!userFolder.empty() && exists(userFolder)) return userFolder;
  if (!installedFolder.empty() && exists(installedFolder)) return installedFolder;
  return userFolder;
}

}  // namespace qs3::sdl
