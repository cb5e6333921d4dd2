#include "frontends/win32/win32_gdi.h"

#include <cstddef>
#include <vector>

namespace qs3::win32 {

UniquePalette CreateLogicalPalette(const PaletteEntries& palette) {
  if (palette.count <= 0 || palette.count > static_cast<int>(palette.entries.size())) return {};
  // LOGPALETTE ends in a one-entry array; the storage holds all of them.
  std::vector<std::byte> storage(sizeof(LOGPALETTE) +
                                 sizeof(PALETTEENTRY) * static_cast<std::size_t>(palette.count));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(palette.count);
  for (int i = 0; i < palette.count; ++i) {
    const PaletteEntry& entry = palette.entries[static_cast<std::size_t>(i)];
    logical->palPalEntry[i] = {entry.red, entry.green, entry.blue, entry.flags};
  }
  return UniquePalette(CreatePalette(logical));
}

void DrawPixels(HDC dc, const std::uint32_t* pixels, Size size) {
  if (dc == nullptr || pixels == nullptr || size.width <= 0 || size.height <= 0) return;
  // 32 bits per pixel, rows top-down: 0x00RRGGBB in little-endian memory is
  // already the blue, green, red, unused byte order of such a DIB.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const auto height = static_cast<DWORD>(size.height);
  SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(size.width), height, 0, 0, 0,
                    static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS);
}

}  // namespace qs3::win32
