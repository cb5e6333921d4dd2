#include "config_ui/image_button.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "fakes/call_log.h"
#include "fakes/fake_resources.h"

namespace qs3 {
namespace {

// --- Looks ---

TEST(ButtonLooksTest, PressedLooksComeFromThirtyTwoRowsLower) {
  struct Expected {
    ButtonRecord record;
    ButtonLook normal;
    Point pressedFrom;
  };
  const Expected table[] = {
      {ButtonRecord::Ok, {120, 239, 160, 0, 96, 32}, {160, 32}},
      {ButtonRecord::Cancel, {223, 239, 160, 64, 96, 32}, {160, 96}},
      {ButtonRecord::MusicOff, {60, 187, 0, 66, 80, 28}, {0, 98}},
      {ButtonRecord::MusicOn, {60, 187, 80, 66, 80, 28}, {80, 98}},
  };
  const ButtonRecords records = InitialButtonRecords();
  for (const Expected& e : table) {
    const ImageButton& record = records[static_cast<std::size_t>(e.record)];
    ButtonLook pressed = e.normal;
    pressed.sourceX = e.pressedFrom.x;
    pressed.sourceY = e.pressedFrom.y;
    EXPECT_EQ(record.normal, e.normal) << static_cast<int>(e.record);
    EXPECT_EQ(record.pressed, pressed) << static_cast<int>(e.record);
    EXPECT_EQ(record.pressedFlag, 0);
    // Every button lies within the client area that the frame leaves.
    EXPECT_LE(e.normal.x + e.normal.width, 320);
    EXPECT_LE(e.normal.y + e.normal.height, 272);
  }
}

TEST(ButtonLooksTest, SettingTheLooksClearsThePressedFlag) {
  ImageButton record;
  record.pressedFlag = 1;
  SetButtonLooks(record, {1, 2, 3, 4, 5, 6}, 32);
  EXPECT_EQ(record.pressedFlag, 0);
  EXPECT_EQ(record.Current(), record.normal);
  record.pressedFlag = 1;
  EXPECT_EQ(record.Current(), (ButtonLook{1, 2, 3, 36, 5, 6}));
}

TEST(ButtonLooksTest, TheSwitchShowsMusicOnForEveryNonzeroValue) {
  const ButtonRecords records = InitialButtonRecords();
  for (const std::int32_t value : {1, 2, -1, std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_EQ(ShownRecord(records, ButtonKind::MusicSwitch, value).normal.sourceX, 80) << value;
  }
  EXPECT_EQ(ShownRecord(records, ButtonKind::MusicSwitch, 0).normal.sourceX, 0);
}

// --- Arithmetic ---

TEST(FlipMusicTest, AddsOneAndKeepsTheRemainderOfTwo) {
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  const std::pair<std::int32_t, std::int32_t> table[] = {
      {0, 1}, {1, 0}, {2, 1}, {3, 0}, {-1, 0}, {-2, -1}, {kMax, 0}, {kMin, -1},
  };
  for (const auto& [value, flipped] : table) EXPECT_EQ(FlipMusic(value), flipped) << value;
}

TEST(InsideTest, TheRightAndBottomEdgesCountAsInside) {
  const Rect button{100, 50, 196, 82};
  const std::pair<Point, bool> table[] = {
      {{100, 50}, true},  {{196, 82}, true},  {{196, 50}, true},  {{100, 82}, true},
      {{150, 60}, true},  {{99, 60}, false},  {{197, 60}, false}, {{150, 49}, false},
      {{150, 83}, false}, {{197, 83}, false},
  };
  for (const auto& [point, inside] : table)
    EXPECT_EQ(InsideInclusive(button, point), inside) << point.x << "," << point.y;
}

// --- Composition ---

// An art of 8 x (224 + 4): looks in the top rows, background below.
DialogArt SmallArt() {
  DialogArt art;
  art.colour = PixelBuffer(8, kArtBackgroundTop + 4, kBlack);
  art.mask = PixelBuffer(8, kArtBackgroundTop + 4, kWhite);
  // Background: every pixel its own colour.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      art.colour->At(x, kArtBackgroundTop + y) =
          MakePixel(0x10, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y));
  // A 2 x 2 look at (4, 0) whose left column is transparent (index 0).
  art.colour->At(5, 0) = MakePixel(0xA0, 0, 0);
  art.colour->At(5, 1) = MakePixel(0, 0xB0, 0);
  art.mask->At(5, 0) = kBlack;
  art.mask->At(5, 1) = kBlack;
  return art;
}

TEST(ComposeButtonTest, TransparentPixelsShowTheBackgroundTheButtonCovers) {
  const DialogArt art = SmallArt();
  const PixelBuffer button = ComposeButton(art, {1, 2, 4, 0, 2, 2});
  ASSERT_EQ(button.Width(), 2);
  ASSERT_EQ(button.Height(), 2);
  EXPECT_EQ(button.At(0, 0), MakePixel(0x10, 1, 2));  // background (1, 2)
  EXPECT_EQ(button.At(0, 1), MakePixel(0x10, 1, 3));
  EXPECT_EQ(button.At(1, 0), MakePixel(0xA0, 0, 0));  // the look, not mixed
  EXPECT_EQ(button.At(1, 1), MakePixel(0, 0xB0, 0));
}

TEST(ComposeButtonTest, MissingArtSkipsItsSteps) {
  DialogArt noMask = SmallArt();
  noMask.mask.reset();
  // Without the mask the look's colours are ORed onto the background.
  EXPECT_EQ(ComposeButton(noMask, {1, 2, 4, 0, 2, 2}).At(1, 0),
            MakePixel(0x10, 2, 2) | MakePixel(0xA0, 0, 0));

  DialogArt noColour = SmallArt();
  noColour.colour.reset();
  EXPECT_EQ(ComposeButton(noColour, {1, 2, 4, 0, 2, 2}), PixelBuffer(2, 2, kBlack));
  EXPECT_EQ(ComposeButton(DialogArt{}, {0, 0, 0, 0, 3, 1}), PixelBuffer(3, 1, kBlack));
}

TEST(ComposeButtonTest, ALookReachingPastTheArtReadsOnlyWhatIsThere) {
  const DialogArt art = SmallArt();
  // Two columns of the look lie right of the art, one row below its end.
  const PixelBuffer button = ComposeButton(art, {6, 3, 6, 0, 4, 2});
  EXPECT_EQ(button.At(0, 0), MakePixel(0x10, 6, 3));
  EXPECT_EQ(button.At(2, 0), kBlack);
  EXPECT_EQ(button.At(0, 1), kBlack);
  EXPECT_EQ(ComposeButton(art, {-5, -5, -5, -5, 2, 2}), PixelBuffer(2, 2, kBlack));
}

TEST(ComposeBackgroundTest, ClientPixelsShowTheArtFromRow224) {
  const DialogArt art = SmallArt();
  const auto background = ComposeBackground(art, {10, 5});
  ASSERT_TRUE(background);
  EXPECT_EQ(background->At(3, 2), MakePixel(0x10, 3, 2));
  EXPECT_EQ(background->At(9, 0), kBlack);  // beyond the art
  EXPECT_EQ(background->At(0, 4), kBlack);
  EXPECT_FALSE(ComposeBackground(DialogArt{}, {10, 5}));
  EXPECT_FALSE(ComposeBackground(art, {0, 5}));
}

TEST(ShippedDialogArtTest, TheSwitchEndsAreTransparentAndTheButtonsOpaque) {
  fakes::CallLog log;
  fakes::FakeResourceSource resources(log);
  resources.AddShippedPictures();
  const DialogArt art = LoadDialogArt(resources);
  ASSERT_TRUE(art.palette && art.colour && art.mask);
  EXPECT_EQ(art.colour->Width(), 344);
  EXPECT_EQ(art.colour->Height(), 560);
  const ButtonRecords records = InitialButtonRecords();
  for (const ImageButton& record : records) {
    for (const ButtonLook& look : {record.normal, record.pressed}) {
      const PixelBuffer button = ComposeButton(art, look);
      const auto background = ComposeBackground(art, {344, 336});
      // A corner of a rounded look shows the window behind it ...
      EXPECT_EQ(button.At(0, 0), background->At(look.x, look.y))
          << look.sourceX << "," << look.sourceY;
      // ... its middle is the look's own colour.
      EXPECT_EQ(button.At(look.width / 2, look.height / 2),
                art.colour->At(look.sourceX + look.width / 2, look.sourceY + look.height / 2));
    }
  }
}

}  // namespace
}  // namespace qs3
