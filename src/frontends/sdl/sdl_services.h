// The smaller services of the native front end: no screen-saver password
// (the desktop's locker owns that), and music files named the Windows way.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "audio/riff_reader.h"
#include "seam/password_system.h"
#include "seam/wave_device.h"

namespace qs3::sdl {

class NoPasswordSystem final : public PasswordSystem {
 public:
  std::uint32_t ReadUsePasswordValue() override { return 0; }
  ModuleHandle LoadSystemModule(const char*) override { return 0; }
  EntryPoint FindEntry(ModuleHandle, const char*) override { return 0; }
  void ReleaseModule(ModuleHandle) override {}
  std::int32_t CallVerifyPassword(EntryPoint, WindowHandle) override { return 1; }
  void CallChangePassword(EntryPoint, const char*, WindowHandle, std::uint32_t,
                          std::uint32_t) override {}
};

// The saver composes "folder\BGM10.SSS" as on Windows; here the separator is '/'.
class PosixMusicFiles final : public MusicFiles {
 public:
  std::unique_ptr<MusicFile> Open(const char* path) override {
    if (path == nullptr) return nullptr;
    std::string posix(path);
    std::replace(posix.begin(), posix.end(), '\\', '/');
    return files_.Open(posix.c_str());
  }

 private:
  StdioMusicFiles files_;
};

}  // namespace qs3::sdl
