#include "frontends/win32/win32_password.h"

#include <windows.h>

#include <string>

#include "frontends/win32/win32_handles.h"

namespace qs3::win32 {
namespace {

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

class RegistryKey {
 public:
  RegistryKey(HKEY root, const char* path) {
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The module's full path in the system folder, for systems whose loader does
// not know LOAD_LIBRARY_SEARCH_SYSTEM32.
HMODULE LoadFromSystemFolderByPath(const char* name) {
  char folder[MAX_PATH]{};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder, length) + "\\" + name;
  return LoadLibraryA(path.c_str());
}

}  // namespace

std::uint32_t Win32PasswordSystem::ReadUsePasswordValue() {
  const RegistryKey desktop(HKEY_CURRENT_USER, "Control Panel\\desktop");
  if (desktop.get() == nullptr) return 0;
  // Four bytes whatever the value's type; anything else that arrives reads as 0.
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExA(desktop.get(), "ScreenSaveUsePassword", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) {
    return 0;
  }
  return value;
}

ModuleHandle Win32PasswordSystem::LoadSystemModule(const char* name) {
  // Only the system folder: a module planted beside the saver or in the
  // current folder is never loaded.
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    module = LoadFromSystemFolderByPath(name);
  }
  return reinterpret_cast<ModuleHandle>(module);
}

EntryPoint Win32PasswordSystem::FindEntry(ModuleHandle module, const char* name) {
  return reinterpret_cast<EntryPoint>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void Win32PasswordSystem::ReleaseModule(ModuleHandle module) {
  FreeLibrary(reinterpret_cast<HMODULE>(module));
}

std::int32_t Win32PasswordSystem::CallVerifyPassword(EntryPoint entry, WindowHandle window) {
  const auto verify = reinterpret_cast<VerifyScreenSavePwdFn>(entry);
  return verify(ToHwnd(window));
}

void Win32PasswordSystem::CallChangePassword(EntryPoint entry, const char* provider,
                                             WindowHandle window, std::uint32_t reserved1,
                                             std::uint32_t reserved2) {
  const auto change = reinterpret_cast<PwdChangePasswordFn>(entry);
  change(provider, ToHwnd(window), reserved1, reserved2);
}

}  // namespace qs3::win32
