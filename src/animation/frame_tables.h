// The constant frame tables of the quartet's movements: one table set per
// sprite sheet, each a table of source rectangles, a table of steps that
// holds all step sequences of the set one behind the other, and the index of
// each sequence's first step.
#pragma once

#include <cstdint>
#include <span>

namespace qs3 {

// A source rectangle in a sprite sheet at full size.
struct FrameRect {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t w = 0;
  std::int16_t h = 0;
  friend bool operator==(const FrameRect&, const FrameRect&) = default;
};

struct FrameStep {
  std::int16_t rect = 0;  // index into the rectangles of the same set
  std::int16_t hold = 0;  // extra ticks the step stays current
  // 0: go on with the next step. n > 0: this step closes a loop of n steps.
  std::int16_t loop = 0;
};

// Table set k belongs to sprite sheet k.
struct FrameTableSet {
  std::span<const FrameRect> rects;
  std::span<const FrameStep> steps;
  std::span<const std::int16_t> starts;
};

inline constexpr std::int32_t kFrameTableSetCount = 3;
// Every frame is one cell of a grid four cells wide.
inline constexpr std::int16_t kFrameCellWidth = 160;
inline constexpr std::int16_t kFrameCellHeight = 256;
inline constexpr std::int32_t kFrameGridColumns = 4;

// Set 0..2; the tables live for the whole process.
const FrameTableSet& FrameTables(std::int32_t set);

}  // namespace qs3
