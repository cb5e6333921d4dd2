// The random generator that places the quartet and draws each music
// performance's end point, and the placement of the quartet on the screen.
#pragma once

#include <array>
#include <cstdint>

#include "seam/types.h"

namespace qs3 {

// A linear congruential generator: state = state * 214013 + 2531011, the
// value is bits 16..30 of the new state. One state per saver, initially 1.
struct RandomGenerator {
  std::uint32_t state = 1;
};

void SeedRandom(RandomGenerator& generator, std::uint32_t seed);
// 0..32767.
std::int32_t RandomNumber(RandomGenerator& generator);

// Where the quartet may stand: base x in xOffset + [0, |xRange|), y in
// yOffset + [0, |yRange|). Positions are in whole-screen pixels in every mode.
struct Placement {
  std::int32_t xOffset = 320;
  std::int32_t xRange = 0;
  std::int32_t yOffset = 0;
  std::int32_t yRange = 0;
};

// The ranges left by the 640 x 256 quartet on a screen of this size.
Placement PlacementFor(Size screen);

struct QuartetPlace {
  std::int32_t baseX = 0;
  std::int32_t y = 0;
};

// A 640 x 480 screen has one fixed place (320, 110) and draws no random
// number. Otherwise x is drawn before y. A zero range (a screen exactly 640
// wide or 256 high) puts that axis at its offset; its number is still drawn
// so that the end point always takes the third number of a start-up.
QuartetPlace ChooseQuartetPlace(const Placement& placement, Size screen,
                                RandomGenerator& generator);

// Left edges of performers 0..3: on stage they read 3, 1, 0, 2 from the left.
std::array<std::int32_t, 4> PerformerXs(std::int32_t baseX);

}  // namespace qs3
