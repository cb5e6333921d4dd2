// Sheet bitmaps from tiny PackedDibs, the stage clipping and the net effect of
// every draw mode, pixel by pixel.
#include "graphics/draw_modes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "graphics/packed_dib.h"
#include "graphics/pixel_buffer.h"
#include "graphics/sheet_bitmaps.h"
#include "shell/command_line.h"

namespace qs3 {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;
using IndexOf = std::function<std::uint8_t(int x, int y)>;

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Table entry i: blue i, green 0x80, red 255 - i, flags i / 2. No index but 0
// is ever black in the colour version.
RgbQuad TableEntry(int i) {
  return {static_cast<std::uint8_t>(i), 0x80, static_cast<std::uint8_t>(255 - i),
          static_cast<std::uint8_t>(i / 2)};
}

std::uint32_t ColourOf(std::uint8_t index) {
  const RgbQuad quad = TableEntry(index);
  return MakePixel(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
}

// An 8-bit PackedDib whose stream writes every pixel as a literal (indices
// must stay below 255), bottom row first, then the end code.
PackedDib DecodeFixture(int width, int height, const IndexOf& indexOf) {
  Bytes bytes;
  Put32(bytes, 40);
  Put32(bytes, static_cast<std::uint32_t>(width));
  Put32(bytes, static_cast<std::uint32_t>(height));
  Put32(bytes, 1u | (8u << 16));
  for (std::uint32_t value : {0u, 0u, 0u, 0u, 256u, 0u}) Put32(bytes, value);
  for (int i = 0; i < 256; ++i) {
    const RgbQuad quad = TableEntry(i);
    bytes.insert(bytes.end(), {quad.rgbBlue, quad.rgbGreen, quad.rgbRed, quad.rgbReserved});
  }
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) bytes.push_back(indexOf(x, y));
  bytes.insert(bytes.end(), {0xFF, 0xFF});
  PackedDibStatus status = PackedDibStatus::Ok;
  std::optional<PackedDib> dib = DecodePackedDib(bytes, status);
  EXPECT_EQ(status, PackedDibStatus::Ok);
  return dib.value_or(PackedDib{});
}

// Roughly one pixel in five transparent, the rest many different colours.
std::uint8_t SpriteIndex(int x, int y) {
  return (x * 7 + y * 3) % 5 == 0 ? 0 : static_cast<std::uint8_t>(1 + (x + 16 * y) % 200);
}

constexpr int kSheetSide = 16;

const SpriteSheet& TestSheet() {
  static const SpriteSheet sheet =
      MakeSpriteSheet(DecodeFixture(kSheetSide, kSheetSide, SpriteIndex), kFullSizeScale);
  return sheet;
}

PixelBuffer Patterned(int width, int height, std::uint8_t blue) {
  PixelBuffer buffer(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      buffer.At(x, y) = MakePixel(static_cast<std::uint8_t>(x * 9 + 1),
                                  static_cast<std::uint8_t>(y * 11 + 1), blue);
  return buffer;
}

// ---------------------------------------------------------------------------
// Colour, mask and palette versions of a picture.

TEST(DrawModesSheet, ColourShowsIndexZeroBlackAndMaskWhiteExactlyThere) {
  const PackedDib dib = DecodeFixture(kSheetSide, kSheetSide, SpriteIndex);
  const PixelBuffer colour = MakeColourBitmap(dib);
  const PixelBuffer mask = MakeMaskBitmap(dib);
  ASSERT_EQ(colour.Width(), kSheetSide);
  ASSERT_EQ(mask.Height(), kSheetSide);
  for (int y = 0; y < kSheetSide; ++y)
    for (int x = 0; x < kSheetSide; ++x) {
      const std::uint8_t index = SpriteIndex(x, y);
      EXPECT_EQ(colour.At(x, y), index == 0 ? kBlack : ColourOf(index)) << x << "," << y;
      EXPECT_EQ(mask.At(x, y), index == 0 ? kWhite : kBlack) << x << "," << y;
    }
}

TEST(DrawModesSheet, RowsComeOutTopDown) {
  // The stream stores the bottom row first; the bitmaps are top-down.
  const PackedDib dib = DecodeFixture(4, 2, [](int, int y) { return y == 0 ? 3 : 0; });
  const PixelBuffer colour = MakeColourBitmap(dib);
  EXPECT_EQ(colour.At(2, 0), ColourOf(3));
  EXPECT_EQ(colour.At(2, 1), kBlack);
}

TEST(DrawModesSheet, PaletteKeepsEveryStoredEntryIncludingEntryZero) {
  const PaletteEntries palette = MakePaletteEntries(DecodeFixture(4, 1, SpriteIndex));
  ASSERT_EQ(palette.count, 256);
  for (int i : {0, 1, 128, 254, 255}) {
    const RgbQuad quad = TableEntry(i);
    EXPECT_EQ(palette.entries[static_cast<std::size_t>(i)],
              (PaletteEntry{quad.rgbRed, quad.rgbGreen, quad.rgbBlue, quad.rgbReserved}))
        << "entry " << i;
  }
  EXPECT_NE(ColourOf(0), kBlack);  // so entry 0 really differs from the colour bitmap's
}

struct ScaleCase {
  const char* name;
  int width, height;
  std::int32_t scaleFactor;
  int expectedWidth, expectedHeight;
};

class ScaledSheet : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaledSheet, SizeAndPureMask) {
  const ScaleCase& c = GetParam();
  const auto indexOf = [](int x, int y) {
    return static_cast<std::uint8_t>((x * 31 + y * 17) % 3 == 0 ? 0 : 1 + (x ^ y) % 250);
  };
  const PackedDib dib = DecodeFixture(c.width, c.height, indexOf);
  const SpriteSheet sheet = MakeSpriteSheet(dib, c.scaleFactor);
  ASSERT_EQ(sheet.Width(), c.expectedWidth);
  ASSERT_EQ(sheet.Height(), c.expectedHeight);
  // The plane drops the same rows and columns as the 32-bit bitmaps do.
  const PixelBuffer mask = ScaleBitmap(MakeMaskBitmap(dib), c.scaleFactor);
  const PixelBuffer colour = ScaleBitmap(MakeColourBitmap(dib), c.scaleFactor);
  ASSERT_EQ(mask.Width(), c.expectedWidth);
  ASSERT_EQ(colour.Height(), c.expectedHeight);
  for (int y = 0; y < sheet.Height(); ++y)
    for (int x = 0; x < sheet.Width(); ++x) {
      const std::uint32_t maskPixel = sheet.MaskAt(x, y);
      ASSERT_TRUE(maskPixel == kBlack || maskPixel == kWhite) << x << "," << y;
      ASSERT_EQ(maskPixel == kWhite, sheet.ColourAt(x, y) == kBlack) << x << "," << y;
      ASSERT_EQ(maskPixel, mask.At(x, y)) << x << "," << y;
      ASSERT_EQ(sheet.ColourAt(x, y), colour.At(x, y)) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(DrawModes, ScaledSheet,
                         testing::Values(ScaleCase{"PreviewSheet0", 640, 768, 146, 93, 112},
                                         ScaleCase{"PreviewSheet2", 640, 512, 146, 93, 74},
                                         ScaleCase{"FullSize", 64, 48, kFullSizeScale, 64, 48},
                                         ScaleCase{"Half", 64, 48, 500, 32, 24},
                                         ScaleCase{"ShrunkToNothing", 4, 4, 200, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrawModesSheet, PreviewScaleFactorOfTheSpecifiedScreen) {
  EXPECT_EQ(ComputeScaleFactor(SaverMode::Preview, {150, 112}, {1024, 768}), 146);
}

TEST(DrawModesSheet, ScaledCopyPicksTruncatedNearestPixels) {
  // Source (x, y) holds x + 10 y; 4 -> 3 columns picks 0, 1, 2 (x * 4 / 3),
  // 4 -> 2 rows picks rows 0 and 2 (two scales applied to each axis alike).
  PixelBuffer source(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) source.At(x, y) = static_cast<std::uint32_t>(x + 10 * y);
  const PixelBuffer threeQuarters = ScaleBitmap(source, 750);
  ASSERT_EQ(threeQuarters.Width(), 3);
  EXPECT_THAT(threeQuarters.Pixels(), ElementsAre(0, 1, 2, 10, 11, 12, 20, 21, 22));
  const PixelBuffer half = ScaleBitmap(source, 500);
  EXPECT_THAT(half.Pixels(), ElementsAre(0, 2, 20, 22));
  // A sheet's index plane is resampled alike.
  IndexPlane plane(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) plane.At(x, y) = static_cast<std::uint8_t>(x + 10 * y);
  EXPECT_THAT(ScalePlane(plane, 750).Indices(), ElementsAre(0, 1, 2, 10, 11, 12, 20, 21, 22));
  EXPECT_THAT(ScalePlane(plane, 500).Indices(), ElementsAre(0, 2, 20, 22));
}

TEST(DrawModesSheet, SheetReadsMaskAndColourFromOneIndexPlane) {
  const PackedDib dib = DecodeFixture(kSheetSide, kSheetSide, SpriteIndex);
  const SpriteSheet sheet = MakeSpriteSheet(dib, kFullSizeScale);
  const PixelBuffer colour = MakeColourBitmap(dib);
  const PixelBuffer mask = MakeMaskBitmap(dib);
  for (int y = 0; y < kSheetSide; ++y)
    for (int x = 0; x < kSheetSide; ++x) {
      EXPECT_EQ(sheet.indices.At(x, y), SpriteIndex(x, y)) << x << "," << y;
      EXPECT_EQ(sheet.MaskAt(x, y), mask.At(x, y)) << x << "," << y;
      EXPECT_EQ(sheet.ColourAt(x, y), colour.At(x, y)) << x << "," << y;
    }
}

TEST(DrawModesSheet, IndicesBeyondAShortColourTablePaintBlack) {
  PackedDib dib = DecodeFixture(2, 1, [](int x, int) { return x == 0 ? 3 : 200; });
  dib.colourCount = 100;
  const SheetColours colours = MakeSheetColours(dib);
  EXPECT_EQ(colours[0], kBlack);
  EXPECT_EQ(colours[3], ColourOf(3));
  EXPECT_EQ(colours[99], ColourOf(99));
  EXPECT_EQ(colours[100], kBlack);
  EXPECT_EQ(colours[200], kBlack);
}

// ---------------------------------------------------------------------------
// Clipping against the stage.

struct ClipCase {
  const char* name;
  BlitRect rect;
  BlitRect expected;
};

class ClipToStageTest : public testing::TestWithParam<ClipCase> {};

constexpr Size kStage{100, 80};

TEST_P(ClipToStageTest, MovesLeftTopCornersAndShrinksRightBottom) {
  BlitRect rect = GetParam().rect;
  ClipToStage(rect, kStage);
  EXPECT_EQ(rect, GetParam().expected);
}

// Fields: destX, destY, srcX, srcY, width, height.
INSTANTIATE_TEST_SUITE_P(
    DrawModes, ClipToStageTest,
    testing::Values(ClipCase{"Inside", {5, 6, 7, 8, 20, 30}, {5, 6, 7, 8, 20, 30}},
                    ClipCase{"PastLeft", {-10, 0, 0, 0, 50, 20}, {0, 0, 10, 0, 40, 20}},
                    ClipCase{"PastTop", {0, -5, 3, 7, 10, 20}, {0, 0, 3, 12, 10, 15}},
                    ClipCase{"PastRight", {90, 0, 5, 6, 20, 10}, {90, 0, 5, 6, 10, 10}},
                    ClipCase{"PastBottom", {0, 75, 5, 6, 10, 20}, {0, 75, 5, 6, 10, 5}},
                    ClipCase{"PastAllSides", {-10, -20, 1, 2, 200, 200}, {0, 0, 11, 22, 100, 80}},
                    ClipCase{"WhollyLeft", {-60, 0, 0, 0, 50, 10}, {0, 0, 60, 0, -10, 10}},
                    ClipCase{"WhollyRight", {120, 0, 0, 0, 10, 10}, {120, 0, 0, 0, -20, 10}},
                    ClipCase{"WhollyAbove", {0, -30, 0, 0, 10, 10}, {0, 0, 0, 30, 10, -20}},
                    ClipCase{"WhollyBelow", {0, 80, 0, 0, 10, 10}, {0, 80, 0, 0, 10, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Net effects of the draw modes.

enum class Mode { Opaque, Sprite, Silhouette, Erase, Faded0, Faded3, Faded7 };

struct ModeCase {
  const char* name;
  Mode mode;
};

const ModeCase kModes[] = {
    {"Opaque", Mode::Opaque}, {"Sprite", Mode::Sprite}, {"Silhouette", Mode::Silhouette},
    {"Erase", Mode::Erase},   {"Faded0", Mode::Faded0}, {"Faded3", Mode::Faded3},
    {"Faded7", Mode::Faded7},
};

const FadePattern* PatternOf(Mode mode) {
  switch (mode) {
    case Mode::Faded0:
      return &kFadePatterns[0];
    case Mode::Faded3:
      return &kFadePatterns[3];
    case Mode::Faded7:
      return &kFadePatterns[7];
    default:
      return nullptr;
  }
}

void Draw(Mode mode, PixelBuffer& compose, const PixelBuffer& stage, const SpriteSheet& sheet,
          const BlitRect& rect) {
  switch (mode) {
    case Mode::Opaque:
      DrawOpaque(compose, sheet, rect);
      break;
    case Mode::Sprite:
      DrawSprite(compose, sheet, rect);
      break;
    case Mode::Silhouette:
      DrawSilhouette(compose, sheet, rect);
      break;
    case Mode::Erase:
      DrawErase(compose, stage, sheet, rect);
      break;
    default:
      DrawFaded(compose, sheet, rect, *PatternOf(mode));
      break;
  }
}

// What the mode leaves at pixel (i, j) of the rectangle, p being the sheet's
// index there.
std::uint32_t Expected(Mode mode, std::uint8_t p, std::uint32_t before, std::uint32_t staged, int i,
                       int j) {
  if (mode == Mode::Opaque) return p == 0 ? kBlack : ColourOf(p);
  if (p == 0) return before;
  switch (mode) {
    case Mode::Sprite:
      return ColourOf(p);
    case Mode::Silhouette:
      return kBlack;
    case Mode::Erase:
      return staged;
    default:
      return PatternOf(mode)->Bit(i, j) ? ColourOf(p) : before;
  }
}

// Checks every pixel of `compose`: pixel (i, j) of the rectangle follows the
// mode where its destination lies in the buffers and its source in the sheet;
// every other pixel is as it was.
void ExpectDrawnExactly(Mode mode, const PixelBuffer& before, const PixelBuffer& stage,
                        const BlitRect& rect, const PixelBuffer& compose) {
  for (int y = 0; y < compose.Height(); ++y)
    for (int x = 0; x < compose.Width(); ++x) {
      const std::int64_t i = std::int64_t{x} - rect.destX;
      const std::int64_t j = std::int64_t{y} - rect.destY;
      const std::int64_t srcX = rect.srcX + i;
      const std::int64_t srcY = rect.srcY + j;
      const bool drawn = i >= 0 && j >= 0 && i < rect.width && j < rect.height && srcX >= 0 &&
                         srcY >= 0 && srcX < kSheetSide && srcY < kSheetSide;
      const std::uint32_t expected =
          drawn
              ? Expected(mode, SpriteIndex(static_cast<int>(srcX), static_cast<int>(srcY)),
                         before.At(x, y), stage.At(x, y), static_cast<int>(i), static_cast<int>(j))
              : before.At(x, y);
      ASSERT_EQ(compose.At(x, y), expected) << "at " << x << "," << y;
    }
}

struct RectCase {
  const char* name;
  BlitRect rect;  // destX, destY, srcX, srcY, width, height
};

const RectCase kRects[] = {
    {"InsideEverything", {3, 2, 1, 4, 11, 10}},
    // The source starts left of and above the sheet and runs past its right
    // and bottom edges: only the part over the sheet is drawn.
    {"SourceOverhangsTheSheet", {4, 5, -2, -3, kSheetSide + 6, kSheetSide + 7}},
    {"DestinationOverhangsTheBuffer", {-5, 20, 0, 0, kSheetSide, kSheetSide}},
    {"PatternAnchoredAtDestination", {7, 9, 3, 1, 13, 15}},
    {"HugeSource", {0, 0, INT_MAX, INT_MAX, INT_MAX, INT_MAX}},
    {"HugeNegativeDestination", {INT_MIN, INT_MIN, 0, 0, INT_MAX, INT_MAX}},
    {"HugeEverything", {INT_MAX, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
    {"MostNegativeSource", {0, 0, INT_MIN, 0, INT_MAX, 5}},
    {"NegativeSize", {5, 5, 1, 1, -1, INT_MIN}},
    {"LastPixelOfEach", {29, 29, kSheetSide - 1, kSheetSide - 1, 2, 2}},
};

class DrawMode : public testing::TestWithParam<ModeCase> {};

TEST_P(DrawMode, ChangesExactlyTheDrawablePixelsAsTheModeSays) {
  const Mode mode = GetParam().mode;
  const PixelBuffer stage = Patterned(30, 30, 0x11);
  const PixelBuffer before = Patterned(30, 30, 0x77);
  for (const RectCase& c : kRects) {
    SCOPED_TRACE(c.name);
    PixelBuffer compose = before;
    Draw(mode, compose, stage, TestSheet(), c.rect);
    ExpectDrawnExactly(mode, before, stage, c.rect, compose);
  }
}

TEST_P(DrawMode, RectangleWhollyOffStageDrawsNothing) {
  const PixelBuffer stage = Patterned(20, 18, 0x11);
  const PixelBuffer before = Patterned(20, 18, 0x77);
  for (BlitRect rect : {BlitRect{-30, 0, 0, 0, 10, 10}, BlitRect{25, 0, 0, 0, 10, 10},
                        BlitRect{0, -12, 0, 0, 10, 10}, BlitRect{0, 18, 0, 0, 10, 10}}) {
    ClipToStage(rect, {20, 18});
    PixelBuffer compose = before;
    Draw(GetParam().mode, compose, stage, TestSheet(), rect);
    EXPECT_EQ(compose, before) << rect.destX << "," << rect.destY;
  }
}

INSTANTIATE_TEST_SUITE_P(DrawModes, DrawMode, testing::ValuesIn(kModes),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Mode-specific figures.

TEST(DrawModes, SpriteThenEraseRestoresTheStage) {
  for (std::uint8_t blue : {0x00, 0x42}) {
    const PixelBuffer stage = blue == 0 ? PixelBuffer(20, 18) : Patterned(20, 18, blue);
    PixelBuffer compose = stage;
    const BlitRect rect{2, 3, 0, 0, kSheetSide, kSheetSide - 2};
    DrawSprite(compose, TestSheet(), rect);
    ASSERT_NE(compose, stage);
    DrawErase(compose, stage, TestSheet(), rect);
    EXPECT_EQ(compose, stage) << "stage blue " << int{blue};
  }
}

struct FadeCountCase {
  int pattern;
  int shown;
};

class FadeCount : public testing::TestWithParam<FadeCountCase> {};

TEST_P(FadeCount, ShownPixelsFollowThePatternAnchoredAtTheClippedCorner) {
  // A fully opaque 8 x 8 sprite drawn 3 pixels past the stage's left and top
  // edges: after clipping the pattern starts at stage (0, 0), not at (-3, -3).
  const PackedDib dib = DecodeFixture(11, 11, [](int, int) { return 9; });
  const SpriteSheet sheet = MakeSpriteSheet(dib, kFullSizeScale);
  const FadePattern& pattern = kFadePatterns[static_cast<std::size_t>(GetParam().pattern)];
  BlitRect rect{-3, -3, 0, 0, 11, 11};
  ClipToStage(rect, {8, 8});
  PixelBuffer compose(8, 8);
  DrawFaded(compose, sheet, rect, pattern);
  int shown = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool isSprite = compose.At(x, y) == ColourOf(9);
      EXPECT_EQ(isSprite, pattern.Bit(x, y)) << x << "," << y;
      shown += isSprite ? 1 : 0;
    }
  EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(DrawModes, FadeCount,
                         testing::Values(FadeCountCase{0, 60}, FadeCountCase{1, 56},
                                         FadeCountCase{2, 48}, FadeCountCase{3, 40},
                                         FadeCountCase{4, 32}, FadeCountCase{5, 24},
                                         FadeCountCase{6, 16}, FadeCountCase{7, 8}));

TEST(DrawModes, FadePatternBitsAreMostSignificantFirst) {
  // Pattern 7 row 0 is 0x88: pixels 0 and 4; row 2 is 0x22: pixels 2 and 6.
  const FadePattern& pattern = kFadePatterns[7];
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(pattern.Bit(x, 0), x == 0 || x == 4) << x;
    EXPECT_EQ(pattern.Bit(x, 2), x == 2 || x == 6) << x;
    EXPECT_EQ(pattern.Bit(x + 8, 10), pattern.Bit(x, 2)) << "repeats every 8";
  }
}

}  // namespace
}  // namespace qs3
