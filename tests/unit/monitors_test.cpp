// A desk of several monitors: the order the quartet visits them in, the
// covers over the others, layout changes, and whole headless performances.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "fakes/fake_host.h"
#include "fakes/fake_password_system.h"
#include "fakes/fake_settings_system.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_stage.h"
#include "frontends/headless/headless_run.h"
#include "shell/monitor_desk.h"
#include "shell/saver_window.h"

namespace qs3 {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::Not;

MonitorLayout Layout(std::initializer_list<Monitor> monitors) {
  MonitorLayout layout;
  for (const Monitor& monitor : monitors) layout.monitors[layout.count++] = monitor;
  return layout;
}

constexpr Rect kPrimary{0, 0, 800, 600};
constexpr Rect kLeft{-1024, 0, 0, 768};
constexpr Rect kAbove{0, -480, 640, 0};
constexpr Rect kRight{800, 0, 1920, 900};
// Primary in the middle, one left of it and one above it, all of other sizes.
const MonitorLayout kThree = Layout({{kPrimary, true}, {kLeft, false}, {kAbove, false}});

std::vector<Rect> Areas(const DeskMonitors& desk) {
  return {desk.areas.begin(), desk.areas.begin() + desk.count};
}

struct OrderCase {
  const char* name;
  MonitorLayout layout;
  std::vector<Rect> order;
  int primary;
};

class DeskOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(DeskOrderTest, LeftToRightThenTopToBottomWithThePrimaryFound) {
  const OrderCase& c = GetParam();
  const DeskMonitors desk = UsableMonitors(c.layout, kPrimary);
  EXPECT_EQ(Areas(desk), c.order);
  EXPECT_EQ(desk.primary, c.primary);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DeskOrderTest,
    ::testing::Values(
        OrderCase{"NoAnswerIsTheScreen", {}, {kPrimary}, 0},
        OrderCase{"One", Layout({{kPrimary, true}}), {kPrimary}, 0},
        OrderCase{"LeftAndAbove", kThree, {kLeft, kAbove, kPrimary}, 2},
        OrderCase{"PrimaryRightOfAWiderOne",
                  Layout({{kPrimary, true}, {{-1920, 0, 0, 1080}, false}}),
                  {{-1920, 0, 0, 1080}, kPrimary},
                  1},
        // A mirrored monitor is listed twice and covered once; a monitor of
        // no size or of more pixels than a stage can have is left out.
        OrderCase{"MirroredEmptyAndHugeLeftOut",
                  Layout({{kRight, false},
                          {kPrimary, true},
                          {kPrimary, false},
                          {{5000, 0, 5000, 600}, false},
                          {{0, 0, 100000, 100000}, false}}),
                  {kPrimary, kRight},
                  0},
        // Nobody says which is primary: the one the saver window was made on.
        OrderCase{
            "NoPrimaryFlag", Layout({{kRight, false}, {kPrimary, false}}), {kPrimary, kRight}, 0},
        OrderCase{"NothingUsableIsTheScreen", Layout({{{0, 0, -5, 10}, true}}), {kPrimary}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MonitorDeskTest, PrimaryFirstThenRoundInOrder) {
  MonitorDesk desk;
  desk.Start(kThree, kPrimary);
  std::vector<Rect> visited;
  for (int i = 0; i < 7; ++i) {
    visited.push_back(desk.Playing());
    EXPECT_EQ(desk.CoverCount(), 2);
    for (int c = 0; c < desk.CoverCount(); ++c) EXPECT_FALSE(desk.Cover(c) == desk.Playing());
    desk.Advance();
  }
  EXPECT_EQ(visited,
            (std::vector<Rect>{kPrimary, kLeft, kAbove, kPrimary, kLeft, kAbove, kPrimary}));
}

TEST(MonitorDeskTest, ChangesKeepTheQuartetsMonitorUnlessItIsGone) {
  MonitorDesk desk;
  desk.Start(kThree, kPrimary);
  desk.Advance();  // plays on kLeft
  EXPECT_EQ(desk.Update(kThree), MonitorDesk::Change::None);
  EXPECT_EQ(desk.Update({}), MonitorDesk::Change::None) << "an unanswered layout keeps the covers";
  EXPECT_EQ(desk.Update(Layout({{kPrimary, true}, {kLeft, false}})), MonitorDesk::Change::Moved);
  EXPECT_EQ(desk.Playing(), kLeft);
  EXPECT_EQ(desk.CoverCount(), 1);
  EXPECT_EQ(desk.Update(Layout({{kPrimary, true}, {kRight, false}})),
            MonitorDesk::Change::PlayingGone);
  EXPECT_EQ(desk.Playing(), kPrimary);
  EXPECT_EQ(desk.Next(), kRight);
}

// ----- the saver window over a desk, with fakes ---------------------------------

constexpr WindowHandle kWindow = 0x5000;

class SaverCoversTest : public ::testing::Test {
 protected:
  SaverCoversTest() : host(log), passwords(log), stage(log), shell(log, host) {
    host.monitors = kThree;
  }

  SaverWindow& Create(SaverMode mode) {
    StartupState startup;
    startup.mode = mode;
    startup.screenSize = {800, 600};
    startup.stageSize = mode == SaverMode::Preview ? Size{152, 112} : Size{800, 600};
    window.emplace(startup, SaverServices{host, passwords, settings, stage, shell});
    window->OnCreate(kWindow);
    return *window;
  }

  std::vector<Rect> CoverAreas() const {
    std::vector<Rect> areas;
    for (const auto& [handle, area] : shell.placed) {
      if (handle != kWindow) areas.push_back(area);
    }
    std::sort(areas.begin(), areas.end(), PlaysBefore);
    return areas;
  }

  fakes::CallLog log;
  fakes::FakeHost host;
  fakes::FakePasswordSystem passwords;
  fakes::FakeSettingsSystem settings;
  fakes::FakeStage stage;
  fakes::FakeShell shell;
  std::optional<SaverWindow> window;
};

TEST_F(SaverCoversTest, FullScreenCoversEveryOtherMonitorAndAPreviewNone) {
  Create(SaverMode::FullScreen);
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kLeft, kAbove}));
  EXPECT_EQ(shell.placed.at(kWindow), kPrimary);
  window.reset();
  shell.placed.clear();
  log.Clear();
  Create(SaverMode::Preview);
  EXPECT_TRUE(shell.placed.empty());
  EXPECT_THAT(log.calls, Not(Contains(::testing::StartsWith("MoveToScreen"))));
}

TEST_F(SaverCoversTest, EachRestartMovesTheWindowToTheNextMonitorAndTheCoversAround) {
  Create(SaverMode::FullScreen);
  std::vector<Rect> playedOn;
  for (int performance = 0; performance < 4; ++performance) {
    stage.restartsNext = true;
    window->OnTimer();
    stage.restartsNext = false;
    window->OnTimer();
    playedOn.push_back(shell.placed.at(kWindow));
    std::vector<Rect> everyWindow = CoverAreas();
    everyWindow.push_back(shell.placed.at(kWindow));
    std::sort(everyWindow.begin(), everyWindow.end(), PlaysBefore);
    EXPECT_EQ(everyWindow, (std::vector<Rect>{kLeft, kAbove, kPrimary})) << performance;
  }
  EXPECT_EQ(playedOn, (std::vector<Rect>{kLeft, kAbove, kPrimary, kLeft}));
  EXPECT_THAT(log.calls, Contains("MoveToScreen 1024x768"));
  EXPECT_THAT(log.calls, Contains("MoveToScreen 640x480"));
  // The move comes before the frame that begins the performance there.
  log.Clear();
  stage.restartsNext = true;
  window->OnTimer();
  ASSERT_FALSE(log.calls.empty());
  EXPECT_EQ(log.calls.front(), "MoveToScreen 640x480");
  EXPECT_TRUE(log.calls.back().starts_with("ComposeFrame"));
}

TEST_F(SaverCoversTest, AStageThatCannotMoveStaysWhereItPlays) {
  Create(SaverMode::FullScreen);
  stage.moveFails = true;
  stage.restartsNext = true;
  window->OnTimer();
  EXPECT_EQ(shell.placed.at(kWindow), kPrimary);
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kLeft, kAbove}));
}

TEST_F(SaverCoversTest, InputEndsTheSaverAndTheCoversGoWithIt) {
  Create(SaverMode::FullScreen);
  // The front end hands a cover's input to the same logic.
  window->OnInput(InputMessage::LeftButtonDown);
  EXPECT_TRUE(window->tornDown());
  EXPECT_EQ(shell.placed.size(), 1u) << "only the saver window is left";
  const auto destroyed = std::count_if(log.calls.begin(), log.calls.end(), [](const auto& call) {
    return call.starts_with("DestroyCover");
  });
  EXPECT_EQ(destroyed, 2);
}

TEST_F(SaverCoversTest, ALayoutChangeIsCoveredAtTheNextCheckOrAtOnceWhenTheSystemSaysSo) {
  Create(SaverMode::FullScreen);
  host.monitors = Layout({{kPrimary, true}, {kRight, false}});
  for (int tick = 1; tick < kLayoutCheckTicks; ++tick) window->OnTimer();
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kLeft, kAbove})) << "not yet read again";
  window->OnTimer();
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kRight}));
  host.monitors = kThree;
  window->OnDisplayChange();
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kLeft, kAbove}));
}

TEST_F(SaverCoversTest, TheQuartetsMonitorGoneItPlaysOnThePrimaryPlacedAnew) {
  Create(SaverMode::FullScreen);
  stage.restartsNext = true;
  window->OnTimer();  // now on kLeft
  stage.restartsNext = false;
  log.Clear();
  host.monitors = Layout({{kPrimary, true}, {kAbove, false}});
  window->OnDisplayChange();
  EXPECT_THAT(log.calls, Contains("MoveToScreen 800x600 now"));
  EXPECT_EQ(shell.placed.at(kWindow), kPrimary);
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kAbove}));
}

TEST_F(SaverCoversTest, TheMusicPlaysOnceWhateverTheMonitors) {
  settings.user.Set("QS3_10", "WAV", "1");
  Create(SaverMode::FullScreen);
  for (int performance = 0; performance < 4; ++performance) {
    stage.restartsNext = true;
    window->OnTimer();
    stage.restartsNext = false;
    for (int tick = 0; tick < kLayoutCheckTicks; ++tick) window->OnTimer();
  }
  host.monitors = Layout({{kPrimary, true}});
  window->OnDisplayChange();
  window->OnTimer();
  const auto count = [&](const std::string& call) {
    return std::count(log.calls.begin(), log.calls.end(), call);
  };
  EXPECT_EQ(count("OpenMusic"), 1);
  EXPECT_EQ(count("LoadSound 0"), 1);
  EXPECT_EQ(count("PlaySlot 0 0"), 1);
  EXPECT_EQ(count("CloseMusic"), 0);
  // Four moves at the restarts and one when the quartet's monitor went.
  EXPECT_EQ(std::count_if(log.calls.begin(), log.calls.end(),
                          [](const auto& call) { return call.starts_with("MoveToScreen"); }),
            5);
  EXPECT_EQ(log.calls.back(), "ComposeFrame music");
}

TEST_F(SaverCoversTest, ACoverThatCouldNotBeMadeIsTriedAgain) {
  shell.coverFails = true;
  Create(SaverMode::FullScreen);
  EXPECT_TRUE(CoverAreas().empty());
  shell.coverFails = false;
  for (int tick = 0; tick < kLayoutCheckTicks; ++tick) window->OnTimer();
  EXPECT_EQ(CoverAreas(), (std::vector<Rect>{kLeft, kAbove}));
}

TEST_F(SaverCoversTest, OneMonitorMakesNoCoverAndMovesNothing) {
  host.monitors = Layout({{kPrimary, true}});
  Create(SaverMode::FullScreen);
  stage.restartsNext = true;
  for (int tick = 0; tick < 3 * kLayoutCheckTicks; ++tick) window->OnTimer();
  EXPECT_TRUE(shell.placed.empty());
  EXPECT_THAT(log.calls, Not(Contains(::testing::StartsWith("MoveToScreen"))));
}

// ----- whole performances on a desk (the real stage, headless) ------------------

constexpr int kPerformanceTicks = 191;  // the silent timeline restarts every 191 ticks

bool AllBlack(const std::vector<std::uint32_t>& pixels, const Rect& bounds, const Rect& area) {
  const int width = bounds.right - bounds.left;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (pixels[static_cast<std::size_t>(y - bounds.top) * width + (x - bounds.left)] != kBlack)
        return false;
    }
  }
  return true;
}

TEST(DeskPerformanceTest, EachPerformanceOnTheNextMonitorAndTheOthersNeverDrawn) {
  HeadlessRun run({{800, 600}, std::nullopt, 3, std::nullopt, kThree});
  ASSERT_TRUE(run.Start());
  std::vector<Rect> playedOn;
  for (int tick = 0; tick < 4 * kPerformanceTicks; ++tick) {
    run.Tick();
    if (run.Performance().tick == 0 || tick == 0) playedOn.push_back(run.Desk().Playing());
    const Rect playing = run.Desk().Playing();
    // Placed by the ranges of the monitor it plays on, inside it.
    EXPECT_EQ(run.Performance().screen, AreaSize(playing));
    EXPECT_GE(run.Performance().y, 0);
    EXPECT_LE(run.Performance().y + 256, playing.bottom - playing.top);
    EXPECT_EQ(run.Frame().Width(), playing.right - playing.left);
    EXPECT_EQ(run.Frame().Height(), playing.bottom - playing.top);
    if (tick % 50 == 0) {
      Rect bounds;
      const std::vector<std::uint32_t> desk = run.DeskPicture(&bounds);
      // What the window was handed fits the monitor it stands on.
      EXPECT_EQ(run.Presenter().FrameSize(), AreaSize(playing)) << "tick " << tick;
      EXPECT_FALSE(tick > 60 && AllBlack(desk, bounds, playing)) << "tick " << tick;
    }
  }
  EXPECT_EQ(playedOn, (std::vector<Rect>{kPrimary, kLeft, kAbove, kPrimary, kLeft}));
}

TEST(DeskPerformanceTest, TheFirstPerformanceIsTheSingleScreensAndOneMonitorChangesNothing) {
  HeadlessRun single({{800, 600}, std::nullopt, 5, std::nullopt, {}});
  HeadlessRun desk({{800, 600}, std::nullopt, 5, std::nullopt, kThree});
  HeadlessRun one({{800, 600}, std::nullopt, 5, std::nullopt, Layout({{kPrimary, true}})});
  ASSERT_TRUE(single.Start() && desk.Start() && one.Start());
  for (int tick = 0; tick < 3 * kPerformanceTicks; ++tick) {
    single.Tick();
    desk.Tick();
    one.Tick();
    ASSERT_TRUE(single.Frame() == one.Frame()) << "tick " << tick;
    if (tick < kPerformanceTicks - 1) {
      ASSERT_TRUE(single.Frame() == desk.Frame()) << "tick " << tick;
    }
  }
}

TEST(DeskPerformanceTest, EachMonitorsPerformanceIsPlacedByThatMonitorsRanges) {
  // A 640 x 480 monitor has its one fixed place and draws no random number.
  HeadlessRun run({{800, 600}, std::nullopt, 9, std::nullopt, kThree});
  ASSERT_TRUE(run.Start());
  for (int tick = 0; tick < 3 * kPerformanceTicks; ++tick) {
    run.Tick();
    if (run.Performance().tick != 0 || !(run.Desk().Playing() == kAbove)) continue;
    EXPECT_EQ(run.Performance().y, 110);
    EXPECT_EQ(run.Performance().screen, (Size{640, 480}));
  }
}

}  // namespace
}  // namespace qs3
