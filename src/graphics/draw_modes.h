// The five ways of putting a sheet rectangle onto the stage, computed per
// pixel with the same raster operations a display driver would apply:
// SRCCOPY D = S, SRCAND D = D & S, SRCPAINT D = D | S, SRCERASE D = S & ~D,
// DSTINVERT D = ~D (colour bits only, so the top byte stays 0).
//
// Every routine draws only the pixels whose destination lies in the
// ComposeBuffer and whose source lies in the sheet (and, for DrawErase, in
// the StageBuffer); a rectangle of zero or negative size draws nothing. Any
// rectangle is safe, clipped or not, however hostile its fields. The mask and
// colour bitmaps are read from the sheet's index plane (sheet_bitmaps.h).
#pragma once

#include <array>
#include <cstdint>

#include "graphics/pixel_buffer.h"
#include "graphics/sheet_bitmaps.h"
#include "seam/types.h"

namespace qs3 {

struct BlitRect {
  std::int32_t destX = 0;
  std::int32_t destY = 0;
  std::int32_t srcX = 0;
  std::int32_t srcY = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const BlitRect&, const BlitRect&) = default;
};

// Moves the left and top edges onto the stage, dragging the source corner
// along; the right and bottom edges only shrink the size. The arithmetic wraps
// at 32 bits as the fields do.
void ClipToStage(BlitRect& rect, Size stageSize);

// The destination pixels a draw routine may change for this rectangle: those
// inside a ComposeBuffer of `compose` size whose source lies inside a sheet of
// `sheet` size. An empty rectangle (right == left) when there are none.
Rect DrawableArea(const BlitRect& rect, Size compose, Size sheet);

// 8 x 8 monochrome pattern, rows top to bottom, the most significant bit the
// leftmost pixel.
struct FadePattern {
  std::array<std::uint8_t, 8> rows{};
  bool Bit(int x, int y) const { return ((rows[y % 8] >> (7 - x % 8)) & 1) != 0; }
};

inline constexpr int kFadePatternCount = 8;
// From nearly opaque (60 of 64 bits set) down to 8 of 64.
inline constexpr std::array<FadePattern, kFadePatternCount> kFadePatterns{{
    {{0xFF, 0xFF, 0xFF, 0x77, 0xFF, 0xFF, 0xFF, 0x77}},
    {{0xFF, 0xDD, 0xFF, 0x77, 0xFF, 0xDD, 0xFF, 0x77}},
    {{0xFF, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF, 0x55}},
    {{0xEE, 0x55, 0xBB, 0x55, 0xEE, 0x55, 0xBB, 0x55}},
    {{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}},
    {{0xAA, 0x44, 0xAA, 0x11, 0xAA, 0x44, 0xAA, 0x11}},
    {{0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00}},
    {{0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00}},
}};

// compose <- colour (index 0 shows black).
void DrawOpaque(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect);
// compose <- mask AND, then colour OR: the sprite over what was there.
void DrawSprite(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect);
// compose <- mask AND: the sprite's shape in black.
void DrawSilhouette(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect);
// Puts the StageBuffer back under the sprite's shape.
void DrawErase(PixelBuffer& compose, const PixelBuffer& stage, const SpriteSheet& sheet,
               const BlitRect& rect);
// The sprite where the pattern bit is 1; the pattern is anchored at the
// rectangle's destination corner, so pixel (i, j) of the rectangle uses bit
// (i mod 8) of row (j mod 8).
void DrawFaded(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect,
               const FadePattern& pattern);

}  // namespace qs3
