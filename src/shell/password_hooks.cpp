#include "shell/password_hooks.h"

namespace qs3 {
namespace {

// Frees the module on every path out of a hook.
class LoadedModule {
 public:
  LoadedModule(PasswordSystem& system, const char* name)
      : system_(system), handle_(system.LoadSystemModule(name)) {}
  ~LoadedModule() {
    if (handle_ != 0) system_.ReleaseModule(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool loaded() const { return handle_ != 0; }
  EntryPoint Find(const char* entry) const { return system_.FindEntry(handle_, entry); }

 private:
  PasswordSystem& system_;
  ModuleHandle handle_;
};

}  // namespace

std::int32_t CheckPassword(PasswordSystem& system, WindowHandle window) {
  if (system.ReadUsePasswordValue() == 0) return 1;
  const LoadedModule module(system, kVerifyModule);
  if (!module.loaded()) return 1;
  const EntryPoint verify = module.Find(kVerifyEntry);
  if (verify == 0) return 1;
  return system.CallVerifyPassword(verify, window);
}

void RunPasswordChange(PasswordSystem& system, WindowHandle window) {
  const LoadedModule module(system, kChangeModule);
  if (!module.loaded()) return;
  const EntryPoint change = module.Find(kChangeEntry);
  if (change != 0) system.CallChangePassword(change, kPasswordProvider, window, 0, 0);
}

}  // namespace qs3
