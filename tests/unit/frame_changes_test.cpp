// Where a tick changed the ComposeBuffer: checked against a brute-force
// comparison of consecutive frames over whole performances, and on small
// hand-made lists for the cases a performance may not reach.
#include "graphics/frame_changes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "frontends/headless/headless_run.h"

namespace qs3 {
namespace {

using ::testing::ElementsAre;

// ---------------------------------------------------------------------------
// Brute force: the pixels that differ between two frames.

struct PixelDiff {
  std::vector<bool> changed;
  int count = 0;
  Rect bounds{};  // of all changed pixels; empty when none
};

PixelDiff Compare(const PixelBuffer& before, const PixelBuffer& after) {
  PixelDiff diff;
  diff.changed.assign(before.Pixels().size(), false);
  diff.bounds = {after.Width(), after.Height(), 0, 0};
  for (int y = 0; y < after.Height(); ++y) {
    const std::uint32_t* a = before.Row(y);
    const std::uint32_t* b = after.Row(y);
    if (std::equal(a, a + after.Width(), b)) continue;
    for (int x = 0; x < after.Width(); ++x) {
      if (a[x] == b[x]) continue;
      diff.changed[static_cast<std::size_t>(y) * static_cast<std::size_t>(after.Width()) +
                   static_cast<std::size_t>(x)] = true;
      ++diff.count;
      diff.bounds = {std::min(diff.bounds.left, x), std::min(diff.bounds.top, y),
                     std::max(diff.bounds.right, x + 1), std::max(diff.bounds.bottom, y + 1)};
    }
  }
  return diff;
}

bool IsChanged(const PixelDiff& diff, int width, int x, int y) {
  return diff.changed[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
}

bool Inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

std::string Describe(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// Every changed pixel lies in a reported rectangle; every rectangle lies in
// the frame and is the bounding box of changed pixels (a changed pixel on
// each of its four edges), so nothing unchanged is reported beyond that box.
void ExpectChangesCovered(const PixelDiff& diff, std::span<const Rect> rects, Size frame) {
  for (const Rect& r : rects) {
    ASSERT_FALSE(IsEmpty(r)) << Describe(r);
    ASSERT_TRUE(Contains(WholeFrame(frame), r)) << Describe(r);
    bool top = false, bottom = false, left = false, right = false;
    for (int x = r.left; x < r.right; ++x) {
      top = top || IsChanged(diff, frame.width, x, r.top);
      bottom = bottom || IsChanged(diff, frame.width, x, r.bottom - 1);
    }
    for (int y = r.top; y < r.bottom; ++y) {
      left = left || IsChanged(diff, frame.width, r.left, y);
      right = right || IsChanged(diff, frame.width, r.right - 1, y);
    }
    EXPECT_TRUE(top && bottom && left && right) << "loose rectangle " << Describe(r);
  }
  if (diff.count == 0) return;
  for (int y = diff.bounds.top; y < diff.bounds.bottom; ++y)
    for (int x = diff.bounds.left; x < diff.bounds.right; ++x) {
      if (!IsChanged(diff, frame.width, x, y)) continue;
      const bool covered =
          std::any_of(rects.begin(), rects.end(), [&](const Rect& r) { return Inside(r, x, y); });
      ASSERT_TRUE(covered) << "changed pixel " << x << "," << y << " not reported";
    }
}

// ---------------------------------------------------------------------------
// Whole performances through the headless front end.

struct PerformanceCase {
  std::string name;
  RunSetup setup;
  int ticks;  // whole performances and their restarts
};

void PrintTo(const PerformanceCase& c, std::ostream* out) {
  *out << c.name;
}

RunSetup RunOf(Size screen, std::optional<Size> preview = std::nullopt,
               std::optional<ScriptedMusicClock> music = std::nullopt, std::uint32_t seed = 0) {
  RunSetup setup;
  setup.screen = screen;
  setup.preview = preview;
  setup.music = std::move(music);
  setup.seed = seed;
  return setup;
}

// A music position that moves for 30 s of music, then stalls: the position
// is lost and the tick cues take over (the ending at tick 375).
ScriptedMusicClock StallingMusic() {
  std::vector<MusicAnswer> answers;
  for (std::uint32_t query = 1; query <= 300; ++query) answers.push_back({0, query * 2205});
  return ScriptedMusicClock(std::move(answers));
}

// A silent performance lasts 191 ticks; music at 2205 bytes a tick at most
// 613, a stalled one ending on the tick cues (375 + 41) somewhat fewer.
const PerformanceCase kPerformances[] = {
    {"Silent640x480", RunOf({640, 480}), 400},
    {"Silent800x600", RunOf({800, 600}), 400},
    {"Silent800x600Seed7", RunOf({800, 600}, std::nullopt, std::nullopt, 7), 400},
    {"Silent1920x1080", RunOf({1920, 1080}), 200},
    {"NarrowScreen600x400", RunOf({600, 400}), 400},
    {"Preview152x112", RunOf({800, 600}, Size{152, 112}), 400},
    {"Preview152x112On640x480", RunOf({640, 480}, Size{152, 112}), 400},
    {"SteadyMusic800x600", RunOf({800, 600}, std::nullopt, ScriptedMusicClock::Steady(2205)), 1300},
    {"StalledMusic800x600", RunOf({800, 600}, std::nullopt, StallingMusic()), 900},
};

class ChangesOverAPerformance : public testing::TestWithParam<PerformanceCase> {};

TEST_P(ChangesOverAPerformance, EveryChangedPixelIsReportedAndNothingElse) {
  HeadlessRun run(GetParam().setup);
  ASSERT_TRUE(run.Start());
  const Size size = run.Startup().stageSize;
  int still = 0;
  int restarts = 0;
  for (int tick = 0; tick < GetParam().ticks; ++tick) {
    SCOPED_TRACE("tick " + std::to_string(tick));
    const PixelBuffer before = run.Frame();
    run.Tick();
    const PixelDiff diff = Compare(before, run.Frame());
    ExpectChangesCovered(diff, run.Changes(), size);
    ASSERT_EQ(diff.count == 0, run.Changes().empty());
    still += diff.count == 0 ? 1 : 0;
    restarts += run.TicksDone() > 1 && run.Performance().tick == 0 ? 1 : 0;
    // What the window shows is the whole ComposeBuffer after every tick.
    ASSERT_TRUE(std::equal(run.Presenter().Pixels().begin(), run.Presenter().Pixels().end(),
                           run.Frame().Pixels().begin(), run.Frame().Pixels().end()));
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(still, 0) << "no tick left the frame as it was";
  EXPECT_GE(restarts, 1) << "the ticks must reach a restart at a new place";
  // Only the first frame went out whole.
  EXPECT_EQ(run.Presenter().WholeFramesPresented(), 1);
  EXPECT_LT(run.Presenter().FramesPresented(), GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(Runs, ChangesOverAPerformance, testing::ValuesIn(kPerformances),
                         [](const testing::TestParamInfo<PerformanceCase>& info) {
                           return info.param.name;
                         });

TEST(ChangesOverAPerformance, RepaintHandsOverTheWholeFrame) {
  HeadlessRun run(RunOf({800, 600}));
  ASSERT_TRUE(run.Start());
  for (int tick = 0; tick < 50; ++tick) run.Tick();
  const int presented = run.Presenter().FramesPresented();
  run.Repaint();
  EXPECT_EQ(run.Presenter().FramesPresented(), presented + 1);
  EXPECT_EQ(run.Presenter().WholeFramesPresented(), 2);
}

// ---------------------------------------------------------------------------
// Hand-made lists on a tiny stage.

constexpr int kSide = 8;
constexpr std::uint32_t kInk = 0x00203040;

// Sheet 0: an 8 x 8 sprite, opaque but for its left column; sheet 1 the same
// shape one row lower. Both paint kInk.
SpriteSheets TinySheets() {
  SpriteSheets sheets;
  for (int s = 0; s < 2; ++s) {
    SpriteSheet& sheet = sheets[static_cast<std::size_t>(s)];
    sheet.indices = IndexPlane(kSide, kSide);
    for (int y = s; y < kSide; ++y)
      for (int x = 1; x < kSide; ++x) sheet.indices.At(x, y) = 5;
    sheet.colours[5] = kInk;
  }
  sheets[2] = sheets[0];
  return sheets;
}

DrawCommand Command(DrawType type, int destX, int destY, std::uint8_t sheet = 0,
                    std::uint16_t fade = 0, int width = kSide, int height = kSide) {
  return {.type = type,
          .sheet = sheet,
          .destX = static_cast<std::int16_t>(destX),
          .destY = static_cast<std::int16_t>(destY),
          .width = static_cast<std::int16_t>(width),
          .height = static_cast<std::int16_t>(height),
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

class TrackerTest : public testing::Test {
 protected:
  TrackerTest() { EXPECT_TRUE(tracker.Reserve({32, 24})); }

  // Draws the list and checks the answer against the brute force.
  std::vector<Rect> Draw(const DisplayList& list) {
    const PixelBuffer before = compose;
    tracker.DrawTracked(list, compose, stage, sheets, changed);
    const PixelDiff diff = Compare(before, compose);
    ExpectChangesCovered(diff, changed.View(), {32, 24});
    return {changed.View().begin(), changed.View().end()};
  }

  SpriteSheets sheets = TinySheets();
  PixelBuffer stage{32, 24};
  PixelBuffer compose{32, 24};
  FrameChangeTracker tracker;
  ChangedRects changed;
};

TEST_F(TrackerTest, AHeldFrameErasedAndDrawnAgainReportsNothing) {
  EXPECT_THAT(Draw(ListOf({Command(DrawType::Sprite, 4, 3)})), ElementsAre(Rect{5, 3, 12, 11}));
  EXPECT_TRUE(
      Draw(ListOf({Command(DrawType::Erase, 4, 3), Command(DrawType::Sprite, 4, 3)})).empty());
}

// Nothing but the list draws into the ComposeBuffer; a pixel changed behind
// the tracker's back shows whether a candidate was drawn again.
TEST_F(TrackerTest, TheLastTicksCommandsInTheSameCandidateAreNotDrawnAgain) {
  const DisplayList held = ListOf({Command(DrawType::Erase, 4, 3), Command(DrawType::Sprite, 4, 3),
                                   Command(DrawType::Sprite, 20, 10)});
  Draw(held);
  compose.At(6, 5) = 0x00123456;
  EXPECT_TRUE(Draw(held).empty());
  EXPECT_EQ(compose.At(6, 5), 0x00123456u);
  // One command differs (sheet 1 for the second performer): only its
  // candidate is drawn.
  compose.At(22, 12) = 0x00123456;
  const std::vector<Rect> changes =
      Draw(ListOf({Command(DrawType::Erase, 4, 3), Command(DrawType::Sprite, 4, 3),
                   Command(DrawType::Sprite, 20, 10, 1)}));
  EXPECT_EQ(compose.At(6, 5), 0x00123456u);
  EXPECT_EQ(compose.At(22, 12), kInk);
  EXPECT_THAT(changes, ElementsAre(Rect{22, 12, 23, 13}));
}

TEST_F(TrackerTest, AfterOverlappingCandidatesEverythingIsDrawnAgain) {
  const DisplayList list =
      ListOf({Command(DrawType::Sprite, 0, 0), Command(DrawType::Sprite, 4, 2)});
  Draw(list);
  compose.At(2, 2) = 0x00123456;
  EXPECT_THAT(Draw(list), ElementsAre(Rect{2, 2, 3, 3}));
  EXPECT_EQ(compose.At(2, 2), kInk);
}

TEST_F(TrackerTest, ANewReservationForgetsTheLastTick) {
  const DisplayList list = ListOf({Command(DrawType::Sprite, 0, 0)});
  Draw(list);
  compose.Fill(kBlack);
  ASSERT_TRUE(tracker.Reserve({32, 24}));
  EXPECT_THAT(Draw(list), ElementsAre(Rect{1, 0, 8, 8}));
}

TEST_F(TrackerTest, AFrameChangeReportsOnlyThePixelsThatDiffer) {
  Draw(ListOf({Command(DrawType::Sprite, 4, 3, 0)}));
  // Sheet 1's shape lacks the top row of sheet 0's: only that row changes.
  EXPECT_THAT(Draw(ListOf({Command(DrawType::Erase, 4, 3, 0), Command(DrawType::Sprite, 4, 3, 1)})),
              ElementsAre(Rect{5, 3, 12, 4}));
}

TEST_F(TrackerTest, SeparateCommandsReportSeparateRectangles) {
  EXPECT_THAT(Draw(ListOf({Command(DrawType::Sprite, 0, 0), Command(DrawType::Sprite, 20, 10),
                           Command(DrawType::Sprite, 20, 10, 0, 12)})),
              ElementsAre(Rect{1, 0, 8, 8}, Rect{21, 10, 28, 18}));
}

TEST_F(TrackerTest, CommandsCutToTheStageAndTheSheet) {
  // Past the bottom-right corner (the sheet's transparent column drawn
  // black, as the stage already was), and a source rectangle running past
  // the sheet: only what can be drawn is looked at and reported.
  EXPECT_THAT(Draw(ListOf({Command(DrawType::Opaque, 28, 20, 0, 0, 20, 20),
                           Command(DrawType::Sprite, -3, -2, 0, 0, 20, 20)})),
              ElementsAre(Rect{29, 20, 32, 24}, Rect{0, 0, 5, 6}));
}

TEST_F(TrackerTest, SkippedCommandsAreNoCandidates) {
  compose.Fill(kInk);
  EXPECT_TRUE(
      Draw(ListOf({Command(DrawType::Erase, 0, 0, 0, 9), Command(static_cast<DrawType>(7), 8, 0),
                   Command(DrawType::Opaque, 16, 0, 3)}))
          .empty());
}

// Draws with a tracker whose kept room holds `room` pixels; what it reports.
std::vector<Rect> DrawWithRoom(int room, const DisplayList& list, PixelBuffer& compose,
                               const PixelBuffer& stage, const SpriteSheets& sheets) {
  FrameChangeTracker small;
  EXPECT_TRUE(small.Reserve({room, 1}));
  ChangedRects changed;
  const PixelBuffer before = compose;
  small.DrawTracked(list, compose, stage, sheets, changed);
  // Not tight, but never short: every changed pixel is covered.
  const PixelDiff diff = Compare(before, compose);
  for (int y = 0; y < compose.Height(); ++y) {
    for (int x = 0; x < compose.Width(); ++x) {
      if (!IsChanged(diff, compose.Width(), x, y)) continue;
      EXPECT_TRUE(std::any_of(changed.View().begin(), changed.View().end(),
                              [&](const Rect& r) { return Inside(r, x, y); }))
          << x << "," << y;
    }
  }
  return {changed.View().begin(), changed.View().end()};
}

TEST_F(TrackerTest, ACandidateLargerThanTheKeptRoomIsReportedItself) {
  const DisplayList list =
      ListOf({Command(DrawType::Sprite, 0, 0), Command(DrawType::Sprite, 10, 0),
              Command(DrawType::Erase, 10, 0)});
  EXPECT_THAT(DrawWithRoom(36, list, compose, stage, sheets),
              ElementsAre(Rect{0, 0, 8, 8}, Rect{10, 0, 18, 8}));
}

TEST_F(TrackerTest, OverlappingCandidatesAreKeptAndComparedTogether) {
  // The second sprite covers part of the first, the erase takes part of both.
  const DisplayList list = ListOf({Command(DrawType::Sprite, 0, 0), Command(DrawType::Sprite, 4, 2),
                                   Command(DrawType::Erase, 6, 6)});
  const std::vector<Rect> changes = Draw(list);
  EXPECT_FALSE(changes.empty());
  // Drawn again, nothing changes.
  EXPECT_TRUE(Draw(list).empty());
  // Without the room for all of them, each is reported whole.
  compose.Fill(kBlack);
  EXPECT_THAT(DrawWithRoom(150, list, compose, stage, sheets),
              ElementsAre(Rect{0, 0, 8, 8}, Rect{4, 2, 12, 10}, Rect{6, 6, 14, 14}));
}

TEST_F(TrackerTest, AFullListOfCommandsIsCovered) {
  DisplayList list;
  ResetList(list);
  for (int i = 0; i < 160; ++i) {
    CurrentEntry(list) = Command(i % 3 == 0 ? DrawType::Erase : DrawType::Sprite, (i * 5) % 30,
                                 (i * 7) % 20, static_cast<std::uint8_t>(i % 2), 0, 3, 4);
    AdvanceList(list);
  }
  TerminateList(list);
  compose.Fill(0x00010101);
  Draw(list);
  EXPECT_FALSE(changed.Empty());
}

TEST(ChangedRectsTest, DropsEmptyRectanglesAndGrowsTheLastWhenFull) {
  ChangedRects rects;
  rects.Add({3, 3, 3, 9});
  rects.Add({5, 5, 4, 9});
  EXPECT_TRUE(rects.Empty());
  for (int i = 0; i < kMaxChangedRects; ++i) rects.Add({i, 0, i + 1, 1});
  rects.Add({0, 5, 2, 7});
  ASSERT_EQ(rects.View().size(), static_cast<std::size_t>(kMaxChangedRects));
  EXPECT_EQ(rects.View().back(), (Rect{0, 0, kMaxChangedRects, 7}));
  rects.Clear();
  EXPECT_TRUE(rects.Empty());
}

struct AreaCase {
  const char* name;
  BlitRect rect;
  Rect expected;
};

class DrawableAreaTest : public testing::TestWithParam<AreaCase> {};

TEST_P(DrawableAreaTest, IsWhereTheStageAndTheSheetOverlap) {
  EXPECT_EQ(DrawableArea(GetParam().rect, {100, 80}, {40, 30}), GetParam().expected);
}

// Fields: destX, destY, srcX, srcY, width, height.
INSTANTIATE_TEST_SUITE_P(
    Areas, DrawableAreaTest,
    testing::Values(AreaCase{"Inside", {5, 6, 1, 2, 20, 10}, {5, 6, 25, 16}},
                    AreaCase{"PastTheSheet", {5, 6, 30, 25, 20, 10}, {5, 6, 15, 11}},
                    AreaCase{"SourceLeftOfTheSheet", {5, 6, -3, 0, 20, 10}, {8, 6, 25, 16}},
                    AreaCase{"PastTheStage", {90, 75, 0, 0, 20, 10}, {90, 75, 100, 80}},
                    AreaCase{"OffTheStage", {120, 0, 0, 0, 10, 10}, {}},
                    AreaCase{"NegativeSize", {5, 5, 0, 0, -4, 10}, {}},
                    AreaCase{"HugeFields", {INT32_MIN, INT32_MIN, INT32_MAX, 0, INT32_MAX, 5}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qs3
