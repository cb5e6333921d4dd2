// Building and freeing the graphics of the animation: the order of the steps,
// where each failure stops, and what the release frees afterwards.
#include "graphics/graphics_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_host.h"
#include "fakes/fake_resources.h"

namespace qs3 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr WindowHandle kWindow = 0x5000;
constexpr DeviceContext kDesktop = 220;

class GraphicsStateTest : public ::testing::Test {
 protected:
  GraphicsStateTest() : host(log), resources(log), presenter(log) {
    resources.AddShippedPictures();
  }

  bool Init(GraphicsTarget target = {SaverMode::FullScreen, {800, 600}, 1000}) {
    return InitGraphics(state, Services(), target, kWindow, kDesktop);
  }
  void Release() {
    log.Clear();
    ReleaseGraphics(state, Services(), kWindow);
  }
  GraphicsServices Services() { return {resources, presenter, host}; }

  fakes::CallLog log;
  fakes::FakeHost host;
  fakes::FakeResourceSource resources;
  fakes::FakePresenter presenter;
  GraphicsState state;
};

TEST_F(GraphicsStateTest, BuildsPaletteMasksThenColoursThenTimerInOrder) {
  ASSERT_TRUE(Init());
  EXPECT_THAT(log.calls,
              ElementsAre("FindResource 114", "FindResource 114", "FindResource 115",
                          "FindResource 113", "SelectAnimPalette 220 256", "FindResource 114",
                          "FindResource 115", "FindResource 113", "SetTimer 100 100"));
  EXPECT_EQ(state.timerId, 100);
  EXPECT_EQ(state.composeBuffer, PixelBuffer(800, 600, kBlack));
  EXPECT_EQ(state.stageBuffer, PixelBuffer(800, 600, kBlack));
  EXPECT_EQ(state.sheets[2].Height(), 512);  // sheet 2 is resource 113
}

TEST_F(GraphicsStateTest, ReleaseStopsTheTimerAndPutsThePaletteBackOnce) {
  ASSERT_TRUE(Init());
  Release();
  EXPECT_THAT(log.calls, ElementsAre("KillTimer 100", "RestoreDesktopPalette"));
  EXPECT_TRUE(state.composeBuffer.Empty());
  EXPECT_TRUE(state.sheets[0].indices.Empty());
  Release();
  EXPECT_THAT(log.calls, IsEmpty());
}

struct FailureCase {
  const char* name;
  int missingResource;  // 0: none
  bool paletteFails;
  bool timerFails;
  Size stage;
  const char* lastStep;               // the step the set-up stopped at
  std::vector<std::string> released;  // what ReleaseGraphics then does
};

class GraphicsFailure : public GraphicsStateTest,
                        public ::testing::WithParamInterface<FailureCase> {};

TEST_P(GraphicsFailure, StopsAtTheFailingStepAndReleasesOnlyWhatWasMade) {
  const FailureCase& c = GetParam();
  if (c.missingResource != 0) resources.resources.erase(c.missingResource);
  presenter.paletteFails = c.paletteFails;
  host.timerFails = c.timerFails;
  EXPECT_FALSE(Init({SaverMode::FullScreen, c.stage, 1000}));
  EXPECT_EQ(log.calls.back(), c.lastStep);
  Release();
  EXPECT_EQ(log.calls, c.released);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, GraphicsFailure,
    ::testing::Values(
        FailureCase{"NoPalette", 114, false, false, {800, 600}, "FindResource 114", {}},
        FailureCase{"NoSheet1", 115, false, false, {800, 600}, "FindResource 115", {}},
        FailureCase{"PaletteRefused", 0, true, false, {800, 600}, "SelectAnimPalette 220 256", {}},
        FailureCase{"NoStageBuffers",
                    0,
                    false,
                    false,
                    {-1, 600},
                    "FindResource 113",
                    {"RestoreDesktopPalette"}},
        FailureCase{"StageTooLarge",
                    0,
                    false,
                    false,
                    {8192, 8192},
                    "FindResource 113",
                    {"RestoreDesktopPalette"}},
        FailureCase{
            "NoTimer", 0, false, true, {800, 600}, "SetTimer 100 100", {"RestoreDesktopPalette"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphicsStateTest, PreviewSheetsAreShrunkByTheScaleFactor) {
  ASSERT_TRUE(Init({SaverMode::Preview, {152, 112}, 190}));
  EXPECT_EQ(state.sheets[0].Width(), 121);   // 640 * 0.190
  EXPECT_EQ(state.sheets[0].Height(), 145);  // 768 * 0.190
  EXPECT_EQ(state.composeBuffer.Width(), 152);
}

TEST_F(GraphicsStateTest, AZeroSizedStageStillRuns) {
  ASSERT_TRUE(Init({SaverMode::Preview, {0, 0}, 0}));
  EXPECT_TRUE(state.composeBuffer.Empty());
}

}  // namespace
}  // namespace qs3
