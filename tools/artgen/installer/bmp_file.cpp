#include "artgen/installer/bmp_file.h"

#include <cstddef>

namespace qs3::tools {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const auto rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);

  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, kFileHeaderSize + kInfoHeaderSize + imageBytes);
  PutU32(out, 0);  // reserved
  PutU32(out, kFileHeaderSize + kInfoHeaderSize);
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<std::uint32_t>(width));
  PutU32(out, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
  PutU16(out, 1);                                   // planes
  PutU16(out, 24);                                  // bits per pixel
  PutU32(out, 0);                                   // BI_RGB
  PutU32(out, imageBytes);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, 0);  // colours used, important
  PutU32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      // Premultiplied channels are the colour composed over black.
      out.push_back(static_cast<std::uint8_t>(row[x] & 0xFF));
      out.push_back(static_cast<std::uint8_t>((row[x] >> 8) & 0xFF));
      out.push_back(static_cast<std::uint8_t>((row[x] >> 16) & 0xFF));
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < rowBytes; ++pad)
      out.push_back(0);
  }
  return out;
}

}  // namespace qs3::tools
