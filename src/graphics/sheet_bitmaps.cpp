#include "graphics/sheet_bitmaps.h"

#include <algorithm>

namespace qs3 {
namespace {

// A table colour as a pixel; an index beyond the table reads as black, like
// the zeroed entries of a short table.
std::uint32_t TableColour(const PackedDib& dib, std::uint8_t index) {
  if (index >= dib.colourCount) return kBlack;
  const RgbQuad& quad = dib.colours[index];
  return MakePixel(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
}

template <typename PixelOf>
PixelBuffer MapIndices(const PackedDib& dib, PixelOf pixelOf) {
  PixelBuffer out(dib.header.biWidth, dib.header.biHeight);
  for (int y = 0; y < out.Height(); ++y)
    for (int x = 0; x < out.Width(); ++x) out.At(x, y) = pixelOf(dib.IndexAt(x, y));
  return out;
}

// Nearest-neighbour resampling of anything with Width, Height and At.
template <typename Image>
Image ScaleNearest(const Image& source, std::int32_t scaleFactor) {
  Image target(ScaledLength(source.Width(), scaleFactor),
               ScaledLength(source.Height(), scaleFactor));
  for (int y = 0; y < target.Height(); ++y) {
    const auto sourceY = static_cast<int>(std::int64_t{y} * source.Height() / target.Height());
    for (int x = 0; x < target.Width(); ++x) {
      const auto sourceX = static_cast<int>(std::int64_t{x} * source.Width() / target.Width());
      target.At(x, y) = source.At(sourceX, sourceY);
    }
  }
  return target;
}

}  // namespace

IndexPlane::IndexPlane(int width, int height) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  indices_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

PaletteEntries MakePaletteEntries(const PackedDib& dib) {
  PaletteEntries palette;
  palette.count = std::clamp(dib.colourCount, 0, 256);
  for (int i = 0; i < palette.count; ++i) {
    const RgbQuad& quad = dib.colours[static_cast<std::size_t>(i)];
    palette.entries[static_cast<std::size_t>(i)] = {quad.rgbRed, quad.rgbGreen, quad.rgbBlue,
                                                    quad.rgbReserved};
  }
  return palette;
}

PixelBuffer MakeColourBitmap(const PackedDib& dib) {
  return MapIndices(
      dib, [&dib](std::uint8_t index) { return index == 0 ? kBlack : TableColour(dib, index); });
}

PixelBuffer MakeMaskBitmap(const PackedDib& dib) {
  return MapIndices(dib, [](std::uint8_t index) { return index == 0 ? kWhite : kBlack; });
}

IndexPlane MakeIndexPlane(const PackedDib& dib) {
  IndexPlane plane(dib.header.biWidth, dib.header.biHeight);
  if (plane.Empty()) return plane;
  if (dib.header.biBitCount == 8) {
    // The DIB's rows run bottom-up; each is copied whole.
    const std::size_t stride = dib.RowStride();
    const auto width = static_cast<std::size_t>(plane.Width());
    for (int y = 0; y < plane.Height(); ++y) {
      const std::size_t row = static_cast<std::size_t>(plane.Height() - 1 - y) * stride;
      std::copy_n(dib.pixels.begin() + static_cast<std::ptrdiff_t>(row), width, plane.Row(y));
    }
    return plane;
  }
  for (int y = 0; y < plane.Height(); ++y)
    for (int x = 0; x < plane.Width(); ++x) plane.At(x, y) = dib.IndexAt(x, y);
  return plane;
}

SheetColours MakeSheetColours(const PackedDib& dib) {
  SheetColours colours{};
  for (int index = 1; index < static_cast<int>(colours.size()); ++index)
    colours[static_cast<std::size_t>(index)] = TableColour(dib, static_cast<std::uint8_t>(index));
  return colours;
}

int ScaledLength(int length, std::int32_t scaleFactor) {
  const std::int64_t scaled = std::int64_t{length} * scaleFactor / 1000;
  return static_cast<int>(std::clamp<std::int64_t>(scaled, 0, kMaxPackedSide));
}

PixelBuffer ScaleBitmap(const PixelBuffer& source, std::int32_t scaleFactor) {
  return ScaleNearest(source, scaleFactor);
}

IndexPlane ScalePlane(const IndexPlane& source, std::int32_t scaleFactor) {
  return ScaleNearest(source, scaleFactor);
}

SpriteSheet MakeSpriteSheet(const PackedDib& dib, std::int32_t scaleFactor) {
  SpriteSheet sheet{MakeIndexPlane(dib), MakeSheetColours(dib)};
  if (scaleFactor != kFullSizeScale) sheet.indices = ScalePlane(sheet.indices, scaleFactor);
  return sheet;
}

}  // namespace qs3
