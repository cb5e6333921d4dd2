// What the password hooks expect of the OS: one registry value and modules
// loaded by name at run time. Entry points stay opaque to the core; the front
// end calls them with the right signature.
#pragma once

#include <cstdint>

#include "seam/types.h"

namespace qs3 {

using ModuleHandle = std::intptr_t;  // 0: not loaded
using EntryPoint = std::intptr_t;    // 0: no such entry

class PasswordSystem {
 public:
  virtual ~PasswordSystem() = default;

  // "ScreenSaveUsePassword" under HKCU "Control Panel\desktop": 4 bytes read into
  // a zeroed 32-bit buffer whatever the value's type; 0 when the key or value
  // is missing or the query fails.
  virtual std::uint32_t ReadUsePasswordValue() = 0;

  // Loads a module from the system folder only; 0 when it can't be loaded.
  virtual ModuleHandle LoadSystemModule(const char* name) = 0;
  virtual EntryPoint FindEntry(ModuleHandle module, const char* name) = 0;
  virtual void ReleaseModule(ModuleHandle module) = 0;

  // BOOL VerifyScreenSavePwd(HWND).
  virtual std::int32_t CallVerifyPassword(EntryPoint entry, WindowHandle window) = 0;
  // DWORD PwdChangePasswordA(LPCSTR provider, HWND, DWORD, DWORD).
  virtual void CallChangePassword(EntryPoint entry, const char* provider, WindowHandle window,
                                  std::uint32_t reserved1, std::uint32_t reserved2) = 0;
};

}  // namespace qs3
