#include "animation/placement.h"

namespace qs3 {

void SeedRandom(RandomGenerator& generator, std::uint32_t seed) {
  generator.state = seed;
}

std::int32_t RandomNumber(RandomGenerator& generator) {
  generator.state = generator.state * 214013u + 2531011u;
  return static_cast<std::int32_t>((generator.state >> 16) & 0x7FFFu);
}

Placement PlacementFor(Size screen) {
  return Placement{
      .xOffset = 320, .xRange = screen.width - 640, .yOffset = 0, .yRange = screen.height - 256};
}

namespace {

// The remainder of a truncating division: a negative range acts as its
// magnitude, and a zero range leaves the offset.
std::int32_t PickInRange(std::int32_t offset, std::int32_t range, std::int32_t random) {
  if (range == 0) return offset;
  return offset + random % range;
}

}  // namespace

QuartetPlace ChooseQuartetPlace(const Placement& placement, Size screen,
                                RandomGenerator& generator) {
  if (screen.width == 640 && screen.height == 480) return {.baseX = 320, .y = 110};
  const std::int32_t x = PickInRange(placement.xOffset, placement.xRange, RandomNumber(generator));
  const std::int32_t y = PickInRange(placement.yOffset, placement.yRange, RandomNumber(generator));
  return {.baseX = x, .y = y};
}

std::array<std::int32_t, 4> PerformerXs(std::int32_t baseX) {
  return {baseX, baseX - 160, baseX + 160, baseX - 320};
}

}  // namespace qs3
