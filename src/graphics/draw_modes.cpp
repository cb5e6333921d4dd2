#include "graphics/draw_modes.h"

#include <algorithm>
#include <initializer_list>

namespace qs3 {
namespace {

constexpr std::uint32_t SrcAnd(std::uint32_t dest, std::uint32_t source) {
  return dest & source;
}
constexpr std::uint32_t SrcPaint(std::uint32_t dest, std::uint32_t source) {
  return dest | source;
}
constexpr std::uint32_t SrcErase(std::uint32_t dest, std::uint32_t source) {
  return source & (~dest & kColourBits);
}
constexpr std::uint32_t DstInvert(std::uint32_t dest) {
  return ~dest & kColourBits;
}

// The offsets [first, last) of a rectangle's row or column whose destination
// and source both fall inside their bitmaps.
struct Span {
  std::int64_t first = 0;
  std::int64_t last = 0;
};

Span VisibleSpan(std::int32_t dest, std::int32_t src, std::int32_t length,
                 std::initializer_list<int> destLimits, std::initializer_list<int> srcLimits) {
  Span span{std::max<std::int64_t>({0, -std::int64_t{dest}, -std::int64_t{src}}), length};
  for (int limit : destLimits)
    span.last = std::min<std::int64_t>(span.last, limit - std::int64_t{dest});
  for (int limit : srcLimits)
    span.last = std::min<std::int64_t>(span.last, limit - std::int64_t{src});
  return span;
}

// The mask bitmap's pixel for a sheet index: white where transparent.
constexpr std::uint32_t MaskOf(std::uint8_t index) {
  return index == 0 ? kWhite : kBlack;
}

// Calls combine(composePixel, maskPixel, colourPixel, stagePixel, i, j) for
// every drawable pixel (i, j) of the rectangle, the mask and colour pixels
// read from the sheet's index there. `stage` may be null when the mode does
// not read it.
template <typename Combine>
void ForEachPixel(PixelBuffer& compose, const PixelBuffer* stage, const SpriteSheet& sheet,
                  const BlitRect& rect, Combine combine) {
  const int stageWidth = stage ? stage->Width() : compose.Width();
  const int stageHeight = stage ? stage->Height() : compose.Height();
  const Span columns = VisibleSpan(rect.destX, rect.srcX, rect.width, {compose.Width(), stageWidth},
                                   {sheet.Width()});
  const Span rows = VisibleSpan(rect.destY, rect.srcY, rect.height, {compose.Height(), stageHeight},
                                {sheet.Height()});
  const auto first = static_cast<int>(columns.first);
  const auto count = static_cast<int>(columns.last - columns.first);
  if (count <= 0) return;
  const auto destX = static_cast<int>(rect.destX + columns.first);
  const auto srcX = static_cast<int>(rect.srcX + columns.first);
  const SheetColours& colours = sheet.colours;
  // Row pointers taken once per row, at the first visible pixel, keep the
  // inner loop free of index arithmetic and of the test for the stage.
  for (std::int64_t j = rows.first; j < rows.last; ++j) {
    const auto destY = static_cast<int>(rect.destY + j);
    const auto srcY = static_cast<int>(rect.srcY + j);
    std::uint32_t* out = compose.Row(destY) + destX;
    const std::uint8_t* index = sheet.indices.Row(srcY) + srcX;
    const auto row = static_cast<int>(j);
    if (stage != nullptr) {
      const std::uint32_t* staged = stage->Row(destY) + destX;
      for (int k = 0; k < count; ++k)
        combine(out[k], MaskOf(index[k]), colours[index[k]], staged[k], first + k, row);
    } else {
      for (int k = 0; k < count; ++k)
        combine(out[k], MaskOf(index[k]), colours[index[k]], kBlack, first + k, row);
    }
  }
}

}  // namespace

void ClipToStage(BlitRect& rect, Size stageSize) {
  const auto wrap = [](std::int64_t value) { return static_cast<std::int32_t>(value); };
  if (rect.destX < 0) {
    rect.srcX = wrap(std::int64_t{rect.srcX} - rect.destX);
    rect.width = wrap(std::int64_t{rect.width} + rect.destX);
    rect.destX = 0;
  }
  if (std::int64_t{rect.destX} + rect.width > stageSize.width)
    rect.width = wrap(std::int64_t{stageSize.width} - rect.destX);
  if (rect.destY < 0) {
    rect.srcY = wrap(std::int64_t{rect.srcY} - rect.destY);
    rect.height = wrap(std::int64_t{rect.height} + rect.destY);
    rect.destY = 0;
  }
  if (std::int64_t{rect.destY} + rect.height > stageSize.height)
    rect.height = wrap(std::int64_t{stageSize.height} - rect.destY);
}

Rect DrawableArea(const BlitRect& rect, Size compose, Size sheet) {
  const Span columns =
      VisibleSpan(rect.destX, rect.srcX, rect.width, {compose.width}, {sheet.width});
  const Span rows =
      VisibleSpan(rect.destY, rect.srcY, rect.height, {compose.height}, {sheet.height});
  if (columns.last <= columns.first || rows.last <= rows.first) return {};
  return {static_cast<std::int32_t>(rect.destX + columns.first),
          static_cast<std::int32_t>(rect.destY + rows.first),
          static_cast<std::int32_t>(rect.destX + columns.last),
          static_cast<std::int32_t>(rect.destY + rows.last)};
}

void DrawOpaque(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect) {
  ForEachPixel(compose, nullptr, sheet, rect,
               [](std::uint32_t& out, std::uint32_t, std::uint32_t colour, std::uint32_t, int,
                  int) { out = colour; });
}

void DrawSprite(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect) {
  ForEachPixel(compose, nullptr, sheet, rect,
               [](std::uint32_t& out, std::uint32_t mask, std::uint32_t colour, std::uint32_t, int,
                  int) { out = SrcPaint(SrcAnd(out, mask), colour); });
}

void DrawSilhouette(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect) {
  ForEachPixel(compose, nullptr, sheet, rect,
               [](std::uint32_t& out, std::uint32_t mask, std::uint32_t, std::uint32_t, int, int) {
                 out = SrcAnd(out, mask);
               });
}

void DrawErase(PixelBuffer& compose, const PixelBuffer& stage, const SpriteSheet& sheet,
               const BlitRect& rect) {
  ForEachPixel(
      compose, &stage, sheet, rect,
      [](std::uint32_t& out, std::uint32_t mask, std::uint32_t, std::uint32_t staged, int, int) {
        // The shape turns black, then the background fills it from tmp.
        const std::uint32_t tmp = SrcErase(mask, staged);
        out = SrcPaint(SrcAnd(out, mask), tmp);
      });
}

void DrawFaded(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect,
               const FadePattern& pattern) {
  ForEachPixel(compose, nullptr, sheet, rect,
               [&pattern](std::uint32_t& out, std::uint32_t mask, std::uint32_t colour,
                          std::uint32_t, int i, int j) {
                 // The brush paints 1 bits white and 0 bits black.
                 const std::uint32_t brush = pattern.Bit(i, j) ? kWhite : kBlack;
                 // Black only where the sprite has a pixel and the bit is 1.
                 const std::uint32_t hole = SrcPaint(DstInvert(brush), mask);
                 out = SrcPaint(SrcAnd(out, hole), SrcAnd(brush, colour));
               });
}

}  // namespace qs3
