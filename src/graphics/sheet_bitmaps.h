// Turns a decoded PackedDib into the bitmaps the draw modes combine, and its
// colour table into palette entries.
//
// The colour version shows index 0 as black and every other index as its
// table colour; the mask version is white exactly where the index is 0 and
// black elsewhere. AND with the mask clears a sprite's shape and keeps the
// rest; OR with the colour version then paints the shape.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/packed_dib.h"
#include "graphics/pixel_buffer.h"
#include "seam/types.h"

namespace qs3 {

// Per-mille scale that leaves a sheet at full size (FullScreen, Configure).
inline constexpr std::int32_t kFullSizeScale = 1000;

struct SpriteSheet {
  PixelBuffer mask;
  PixelBuffer colour;
};

// Entry i is the stored table entry i, entry 0 included (only the colour
// bitmaps force index 0 to black).
PaletteEntries MakePaletteEntries(const PackedDib& dib);

PixelBuffer MakeColourBitmap(const PackedDib& dib);
PixelBuffer MakeMaskBitmap(const PackedDib& dib);

// length * scaleFactor / 1000, truncated toward zero, kept in 0..kMaxPackedSide.
int ScaledLength(int length, std::int32_t scaleFactor);

// Shrinks (or grows) a bitmap to ScaledLength of each side by dropping or
// repeating rows and columns, never blending: target pixel (x, y) is source
// pixel (x * width / targetWidth, y * height / targetHeight), truncated. A
// target side of 0 gives an empty buffer.
PixelBuffer ScaleBitmap(const PixelBuffer& source, std::int32_t scaleFactor);

// Both versions, scaled unless scaleFactor is kFullSizeScale.
SpriteSheet MakeSpriteSheet(const PackedDib& dib, std::int32_t scaleFactor);

}  // namespace qs3
