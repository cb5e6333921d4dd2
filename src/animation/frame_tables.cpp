#include "animation/frame_tables.h"

#include <array>
#include <cstddef>

namespace qs3 {
namespace {

template <std::size_t Count>
constexpr std::array<FrameRect, Count> GridRects() {
  std::array<FrameRect, Count> rects{};
  for (std::size_t i = 0; i < Count; ++i) {
    rects[i] = {static_cast<std::int16_t>(kFrameCellWidth * (i % kFrameGridColumns)),
                static_cast<std::int16_t>(kFrameCellHeight * (i / kFrameGridColumns)),
                kFrameCellWidth, kFrameCellHeight};
  }
  return rects;
}

// Each step is {rect, hold, loop}.
constexpr auto kRects0 = GridRects<10>();
constexpr std::array<FrameStep, 10> kSteps0{{
    {0, 4, 0},
    {1, 4, 0},
    {2, 4, 0},
    {3, 4, 4},
    {4, 4, 0},
    {5, 4, 2},
    {6, 3, 0},
    {7, 3, 2},
    {8, 5, 1},
    {9, 5, 1},
}};
constexpr std::array<std::int16_t, 5> kStarts0{0, 4, 6, 8, 9};

// Sheet 1: its frames are not in rectangle order; sequence 2 shows 8..11 and
// sequence 3 (played once) shows 6 and 7.
constexpr auto kRects1 = GridRects<12>();
constexpr std::array<FrameStep, 12> kSteps1{{
    {0, 4, 0},
    {1, 4, 0},
    {2, 4, 0},
    {3, 4, 4},
    {4, 2, 0},
    {5, 2, 2},
    {8, 4, 0},
    {9, 4, 0},
    {10, 4, 0},
    {11, 4, 4},
    {6, 5, 0},
    {7, 5, 2},
}};
constexpr std::array<std::int16_t, 4> kStarts1{0, 4, 6, 10};

constexpr auto kRects2 = GridRects<7>();
constexpr std::array<FrameStep, 7> kSteps2{{
    {0, 4, 0},
    {1, 4, 0},
    {2, 4, 0},
    {3, 4, 4},
    {4, 5, 0},
    {5, 5, 2},
    {6, 5, 1},
}};
constexpr std::array<std::int16_t, 3> kStarts2{0, 4, 6};

constexpr std::array<FrameTableSet, kFrameTableSetCount> kTableSets{{
    {kRects0, kSteps0, kStarts0},
    {kRects1, kSteps1, kStarts1},
    {kRects2, kSteps2, kStarts2},
}};

}  // namespace

const FrameTableSet& FrameTables(std::int32_t set) {
  return kTableSets[set];
}

}  // namespace qs3
