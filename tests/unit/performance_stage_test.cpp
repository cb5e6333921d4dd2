// The stage the saver window drives: one frame per tick, the input method
// kept off in full screen, the music timeline only while music is on, and no
// state shared between two stages.
#include "shell/performance_stage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_host.h"
#include "fakes/fake_resources.h"
#include "frontends/headless/headless_run.h"

namespace qs3 {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr WindowHandle kWindow = 0x5000;

// Music that plays on, counting the position queries, with scripted results
// of the player's operations.
struct CountingMusic final : MusicService {
  int queries = 0;
  int result = 1;
  std::vector<std::string> calls;
  int OpenMusic(WindowHandle) override { return Note("OpenMusic"); }
  int LoadSound(const char* path, int slot) override {
    return Note(std::string("LoadSound ") + path + " " + std::to_string(slot));
  }
  int PlaySlot(int slot, std::int32_t looped) override {
    return Note("PlaySlot " + std::to_string(slot) + " " + std::to_string(looped));
  }
  int CloseMusic() override { return Note("CloseMusic"); }
  int Note(std::string call) {
    calls.push_back(std::move(call));
    return result;
  }
  std::uint32_t QueryPosition(PositionBlock& block) override {
    block.position = static_cast<std::uint32_t>(++queries) * 2205u;
    return 0;
  }
  void Reset() override {}
  void PlayFromStart() override {}
};

class PerformanceStageTest : public ::testing::Test {
 protected:
  PerformanceStageTest() : host(log), resources(log), presenter(log) {
    resources.AddShippedPictures();
  }

  PerformanceStage& Start(SaverMode mode, Size stage, std::int32_t scale,
                          MusicService* music = nullptr) {
    performance.emplace(GraphicsServices{resources, presenter, host},
                        music != nullptr ? *music : noMusic);
    const StartupState startup{mode, kNoWindow, {800, 600}, stage, scale};
    EXPECT_TRUE(performance->InitGraphics(kWindow, 220, startup));
    performance->SeedRandom(0);
    performance->InitPerformance();
    log.Clear();
    return *performance;
  }

  fakes::CallLog log;
  fakes::FakeHost host;
  fakes::FakeResourceSource resources;
  fakes::FakePresenter presenter;
  NoMusic noMusic;
  std::optional<PerformanceStage> performance;
};

TEST_F(PerformanceStageTest, FullScreenFrameSwitchesTheInputMethodOffAndTheFirstIsWhole) {
  PerformanceStage& stage = Start(SaverMode::FullScreen, {800, 600}, 1000);
  stage.ComposeFrame(kWindow, false);
  stage.ComposeFrame(kWindow, false);
  // Tick 0 draws nothing yet but is the first frame; tick 1 fades performer 0
  // in at 358,151 (160 x 256) and presents only where that changed.
  ASSERT_EQ(log.calls.size(), 4u);
  EXPECT_THAT(std::vector(log.calls.begin(), log.calls.begin() + 3),
              ElementsAre("EnableIME 0", "Present 20480 800x600 0,0-800,600", "EnableIME 0"));
  ASSERT_EQ(presenter.lastRects.size(), 1u);
  const Rect changed = presenter.lastRects[0];
  EXPECT_GE(changed.left, 358);
  EXPECT_GE(changed.top, 151);
  EXPECT_LE(changed.right, 358 + 160);
  EXPECT_LE(changed.bottom, 151 + 256);
  EXPECT_EQ(log.calls[3], "Present 20480 800x600 " + std::to_string(changed.left) + "," +
                              std::to_string(changed.top) + "-" + std::to_string(changed.right) +
                              "," + std::to_string(changed.bottom));
  EXPECT_TRUE(std::equal(presenter.lastFrame.begin(), presenter.lastFrame.end(),
                         stage.ComposeBuffer().Pixels().begin(),
                         stage.ComposeBuffer().Pixels().end()));
}

TEST_F(PerformanceStageTest, TickThatChangesNoPixelPresentsNothing) {
  PerformanceStage& stage = Start(SaverMode::FullScreen, {800, 600}, 1000);
  // From tick 180 all four are faded out; until the restart at tick 190 each
  // tick erases them from a black stage and draws them at fade 9.
  for (int tick = 0; tick <= 181; ++tick) stage.ComposeFrame(kWindow, false);
  log.Clear();
  for (int tick = 182; tick <= 188; ++tick) stage.ComposeFrame(kWindow, false);
  EXPECT_THAT(log.calls, Each("EnableIME 0"));
  EXPECT_TRUE(stage.LastChanges().empty());
}

TEST_F(PerformanceStageTest, RepaintPresentsTheWholeFrameAsItStands) {
  PerformanceStage& stage = Start(SaverMode::FullScreen, {800, 600}, 1000);
  for (int tick = 0; tick <= 30; ++tick) stage.ComposeFrame(kWindow, false);
  log.Clear();
  stage.PresentWholeFrame(kWindow);
  EXPECT_THAT(log.calls, ElementsAre("Present 20480 800x600 0,0-800,600"));
  EXPECT_TRUE(std::equal(presenter.lastFrame.begin(), presenter.lastFrame.end(),
                         stage.ComposeBuffer().Pixels().begin(),
                         stage.ComposeBuffer().Pixels().end()));
  stage.ReleaseGraphics(kWindow);
  log.Clear();
  stage.PresentWholeFrame(kWindow);
  EXPECT_THAT(log.calls, Not(Contains(HasSubstr("Present"))));
}

TEST_F(PerformanceStageTest, NoRepaintBeforeTheGraphicsAreBuilt) {
  PerformanceStage stage(GraphicsServices{resources, presenter, host}, noMusic);
  stage.PresentWholeFrame(kWindow);
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(PerformanceStageTest, PreviewFrameLeavesTheInputMethodAlone) {
  PerformanceStage& stage = Start(SaverMode::Preview, {152, 112}, 190);
  stage.ComposeFrame(kWindow, false);
  EXPECT_THAT(log.calls, ElementsAre("Present 20480 152x112 0,0-152,112"));
}

TEST_F(PerformanceStageTest, MusicPositionIsFollowedOnlyWhileMusicIsOn) {
  CountingMusic clock;
  PerformanceStage& stage = Start(SaverMode::FullScreen, {800, 600}, 1000, &clock);
  stage.ComposeFrame(kWindow, false);
  EXPECT_EQ(clock.queries, 0);
  stage.ComposeFrame(kWindow, true);
  stage.ComposeFrame(kWindow, true);
  EXPECT_EQ(clock.queries, 2);
  EXPECT_EQ(stage.Performance().positionLost, 0);
}

TEST_F(PerformanceStageTest, MusicCallsReachThePlayerAndTheirResultsComeBack) {
  CountingMusic music;
  PerformanceStage& stage = Start(SaverMode::FullScreen, {800, 600}, 1000, &music);
  EXPECT_TRUE(stage.OpenMusic(kWindow));
  EXPECT_TRUE(stage.LoadSound("D:\\BGM10.SSS", 0));
  EXPECT_TRUE(stage.PlaySlot(0, 1));
  music.result = 0;
  EXPECT_FALSE(stage.OpenMusic(kWindow));
  EXPECT_FALSE(stage.PlaySlot(0, 0));
  stage.CloseMusic();
  EXPECT_THAT(music.calls, ElementsAre("OpenMusic", "LoadSound D:\\BGM10.SSS 0", "PlaySlot 0 1",
                                       "OpenMusic", "PlaySlot 0 0", "CloseMusic"));
}

// Whatever one saver does, a second one with the same seed shows the same
// frames: nothing is kept outside the stage.
TEST(SideBySide, SameSeedGivesIdenticalFramesAndAnotherSeedDoesNot) {
  for (const std::optional<Size> preview :
       {std::optional<Size>{}, std::optional<Size>{{152, 112}}}) {
    HeadlessRun first({{800, 600}, preview, 7, std::nullopt, {}});
    HeadlessRun second({{800, 600}, preview, 7, std::nullopt, {}});
    HeadlessRun other({{800, 600}, preview, 8, std::nullopt, {}});
    ASSERT_TRUE(first.Start() && second.Start() && other.Start());
    int differingFromOther = 0;
    for (int tick = 0; tick < 400; ++tick) {
      first.Tick();
      second.Tick();
      other.Tick();
      ASSERT_EQ(first.Frame(), second.Frame()) << "tick " << tick;
      differingFromOther += first.Frame() == other.Frame() ? 0 : 1;
    }
    EXPECT_GT(differingFromOther, 300);
  }
}

struct ScriptCase {
  const char* text;
  std::optional<std::vector<MusicAnswer>> expected;
};

class MusicScriptParse : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(MusicScriptParse, ReadsPositionsAndFailures) {
  std::string error;
  EXPECT_EQ(ParseMusicScript(GetParam().text, error), GetParam().expected) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MusicScriptParse,
    ::testing::Values(ScriptCase{"2205\n4410\n", std::vector<MusicAnswer>{{0, 2205}, {0, 4410}}},
                      ScriptCase{"# comment\n\n 100 # trailing\nfail 5\r\n",
                                 std::vector<MusicAnswer>{{0, 100}, {5, 0}}},
                      ScriptCase{"", std::vector<MusicAnswer>{}}, ScriptCase{"12x\n", std::nullopt},
                      ScriptCase{"fail 0\n", std::nullopt}, ScriptCase{"-1\n", std::nullopt},
                      ScriptCase{"99999999999\n", std::nullopt}));

TEST(ScriptedMusicClock, LastAnswerRepeatsAndAStartBeginsTheScriptAgain) {
  ScriptedMusicClock clock({{0, 10}, {0, 20}, {7, 0}});
  clock.PlayFromStart();
  PositionBlock block;
  std::vector<std::uint32_t> codes;
  for (int i = 0; i < 4; ++i) codes.push_back(clock.QueryPosition(block));
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{0, 0, 7, 7}));
  EXPECT_EQ(block.position, 20u);
  clock.PlayFromStart();
  clock.QueryPosition(block);
  EXPECT_EQ(block.position, 10u);
}

}  // namespace
}  // namespace qs3
