#include "graphics/display_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

namespace qs3 {
namespace {

// The record's widths are what the draw code and golden traces rely on.
static_assert(std::is_same_v<std::underlying_type_t<DrawType>, std::uint8_t>);
static_assert(std::is_same_v<decltype(DrawCommand::sheet), std::uint8_t>);
static_assert(std::is_same_v<decltype(DrawCommand::destX), std::int16_t>);
static_assert(std::is_same_v<decltype(DrawCommand::height), std::int16_t>);
static_assert(std::is_same_v<decltype(DrawCommand::fade), std::uint16_t>);

// Index of the first end mark, or the slot count when there is none.
int EndMarkSlot(const DisplayList& list) {
  const auto it = std::find_if(list.slots.begin(), list.slots.end(),
                               [](const DrawCommand& c) { return c.type == DrawType::End; });
  return static_cast<int>(it - list.slots.begin());
}

void AppendNumbered(DisplayList& list, int number) {
  DrawCommand& entry = CurrentEntry(list);
  ClearEntry(entry);
  entry.type = DrawType::Sprite;
  entry.destX = static_cast<std::int16_t>(number);
  AdvanceList(list);
}

TEST(DisplayListTest, ResetThenTerminateGivesAnEmptyList) {
  DisplayList list;
  for (int i = 0; i < 40; ++i) AppendNumbered(list, i);
  ResetList(list);
  EXPECT_EQ(list.cursor, 0);
  EXPECT_EQ(list.slots[0].type, DrawType::Opaque);  // not yet the end mark
  TerminateList(list);
  EXPECT_EQ(EndMarkSlot(list), 0);
}

TEST(DisplayListTest, ResetTakesTheEndMarkOffSlotZero) {
  DisplayList list;
  TerminateList(list);
  ResetList(list);
  EXPECT_EQ(EndMarkSlot(list), kDisplayListSlots);
}

TEST(DisplayListTest, ClearEntryZeroesEveryField) {
  DrawCommand command{DrawType::End, 2, -1, -2, 3, 4, 5, 6, 0xFFFF};
  ClearEntry(command);
  EXPECT_EQ(command, (DrawCommand{DrawType::Opaque, 0, 0, 0, 0, 0, 0, 0, 0}));
}

struct FillCase {
  int commands;
  int cursor;           // after the commands, before TerminateList
  int lastSlotCommand;  // destX in slot 150 before TerminateList; -1: untouched
};

class DisplayListFillTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(DisplayListFillTest, KeepsCommandsInOrderAndOverwritesTheLastSlotWhenFull) {
  const FillCase& c = GetParam();
  DisplayList list;
  ResetList(list);
  for (int i = 0; i < c.commands; ++i) AppendNumbered(list, i);
  EXPECT_EQ(list.cursor, c.cursor);
  if (c.lastSlotCommand >= 0) {
    EXPECT_EQ(list.slots[kLastSlot].type, DrawType::Sprite);
    EXPECT_EQ(list.slots[kLastSlot].destX, c.lastSlotCommand);
  } else {
    EXPECT_EQ(list.slots[kLastSlot].type, DrawType::Opaque);
  }
  TerminateList(list);
  ASSERT_EQ(EndMarkSlot(list), c.cursor);
  for (int i = 0; i < c.cursor; ++i) {
    EXPECT_EQ(list.slots[i].type, DrawType::Sprite) << "slot " << i;
    EXPECT_EQ(list.slots[i].destX, i) << "slot " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, DisplayListFillTest,
                         ::testing::Values(FillCase{0, 0, -1}, FillCase{1, 1, -1},
                                           FillCase{149, 149, -1}, FillCase{150, 150, -1},
                                           FillCase{151, 150, 150}, FillCase{152, 150, 151},
                                           FillCase{400, 150, 399}));

struct FormatCase {
  DrawCommand command;
  const char* line;
};

class FormatDrawCommandTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDrawCommandTest, WritesOneLine) {
  EXPECT_EQ(FormatDrawCommand(GetParam().command), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FormatDrawCommandTest,
    ::testing::Values(FormatCase{{DrawType::Erase, 0, 358, 151, 0, 0, 160, 256, 0},
                                 "Erase sheet=0 dest=358,151 src=0,0 size=160x256 fade=0"},
                      FormatCase{{DrawType::Sprite, 2, -12, -3, 113, 121, 37, 60, 8},
                                 "Sprite sheet=2 dest=-12,-3 src=113,121 size=37x60 fade=8"},
                      FormatCase{{DrawType::Opaque, 1, 0, 0, 480, 512, 160, 256, 25},
                                 "Opaque sheet=1 dest=0,0 src=480,512 size=160x256 fade=25"},
                      FormatCase{{DrawType::Silhouette, 1, 1, 2, 3, 4, 5, 6, 65535},
                                 "Silhouette sheet=1 dest=1,2 src=3,4 size=5x6 fade=65535"},
                      FormatCase{{DrawType{4}, 0, -32768, 32767, 0, 0, 0, 0, 0},
                                 "Type4 sheet=0 dest=-32768,32767 src=0,0 size=0x0 fade=0"},
                      FormatCase{{DrawType::End, 0, 0, 0, 0, 0, 0, 0, 0},
                                 "End sheet=0 dest=0,0 src=0,0 size=0x0 fade=0"}));

}  // namespace
}  // namespace qs3
