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
  DrawPixels(dc, pixels, size, {0, 0, size.width, size.height});
}

void DrawPixels(HDC dc, const std::uint32_t* pixels, Size size, const Rect& rect) {
  if (dc == nullptr || pixels == nullptr || size.width <= 0 || size.height <= 0) return;
  if (rect.left < 0 || rect.top < 0 || rect.right > size.width || rect.bottom > size.height ||
      rect.right <= rect.left || rect.bottom <= rect.top) {
    return;
  }
  // 32 bits per pixel, rows top-down: 0x00RRGGBB in little-endian memory is
  // already the blue, green, red, unused byte order of such a DIB. The DIB
  // handed over is the band of the rectangle's rows, so its source rows are
  // all of it and the bottom-up origin of SetDIBitsToDevice never comes in.
  const int rows = rect.bottom - rect.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -rows;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const std::uint32_t* band =
      pixels + static_cast<std::size_t>(rect.top) * static_cast<std::size_t>(size.width);
  SetDIBitsToDevice(dc, rect.left, rect.top, static_cast<DWORD>(rect.right - rect.left),
                    static_cast<DWORD>(rows), rect.left, 0, 0, static_cast<UINT>(rows), band, &info,
                    DIB_RGB_COLORS);
}

}  // namespace qs3::win32
