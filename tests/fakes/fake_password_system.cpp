#include "fakes/fake_password_system.h"

namespace qs3::fakes {

std::uint32_t FakePasswordSystem::ReadUsePasswordValue() {
  log_.Add("ReadUsePassword");
  return usePasswordValue;
}

ModuleHandle FakePasswordSystem::LoadSystemModule(const char* name) {
  log_.Add(std::string("Load ") + name);
  if (!modules.contains(name)) return 0;
  ++loadedNow;
  return 0x1000;
}

EntryPoint FakePasswordSystem::FindEntry(ModuleHandle, const char* name) {
  log_.Add(std::string("Find ") + name);
  return entries.contains(name) ? 0x2000 : 0;
}

void FakePasswordSystem::ReleaseModule(ModuleHandle) {
  log_.Add("Free");
  --loadedNow;
}

std::int32_t FakePasswordSystem::CallVerifyPassword(EntryPoint, WindowHandle window) {
  log_.Add("Verify " + std::to_string(window));
  if (duringPrompt) duringPrompt();
  return verifyResult;
}

void FakePasswordSystem::CallChangePassword(EntryPoint, const char* provider, WindowHandle window,
                                            std::uint32_t reserved1, std::uint32_t reserved2) {
  log_.Add(std::string("Change ") + provider + " " + std::to_string(window) + " " +
           std::to_string(reserved1) + " " + std::to_string(reserved2));
}

}  // namespace qs3::fakes
