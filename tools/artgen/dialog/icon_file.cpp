#include "artgen/dialog/icon_file.h"

#include <algorithm>

namespace qs3::tools {

namespace {

constexpr std::uint32_t kBitmapInfoHeaderSize = 40;
constexpr std::uint32_t kIconDirSize = 6;
constexpr std::uint32_t kIconDirEntrySize = 16;
constexpr std::uint32_t kMaskAlphaBelow =
    128;  // mask bit set: transparent on displays without alpha

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

std::uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
  const unsigned char* row =
      cairo_image_surface_get_data(surface) +
      static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const std::uint32_t*>(row)[x];
}

// cairo keeps colour multiplied by alpha; the icon wants it straight.
std::uint8_t Unpremultiply(std::uint32_t channel, std::uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<std::uint8_t>(
      std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

void PutBitmapInfoHeader(std::vector<std::uint8_t>& out, int size, std::uint32_t imageBytes) {
  PutU32(out, kBitmapInfoHeaderSize);
  PutU32(out, static_cast<std::uint32_t>(size));
  PutU32(out, static_cast<std::uint32_t>(2 * size));  // colour rows and mask rows
  PutU16(out, 1);                                     // planes
  PutU16(out, 32);                                    // bits per pixel
  PutU32(out, 0);                                     // BI_RGB
  PutU32(out, imageBytes);
  PutU32(out, 0);  // pixels per metre, x and y
  PutU32(out, 0);
  PutU32(out, 0);  // colours used, important
  PutU32(out, 0);
}

}  // namespace

IconImage DibIconImage(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int size = cairo_image_surface_get_width(surface);
  const std::uint32_t maskStride = ((static_cast<std::uint32_t>(size) + 31) / 32) * 4;
  const std::uint32_t colourBytes = static_cast<std::uint32_t>(size * size * 4);
  IconImage image{size, {}};
  std::vector<std::uint8_t>& out = image.bytes;
  PutBitmapInfoHeader(out, size, colourBytes + maskStride * static_cast<std::uint32_t>(size));
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const std::uint32_t argb = PixelAt(surface, x, y);
      const std::uint32_t alpha = argb >> 24;
      out.push_back(Unpremultiply(argb & 0xFF, alpha));
      out.push_back(Unpremultiply((argb >> 8) & 0xFF, alpha));
      out.push_back(Unpremultiply((argb >> 16) & 0xFF, alpha));
      out.push_back(static_cast<std::uint8_t>(alpha));
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < size; ++x) {
      if ((PixelAt(surface, x, y) >> 24) < kMaskAlphaBelow)
        row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return image;
}

IconImage PngIconImage(cairo_surface_t* surface) {
  IconImage image{cairo_image_surface_get_width(surface), {}};
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
        bytes->insert(bytes->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &image.bytes);
  return image;
}

std::vector<std::uint8_t> AssembleIconFile(const std::vector<IconImage>& images) {
  std::vector<std::uint8_t> out;
  PutU16(out, 0);  // reserved
  PutU16(out, 1);  // resource type: icon
  PutU16(out, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset =
      kIconDirSize + kIconDirEntrySize * static_cast<std::uint32_t>(images.size());
  for (const IconImage& image : images) {
    const auto edge = static_cast<std::uint8_t>(image.size >= 256 ? 0 : image.size);  // 0 means 256
    out.push_back(edge);
    out.push_back(edge);
    out.push_back(0);  // colour count: not a palette image
    out.push_back(0);  // reserved
    PutU16(out, 1);    // planes
    PutU16(out, 32);   // bits per pixel
    PutU32(out, static_cast<std::uint32_t>(image.bytes.size()));
    PutU32(out, offset);
    offset += static_cast<std::uint32_t>(image.bytes.size());
  }
  for (const IconImage& image : images)
    out.insert(out.end(), image.bytes.begin(), image.bytes.end());
  return out;
}

}  // namespace qs3::tools
