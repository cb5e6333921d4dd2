// The random generator and where the quartet stands.
#include "animation/placement.h"

#include <gtest/gtest.h>

namespace qs3 {
namespace {

TEST(RandomNumber, SeedZeroGivesTheKnownSequence) {
  RandomGenerator generator;
  SeedRandom(generator, 0);
  EXPECT_EQ(RandomNumber(generator), 38);
  EXPECT_EQ(RandomNumber(generator), 7719);
  EXPECT_EQ(RandomNumber(generator), 21238);
}

TEST(RandomNumber, UnseededStartsFromOneAndStaysInRange) {
  RandomGenerator generator;
  EXPECT_EQ(RandomNumber(generator), 41);  // state 1 -> 2745024
  for (int i = 0; i < 100000; ++i) {
    const std::int32_t value = RandomNumber(generator);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 32767);
  }
}

struct PlaceCase {
  const char* name;
  Size screen;
  std::uint32_t seed;
  QuartetPlace expected;
  int numbersDrawn;
};

class QuartetPlacement : public testing::TestWithParam<PlaceCase> {};

TEST_P(QuartetPlacement, PlacesAndDrawsInOrder) {
  const PlaceCase& c = GetParam();
  RandomGenerator generator;
  SeedRandom(generator, c.seed);
  const QuartetPlace place = ChooseQuartetPlace(PlacementFor(c.screen), c.screen, generator);
  EXPECT_EQ(place.baseX, c.expected.baseX);
  EXPECT_EQ(place.y, c.expected.y);
  RandomGenerator reference;
  SeedRandom(reference, c.seed);
  for (int i = 0; i < c.numbersDrawn; ++i) RandomNumber(reference);
  EXPECT_EQ(generator.state, reference.state) << "numbers drawn";
}

// Seed 0 draws 38, 7719, 21238.
INSTANTIATE_TEST_SUITE_P(
    Screens, QuartetPlacement,
    testing::Values(
        PlaceCase{"Screen800x600", {800, 600}, 0, {320 + 38 % 160, 7719 % 344}, 2},
        PlaceCase{"Screen640x480IsFixed", {640, 480}, 0, {320, 110}, 0},
        PlaceCase{"Narrow600x600NegativeRange", {600, 600}, 0, {320 + 38 % 40, 7719 % 344}, 2},
        PlaceCase{"Width640ZeroXRange", {640, 600}, 0, {320, 7719 % 344}, 2},
        PlaceCase{"Height256ZeroYRange", {800, 256}, 0, {320 + 38 % 160, 0}, 2},
        PlaceCase{"Exactly640x256", {640, 256}, 0, {320, 0}, 2}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(QuartetPlacement, Seed0On800x600MatchesTheWorkedExample) {
  RandomGenerator generator;
  SeedRandom(generator, 0);
  const QuartetPlace place = ChooseQuartetPlace(PlacementFor({800, 600}), {800, 600}, generator);
  EXPECT_EQ(place.baseX, 358);
  EXPECT_EQ(place.y, 151);
  EXPECT_EQ(1050000 + 20000 * (RandomNumber(generator) % 10), 1210000);
}

TEST(QuartetPlacement, AlwaysFitsOnScreensAtLeast640By256) {
  RandomGenerator generator;
  for (const Size screen : {Size{800, 600}, Size{1920, 1080}, Size{641, 257}}) {
    for (int i = 0; i < 2000; ++i) {
      const QuartetPlace place = ChooseQuartetPlace(PlacementFor(screen), screen, generator);
      const auto xs = PerformerXs(place.baseX);
      ASSERT_GE(xs[3], 0);
      ASSERT_LE(xs[2] + 160, screen.width);
      ASSERT_GE(place.y, 0);
      ASSERT_LE(place.y + 256, screen.height);
    }
  }
}

TEST(PerformerXs, StageReadsThreeOneZeroTwo) {
  EXPECT_EQ(PerformerXs(320), (std::array<std::int32_t, 4>{320, 160, 480, 0}));
}

}  // namespace
}  // namespace qs3
