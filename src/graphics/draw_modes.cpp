#include "graphics/draw_modes.h"

#include <algorithm>
#include <cstring>
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

// Whether the eight indices from `index` are all 0 (transparent).
bool EightTransparent(const std::uint8_t* index) {
  std::uint64_t eight = 0;
  std::memcpy(&eight, index, sizeof eight);
  return eight == 0;
}

// One row of a rectangle, cut to what can be drawn: `count` pixels from the
// rectangle's column `first`, in row `row` of the rectangle.
struct RowSpan {
  std::uint32_t* out;           // the ComposeBuffer
  const std::uint8_t* index;    // the sheet's indices
  const std::uint32_t* staged;  // the StageBuffer; null when the mode does not read it
  int count;
  int first;
  int row;
};

// Calls drawRow(RowSpan) for every row of the rectangle that has drawable
// pixels. `stage` may be null when the mode does not read it.
template <typename DrawRow>
void ForEachRow(PixelBuffer& compose, const PixelBuffer* stage, const SpriteSheet& sheet,
                const BlitRect& rect, DrawRow drawRow) {
  const int stageWidth = stage ? stage->Width() : compose.Width();
  const int stageHeight = stage ? stage->Height() : compose.Height();
  const Span columns = VisibleSpan(rect.destX, rect.srcX, rect.width, {compose.Width(), stageWidth},
                                   {sheet.Width()});
  const Span rows = VisibleSpan(rect.destY, rect.srcY, rect.height, {compose.Height(), stageHeight},
                                {sheet.Height()});
  const auto count = static_cast<int>(columns.last - columns.first);
  if (count <= 0) return;
  const auto destX = static_cast<int>(rect.destX + columns.first);
  const auto srcX = static_cast<int>(rect.srcX + columns.first);
  for (std::int64_t j = rows.first; j < rows.last; ++j) {
    const auto destY = static_cast<int>(rect.destY + j);
    const auto srcY = static_cast<int>(rect.srcY + j);
    drawRow(RowSpan{compose.Row(destY) + destX, sheet.indices.Row(srcY) + srcX,
                    stage != nullptr ? stage->Row(destY) + destX : nullptr, count,
                    static_cast<int>(columns.first), static_cast<int>(j)});
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
  const SheetColours& colours = sheet.colours;
  ForEachRow(compose, nullptr, sheet, rect, [&colours](const RowSpan& r) {
    for (int k = 0; k < r.count; ++k) r.out[k] = colours[r.index[k]];
  });
}

void DrawSprite(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect) {
  const SheetColours& colours = sheet.colours;
  ForEachRow(compose, nullptr, sheet, rect, [&colours](const RowSpan& r) {
    int k = 0;
    while (k < r.count) {
      // Where the mask is white the AND keeps the pixel and the colour
      // version's black ORs nothing into it: a transparent stretch is left
      // as it is, eight pixels at a time.
      if (k + 8 <= r.count && EightTransparent(r.index + k)) {
        k += 8;
        continue;
      }
      const std::uint8_t p = r.index[k];
      r.out[k] = SrcPaint(SrcAnd(r.out[k], MaskOf(p)), colours[p]);
      ++k;
    }
  });
}

void DrawSilhouette(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect) {
  ForEachRow(compose, nullptr, sheet, rect, [](const RowSpan& r) {
    for (int k = 0; k < r.count; ++k) r.out[k] = SrcAnd(r.out[k], MaskOf(r.index[k]));
  });
}

void DrawErase(PixelBuffer& compose, const PixelBuffer& stage, const SpriteSheet& sheet,
               const BlitRect& rect) {
  ForEachRow(compose, &stage, sheet, rect, [](const RowSpan& r) {
    for (int k = 0; k < r.count; ++k) {
      // The shape turns black, then the background fills it from tmp.
      const std::uint32_t mask = MaskOf(r.index[k]);
      const std::uint32_t tmp = SrcErase(mask, r.staged[k]);
      r.out[k] = SrcPaint(SrcAnd(r.out[k], mask), tmp);
    }
  });
}

void DrawFaded(PixelBuffer& compose, const SpriteSheet& sheet, const BlitRect& rect,
               const FadePattern& pattern) {
  const SheetColours& colours = sheet.colours;
  ForEachRow(compose, nullptr, sheet, rect, [&colours, &pattern](const RowSpan& r) {
    // The pattern's row for this row of the rectangle, its bits from the left.
    const unsigned bits = pattern.rows[static_cast<std::size_t>(r.row % 8)];
    int k = 0;
    while (k < r.count) {
      // Transparent stretches stay as they are, whatever the pattern.
      if (k + 8 <= r.count && EightTransparent(r.index + k)) {
        k += 8;
        continue;
      }
      const std::uint8_t p = r.index[k];
      // The brush paints 1 bits white and 0 bits black.
      const std::uint32_t brush = ((bits >> (7 - ((r.first + k) & 7))) & 1) != 0 ? kWhite : kBlack;
      // Black only where the sprite has a pixel and the bit is 1.
      const std::uint32_t hole = SrcPaint(DstInvert(brush), MaskOf(p));
      r.out[k] = SrcPaint(SrcAnd(r.out[k], hole), SrcAnd(brush, colours[p]));
      ++k;
    }
  });
}

}  // namespace qs3
