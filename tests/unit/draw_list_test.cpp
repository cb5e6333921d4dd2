// Drawing a whole DisplayList: which commands are drawn, skipped, and in
// what order.
#include "graphics/draw_list.h"

#include <gtest/gtest.h>

namespace qs3 {
namespace {

constexpr std::uint32_t kInk = 0x00123456;
constexpr int kSide = 8;

// An 8 x 8 sheet, opaque everywhere but its top-left pixel; sheets 1 and 2
// are the same shape in other colours.
SpriteSheets MakeSheets() {
  SpriteSheets sheets;
  for (int s = 0; s < kSheetCount; ++s) {
    SpriteSheet& sheet = sheets[static_cast<std::size_t>(s)];
    sheet.indices = IndexPlane(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) sheet.indices.At(x, y) = (x || y) ? 1 : 0;
    sheet.colours[1] = kInk + static_cast<std::uint32_t>(s);
  }
  return sheets;
}

DrawCommand Command(DrawType type, std::uint16_t fade, int destX = 0, int destY = 0,
                    std::uint8_t sheet = 0) {
  return DrawCommand{.type = type,
                     .sheet = sheet,
                     .destX = static_cast<std::int16_t>(destX),
                     .destY = static_cast<std::int16_t>(destY),
                     .srcX = 0,
                     .srcY = 0,
                     .width = kSide,
                     .height = kSide,
                     .fade = fade};
}

DisplayList ListOf(std::initializer_list<DrawCommand> commands) {
  DisplayList list;
  ResetList(list);
  for (const DrawCommand& command : commands) {
    CurrentEntry(list) = command;
    AdvanceList(list);
  }
  TerminateList(list);
  return list;
}

int CountInk(const PixelBuffer& buffer) {
  int count = 0;
  for (std::uint32_t pixel : buffer.Pixels()) count += pixel != kBlack ? 1 : 0;
  return count;
}

// Opaque sheet pixels that a fade pattern keeps, anchored at (0, 0).
int PatternCount(int pattern) {
  int count = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      count += (x || y) && kFadePatterns[static_cast<std::size_t>(pattern)].Bit(x, y);
  return count;
}

struct FadeCase {
  std::uint16_t fade;
  int expectedInk;
};

class SpriteFade : public testing::TestWithParam<FadeCase> {};

TEST_P(SpriteFade, LowFourBitsPickTheLevel) {
  const SpriteSheets sheets = MakeSheets();
  const PixelBuffer stage(16, 16);
  PixelBuffer compose(16, 16);
  DrawDisplayList(ListOf({Command(DrawType::Sprite, GetParam().fade)}), compose, stage, sheets);
  EXPECT_EQ(CountInk(compose), GetParam().expectedInk);
}

INSTANTIATE_TEST_SUITE_P(Levels, SpriteFade,
                         testing::Values(FadeCase{0, 63}, FadeCase{1, PatternCount(0)},
                                         FadeCase{8, PatternCount(7)}, FadeCase{9, 0},
                                         FadeCase{15, 0}, FadeCase{16, 63}, FadeCase{25, 0}));

TEST(DrawDisplayList, SkipsHiddenFadesUnknownTypesAndSheetsAndGoesOn) {
  const SpriteSheets sheets = MakeSheets();
  const PixelBuffer stage(32, 8);
  PixelBuffer compose(32, 8, kInk);
  DrawDisplayList(ListOf({Command(DrawType::Erase, 12, 0), Command(DrawType::Opaque, 12, 8),
                          Command(static_cast<DrawType>(4), 0, 16),
                          Command(DrawType::Erase, 0, 0, 0, 3), Command(DrawType::Erase, 0, 24)}),
                  compose, stage, sheets);
  // Only the last Erase drew: 63 pixels of the right-hand block turned black.
  EXPECT_EQ(CountInk(compose), 32 * 8 - 63);
  EXPECT_EQ(compose.At(24, 0), kInk);  // its transparent corner
  EXPECT_EQ(compose.At(25, 0), kBlack);
}

TEST(DrawDisplayList, DrawsInOrderAndStopsAtTheEndMark) {
  const SpriteSheets sheets = MakeSheets();
  const PixelBuffer stage(8, 8);
  PixelBuffer compose(8, 8);
  DisplayList list =
      ListOf({Command(DrawType::Sprite, 0, 0, 0, 0), Command(DrawType::Sprite, 0, 0, 0, 2)});
  DrawDisplayList(list, compose, stage, sheets);
  EXPECT_EQ(compose.At(3, 3), kInk + 2);  // the later command covers the earlier one

  PixelBuffer untouched(8, 8);
  ResetList(list);
  TerminateList(list);
  DrawDisplayList(list, untouched, stage, sheets);
  EXPECT_EQ(CountInk(untouched), 0);
}

TEST(DrawDisplayList, FullListDrawsSlots0To149) {
  const SpriteSheets sheets = MakeSheets();
  const PixelBuffer stage(16, 16);
  PixelBuffer compose(16, 16);
  DisplayList list;
  ResetList(list);
  for (int i = 0; i < 160; ++i) {
    // One opaque sheet pixel (1, 1) at a place of its own.
    CurrentEntry(list) = DrawCommand{.type = DrawType::Sprite,
                                     .destX = static_cast<std::int16_t>(i % 16),
                                     .destY = static_cast<std::int16_t>(i / 16),
                                     .srcX = 1,
                                     .srcY = 1,
                                     .width = 1,
                                     .height = 1};
    AdvanceList(list);
  }
  TerminateList(list);
  DrawDisplayList(list, compose, stage, sheets);
  EXPECT_EQ(CountInk(compose), 150);
  EXPECT_EQ(compose.At(149 % 16, 149 / 16), kInk);
  EXPECT_EQ(compose.At(150 % 16, 150 / 16), kBlack);
}

TEST(DrawDisplayList, RectanglePastTheTopLeftMovesItsSourceCorner) {
  const SpriteSheets sheets = MakeSheets();
  const PixelBuffer stage(8, 8);
  PixelBuffer compose(8, 8);
  DrawDisplayList(ListOf({Command(DrawType::Opaque, 0, -2, -3)}), compose, stage, sheets);
  EXPECT_EQ(compose.At(0, 0), kInk);    // sheet pixel (2, 3)
  EXPECT_EQ(compose.At(5, 4), kInk);    // sheet pixel (7, 7)
  EXPECT_EQ(compose.At(6, 0), kBlack);  // beyond the sheet's width
  EXPECT_EQ(CountInk(compose), 6 * 5);
}

}  // namespace
}  // namespace qs3
