// Scripted registry value and password modules; records loads, frees and calls.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "fakes/call_log.h"
#include "seam/password_system.h"

namespace qs3::fakes {

class FakePasswordSystem final : public PasswordSystem {
 public:
  explicit FakePasswordSystem(CallLog& log) : log_(log) {}

  // Script.
  std::uint32_t usePasswordValue = 0;
  std::set<std::string> modules;  // modules that load
  std::set<std::string> entries;  // entries that the loaded modules export
  std::int32_t verifyResult = 1;
  // Runs inside the verify call, as the OS's prompt runs a nested message loop.
  std::function<void()> duringPrompt;

  // Observed.
  int loadedNow = 0;  // modules loaded and not yet freed

  std::uint32_t ReadUsePasswordValue() override;
  ModuleHandle LoadSystemModule(const char* name) override;
  EntryPoint FindEntry(ModuleHandle module, const char* name) override;
  void ReleaseModule(ModuleHandle module) override;
  std::int32_t CallVerifyPassword(EntryPoint entry, WindowHandle window) override;
  void CallChangePassword(EntryPoint entry, const char* provider, WindowHandle window,
                          std::uint32_t reserved1, std::uint32_t reserved2) override;

 private:
  CallLog& log_;
};

}  // namespace qs3::fakes
