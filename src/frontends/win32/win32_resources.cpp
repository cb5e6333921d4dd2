#include "frontends/win32/win32_resources.h"

namespace qs3::win32 {

std::optional<ResourceBytes> Win32ResourceSource::FindResourceBytes(int id) {
  if (id <= 0 || id > 0xFFFF) return std::nullopt;
  HRSRC found = FindResourceA(instance_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(instance_, found);
  const DWORD size = SizeofResource(instance_, found);
  // Resources of a loaded module need no unlock or free: they live as long as it.
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return ResourceBytes(static_cast<const std::uint8_t*>(bytes), size);
}

}  // namespace qs3::win32
