// The OS's screen-saver password entries, reached through the registry and
// modules loaded from the system folder only.
#pragma once

#include "seam/password_system.h"

namespace qs3::win32 {

class Win32PasswordSystem final : public PasswordSystem {
 public:
  std::uint32_t ReadUsePasswordValue() override;
  ModuleHandle LoadSystemModule(const char* name) override;
  EntryPoint FindEntry(ModuleHandle module, const char* name) override;
  void ReleaseModule(ModuleHandle module) override;
  std::int32_t CallVerifyPassword(EntryPoint entry, WindowHandle window) override;
  void CallChangePassword(EntryPoint entry, const char* provider, WindowHandle window,
                          std::uint32_t reserved1, std::uint32_t reserved2) override;
};

}  // namespace qs3::win32
