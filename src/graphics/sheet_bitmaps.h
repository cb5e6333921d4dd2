// Turns a decoded PackedDib into what the draw modes read, and its colour
// table into palette entries.
//
// A sprite sheet is one plane of 8-bit palette indices and the colour each
// index paints. The draw modes read from it the two bitmaps that the raster
// operations combine: the mask, white exactly where the index is 0 and black
// elsewhere, and the colour version, index 0 black and every other index its
// table colour. AND with the mask clears a sprite's shape and keeps the rest;
// OR with the colour version then paints the shape. The settings window's art
// is still made as those two 32-bit bitmaps.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/packed_dib.h"
#include "graphics/pixel_buffer.h"
#include "seam/types.h"

namespace qs3 {

// Per-mille scale that leaves a sheet at full size (FullScreen, Configure).
inline constexpr std::int32_t kFullSizeScale = 1000;

// Palette indices, one byte a pixel, rows top-down.
class IndexPlane {
 public:
  IndexPlane() = default;
  // All indices 0; non-positive sizes give an empty plane.
  IndexPlane(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return indices_.empty(); }

  // x and y must lie inside the plane.
  std::uint8_t At(int x, int y) const { return indices_[Index(x, y)]; }
  std::uint8_t& At(int x, int y) { return indices_[Index(x, y)]; }
  const std::uint8_t* Row(int y) const { return indices_.data() + Index(0, y); }
  std::uint8_t* Row(int y) { return indices_.data() + Index(0, y); }
  std::span<const std::uint8_t> Indices() const { return indices_; }

  friend bool operator==(const IndexPlane&, const IndexPlane&) = default;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> indices_;
};

// The pixel each index paints: entry 0 and every index beyond the picture's
// colour table are black.
using SheetColours = std::array<std::uint32_t, 256>;

struct SpriteSheet {
  IndexPlane indices;
  SheetColours colours{};

  int Width() const { return indices.Width(); }
  int Height() const { return indices.Height(); }
  // The mask bitmap's pixel and the colour bitmap's pixel at (x, y).
  std::uint32_t MaskAt(int x, int y) const { return indices.At(x, y) == 0 ? kWhite : kBlack; }
  std::uint32_t ColourAt(int x, int y) const { return colours[indices.At(x, y)]; }
};

// Entry i is the stored table entry i, entry 0 included (only the colour
// version forces index 0 to black).
PaletteEntries MakePaletteEntries(const PackedDib& dib);

// The 32-bit colour and mask bitmaps of a picture.
PixelBuffer MakeColourBitmap(const PackedDib& dib);
PixelBuffer MakeMaskBitmap(const PackedDib& dib);

// The indices of an 8-bit or 1-bit picture, top-down.
IndexPlane MakeIndexPlane(const PackedDib& dib);
// What each index paints; only the header and colour table of `dib` are read.
SheetColours MakeSheetColours(const PackedDib& dib);

// length * scaleFactor / 1000, truncated toward zero, kept in 0..kMaxPackedSide.
int ScaledLength(int length, std::int32_t scaleFactor);

// Shrinks (or grows) a bitmap or plane to ScaledLength of each side by
// dropping or repeating rows and columns, never blending: target pixel (x, y)
// is source pixel (x * width / targetWidth, y * height / targetHeight),
// truncated. A target side of 0 gives an empty one.
PixelBuffer ScaleBitmap(const PixelBuffer& source, std::int32_t scaleFactor);
IndexPlane ScalePlane(const IndexPlane& source, std::int32_t scaleFactor);

// The sheet of a picture, its plane scaled unless scaleFactor is kFullSizeScale.
SpriteSheet MakeSpriteSheet(const PackedDib& dib, std::int32_t scaleFactor);

}  // namespace qs3
