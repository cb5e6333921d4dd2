#include "animation/channels.h"

#include <gtest/gtest.h>

#include <string>

namespace qs3 {
namespace {

// Rectangle shown in each tick, one hex digit per tick, advancing before each
// draw as the timeline does.
std::string ShownRects(AnimChannel& channel, int ticks) {
  std::string shown;
  for (int tick = 1; tick <= ticks; ++tick) {
    AdvanceChannel(channel);
    shown += "0123456789ab"[channel.step->rect];
  }
  return shown;
}

std::int16_t StepIndex(const AnimChannel& channel) {
  return static_cast<std::int16_t>(channel.step - FrameTables(channel.sheet).steps.data());
}

struct ChannelCase {
  int channel;
  int sheet;
  ChannelMode mode;
  const char* first40Ticks;
  friend void PrintTo(const ChannelCase& c, std::ostream* os) { *os << "channel " << c.channel; }
};

class ChannelTableTest : public ::testing::TestWithParam<ChannelCase> {
 protected:
  ChannelTableTest() { SetUpChannels(channels); }
  ChannelArray channels;
};

TEST_P(ChannelTableTest, StartsFreshOnItsSheet) {
  const AnimChannel& channel = channels[GetParam().channel];
  EXPECT_EQ(channel.sheet, GetParam().sheet);
  EXPECT_EQ(channel.rects, FrameTables(GetParam().sheet).rects.data());
  EXPECT_EQ(channel.mode, GetParam().mode);
  EXPECT_EQ(channel.holdCount, 0);
  EXPECT_EQ(channel.loopCount, 0);
}

TEST_P(ChannelTableTest, ShowsItsRectanglesOverFortyTicks) {
  EXPECT_EQ(ShownRects(channels[GetParam().channel], 40), GetParam().first40Ticks);
}

constexpr ChannelMode kLoop = ChannelMode::Looping;
constexpr ChannelMode kOnce = ChannelMode::PlayOnce;

INSTANTIATE_TEST_SUITE_P(
    Channels, ChannelTableTest,
    ::testing::Values(ChannelCase{0, 0, kLoop, "0000111112222233333000001111122222333330"},
                      ChannelCase{1, 0, kLoop, "4444555554444455555444445555544444555554"},
                      ChannelCase{2, 0, kLoop, "6667777666677776666777766667777666677776"},
                      ChannelCase{3, 0, kLoop, "8888888888888888888888888888888888888888"},
                      ChannelCase{4, 0, kLoop, "9999999999999999999999999999999999999999"},
                      ChannelCase{5, 1, kLoop, "0000111112222233333000001111122222333330"},
                      ChannelCase{6, 1, kLoop, "4455544455544455544455544455544455544455"},
                      ChannelCase{7, 1, kLoop, "888899999aaaaabbbbb8888899999aaaaabbbbb8"},
                      ChannelCase{8, 1, kOnce, "6666677777777777777777777777777777777777"},
                      ChannelCase{9, 2, kLoop, "0000111112222233333000001111122222333330"},
                      ChannelCase{10, 2, kOnce, "4444455555555555555555555555555555555555"},
                      ChannelCase{11, 2, kLoop, "6666666666666666666666666666666666666666"}));

struct GridCase {
  int set;
  int rectCount;
};

class FrameGridTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(FrameGridTest, RectanglesAreCellsOfAFourWideGrid) {
  const FrameTableSet& tables = FrameTables(GetParam().set);
  ASSERT_EQ(static_cast<int>(tables.rects.size()), GetParam().rectCount);
  for (int i = 0; i < GetParam().rectCount; ++i) {
    EXPECT_EQ(tables.rects[i], (FrameRect{static_cast<std::int16_t>(160 * (i % 4)),
                                          static_cast<std::int16_t>(256 * (i / 4)), 160, 256}))
        << "rect " << i;
  }
  for (const FrameStep& step : tables.steps) {
    EXPECT_LT(step.rect, GetParam().rectCount);
  }
}

INSTANTIATE_TEST_SUITE_P(Sets, FrameGridTest,
                         ::testing::Values(GridCase{0, 10}, GridCase{1, 12}, GridCase{2, 7}));

struct OneStepCase {
  int channel;
  int rect;
  int hold;
};

class OneStepLoopTest : public ::testing::TestWithParam<OneStepCase> {};

TEST_P(OneStepLoopTest, OnlyTheHoldCountMovesAndEachWrapCountsALoop) {
  ChannelArray channels;
  SetUpChannels(channels);
  AnimChannel& channel = channels[GetParam().channel];
  const FrameStep* const start = channel.step;
  const int period = GetParam().hold + 1;
  for (int tick = 1; tick <= 3 * period + 2; ++tick) {
    AdvanceChannel(channel);
    EXPECT_EQ(channel.step, start) << "tick " << tick;
    EXPECT_EQ(channel.step->rect, GetParam().rect);
    EXPECT_EQ(channel.holdCount, tick % period) << "tick " << tick;
    EXPECT_EQ(channel.loopCount, tick / period) << "tick " << tick;
  }
}

INSTANTIATE_TEST_SUITE_P(Channels, OneStepLoopTest,
                         ::testing::Values(OneStepCase{3, 8, 5}, OneStepCase{4, 9, 5},
                                           OneStepCase{11, 6, 5}));

struct Channel0Range {
  int firstTick;
  int lastTick;
  int rect;
};

TEST(ChannelAdvanceTest, ChannelZeroShowsEachRectangleForItsTicks) {
  constexpr Channel0Range kRanges[] = {{1, 4, 0}, {5, 9, 1}, {10, 14, 2}, {15, 19, 3}, {20, 24, 0}};
  ChannelArray channels;
  SetUpChannels(channels);
  int tick = 0;
  for (const Channel0Range& range : kRanges) {
    for (; tick < range.lastTick; ++tick) {
      AdvanceChannel(channels[0]);
      EXPECT_EQ(channels[0].step->rect, range.rect) << "tick " << tick + 1;
    }
  }
  EXPECT_EQ(channels[0].loopCount, 1);
}

struct PlayOnceCase {
  int channel;
  int firstRect;
  int lastRect;
};

class PlayOnceTest : public ::testing::TestWithParam<PlayOnceCase> {
 protected:
  PlayOnceTest() { SetUpChannels(channels); }
  AnimChannel& Channel() { return channels[GetParam().channel]; }
  ChannelArray channels;
};

TEST_P(PlayOnceTest, StopsOnItsLastFrameUntilRewound) {
  AnimChannel& channel = Channel();
  const FrameStep* const first = channel.step;
  const std::string first5(5, "0123456789ab"[GetParam().firstRect]);
  const std::string then(1, "0123456789ab"[GetParam().lastRect]);
  EXPECT_EQ(ShownRects(channel, 30), first5 + std::string(25, then[0]));
  EXPECT_GT(channel.loopCount, 0);

  RewindChannel(channel);
  EXPECT_EQ(channel.step, first);
  EXPECT_EQ(channel.holdCount, 0);
  EXPECT_EQ(ShownRects(channel, 6), first5 + then);
}

TEST_P(PlayOnceTest, RewindOnTheFirstFrameOnlyRestartsTheHold) {
  AnimChannel& channel = Channel();
  const FrameStep* const first = channel.step;
  ShownRects(channel, 3);
  ASSERT_EQ(channel.holdCount, 3);
  RewindChannel(channel);
  EXPECT_EQ(channel.step, first);
  EXPECT_EQ(channel.holdCount, 0);
  const std::string first5(5, "0123456789ab"[GetParam().firstRect]);
  EXPECT_EQ(ShownRects(channel, 6), first5 + "0123456789ab"[GetParam().lastRect]);
}

INSTANTIATE_TEST_SUITE_P(Channels, PlayOnceTest,
                         ::testing::Values(PlayOnceCase{8, 6, 7}, PlayOnceCase{10, 4, 5}));

struct LoopingRewindCase {
  int channel;
  int ticks;
  int step;  // the step it is on after `ticks`, which rewinding keeps
  int holdCount;
  const char* next5Ticks;
};

class LoopingRewindTest : public ::testing::TestWithParam<LoopingRewindCase> {};

TEST_P(LoopingRewindTest, KeepsTheStepAndRestartsTheHold) {
  const LoopingRewindCase& c = GetParam();
  ChannelArray channels;
  SetUpChannels(channels);
  AnimChannel& channel = channels[c.channel];
  ShownRects(channel, c.ticks);
  ASSERT_EQ(StepIndex(channel), c.step);
  ASSERT_EQ(channel.holdCount, c.holdCount);
  RewindChannel(channel);
  EXPECT_EQ(StepIndex(channel), c.step);
  EXPECT_EQ(channel.holdCount, 0);
  EXPECT_EQ(ShownRects(channel, 5), c.next5Ticks);
}

// A looping channel on the step that closes its loop stays there too.
INSTANTIATE_TEST_SUITE_P(Channels, LoopingRewindTest,
                         ::testing::Values(LoopingRewindCase{0, 12, 2, 2, "22223"},
                                           LoopingRewindCase{0, 17, 3, 2, "33330"},
                                           LoopingRewindCase{1, 7, 5, 2, "55554"}));

struct DrawCase {
  SaverMode mode;
  std::int32_t scaleFactor;
  std::int32_t x;
  std::int32_t y;
  DrawCommand expected;
};

class AppendChannelDrawTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(AppendChannelDrawTest, FillsTheCommandAtTheCursor) {
  const DrawCase& c = GetParam();
  ChannelArray channels;
  SetUpChannels(channels);
  ShownRects(channels[7], 15);  // rectangle 11: (480, 512) on sheet 1
  DisplayList list;
  ResetList(list);
  list.slots[0] = {DrawType::End, 9, 9, 9, 9, 9, 9, 9, 9};  // left over from an earlier frame
  AppendChannelDraw(list, c.x, c.y, channels[7], c.expected.type, c.expected.fade, c.mode,
                    c.scaleFactor);
  EXPECT_EQ(list.cursor, 1);
  EXPECT_EQ(list.slots[0], c.expected);
}

constexpr DrawType kSprite = DrawType::Sprite;
constexpr DrawType kErase = DrawType::Erase;

INSTANTIATE_TEST_SUITE_P(
    Modes, AppendChannelDrawTest,
    ::testing::Values(
        DrawCase{SaverMode::Preview, 237, 400, 110, {kSprite, 1, 94, 26, 113, 121, 37, 60, 0}},
        DrawCase{SaverMode::Configure, 237, 400, 110, {kErase, 1, 94, 26, 113, 121, 37, 60, 3}},
        // Truncation is toward zero: -1.659 gives -1 and -23.7 gives -23.
        DrawCase{SaverMode::Preview, 237, -7, -100, {kSprite, 1, -1, -23, 113, 121, 37, 60, 8}},
        DrawCase{SaverMode::Preview, 1000, 400, 110, {kSprite, 1, 400, 110, 480, 512, 160, 256, 0}},
        DrawCase{
            SaverMode::FullScreen, 237, 400, 110, {kSprite, 1, 400, 110, 480, 512, 160, 256, 0}},
        DrawCase{
            SaverMode::FullScreen, 500, -7, -100, {kErase, 1, -7, -100, 480, 512, 160, 256, 9}},
        // The whole fade field is kept; only drawing looks at its low bits.
        DrawCase{SaverMode::FullScreen, 1000, 0, 0, {kSprite, 1, 0, 0, 480, 512, 160, 256, 25}}));

TEST(AppendChannelDrawTest, LeavesTheChannelAlone) {
  ChannelArray channels;
  SetUpChannels(channels);
  ShownRects(channels[2], 3);
  const AnimChannel before = channels[2];
  DisplayList list;
  ResetList(list);
  AppendChannelDraw(list, 10, 20, channels[2], kErase, 0, SaverMode::FullScreen, 1000);
  AppendChannelDraw(list, 10, 20, channels[2], kSprite, 0, SaverMode::FullScreen, 1000);
  TerminateList(list);
  EXPECT_EQ(channels[2].step, before.step);
  EXPECT_EQ(channels[2].holdCount, before.holdCount);
  EXPECT_EQ(list.slots[0].srcX, list.slots[1].srcX);
  EXPECT_EQ(list.slots[0].srcY, list.slots[1].srcY);
  EXPECT_EQ(list.slots[2].type, DrawType::End);
}

}  // namespace
}  // namespace qs3
