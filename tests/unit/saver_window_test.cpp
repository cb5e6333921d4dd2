#include "shell/saver_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_host.h"
#include "fakes/fake_password_system.h"
#include "fakes/fake_settings_system.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_stage.h"

namespace qs3 {
namespace {

using fakes::CallLog;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;

constexpr WindowHandle kWindow = 0x5000;
const std::string kGraphicsMessage =
    std::string("MessageBox ") + kGraphicsFailureText + " | ORN SAVER Vol.3";

class SaverWindowTest : public ::testing::Test {
 protected:
  SaverWindowTest() : host(log), passwords(log), stage(log), shell(log, host) {
    host.cursor = {100, 100};
    settings.signature.log = &log;
    settings.user.Set("QS3_DIR", "QS3_DIR", "D:\\Music");
  }

  SaverWindow& Create(SaverMode mode) {
    StartupState startup;
    startup.mode = mode;
    window.emplace(startup, SaverServices{host, passwords, settings, stage, shell});
    window->OnCreate(kWindow);
    return *window;
  }

  void SetPassword(std::int32_t verifyResult) {
    passwords.usePasswordValue = 1;
    passwords.modules = {"password.cpl"};
    passwords.entries = {"VerifyScreenSavePwd"};
    passwords.verifyResult = verifyResult;
  }

  CallLog log;
  fakes::FakeHost host;
  fakes::FakePasswordSystem passwords;
  fakes::FakeSettingsSystem settings;
  fakes::FakeStage stage;
  fakes::FakeShell shell;
  std::optional<SaverWindow> window;
};

TEST_F(SaverWindowTest, FullScreenCreationWithMusicRunsInOrder) {
  settings.user.Set("QS3_10", "WAV", "1");
  Create(SaverMode::FullScreen);
  EXPECT_THAT(log.calls,
              ElementsAre("Open AFMSSV3C.SSS", "OpenMusic", "LoadSound 0", "GetDC desktop",
                          "InitGraphics 220", "ReleaseDC desktop", "SeedRandom 1700000000",
                          "EnableIME 0", "ShowCursor 0", "InitPerformance", "PlaySlot 0 0"));
  EXPECT_EQ(stage.loadedPath, "D:\\Music\\BGM10.SSS");
  EXPECT_EQ(window->cursorSnapshot(), (Point{100, 100}));
  EXPECT_EQ(window->settings().musicEnabled, 1);
}

TEST_F(SaverWindowTest, PreviewCreationForcesMusicOffAndLeavesCursorAndImeAlone) {
  settings.user.Set("QS3_10", "WAV", "1");
  Create(SaverMode::Preview);
  EXPECT_THAT(log.calls,
              ElementsAre("Open AFMSSV3C.SSS", "GetDC desktop", "InitGraphics 220",
                          "ReleaseDC desktop", "SeedRandom 1700000000", "InitPerformance"));
  EXPECT_EQ(window->settings().musicEnabled, 0);
}

struct MusicCase {
  const char* name;
  const char* wav;
  bool openFails;
  bool loadFails;
  std::vector<std::string> musicCalls;  // between LoadSettings and GetDC
  std::int32_t musicAfter;
  friend void PrintTo(const MusicCase& c, std::ostream* os) { *os << c.name; }
};

class SaverWindowMusicTest : public SaverWindowTest,
                             public ::testing::WithParamInterface<MusicCase> {};

TEST_P(SaverWindowMusicTest, MusicStepsAndTheirFailures) {
  const MusicCase& c = GetParam();
  settings.user.Set("QS3_10", "WAV", c.wav);
  stage.openMusicFails = c.openFails;
  stage.loadSoundFails = c.loadFails;
  Create(SaverMode::FullScreen);
  std::vector<std::string> expected{"Open AFMSSV3C.SSS"};
  expected.insert(expected.end(), c.musicCalls.begin(), c.musicCalls.end());
  expected.push_back("GetDC desktop");
  ASSERT_GE(log.calls.size(), expected.size());
  EXPECT_THAT(std::vector(log.calls.begin(), log.calls.begin() + expected.size()),
              ElementsAreArray(expected));
  EXPECT_EQ(window->settings().musicEnabled, c.musicAfter);

  // The teardown closes the device only when music is still on.
  log.Clear();
  window->OnInput(InputMessage::KeyDown);
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "CloseMusic"), c.musicAfter == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaverWindowMusicTest,
    ::testing::Values(
        MusicCase{"On", "1", false, false, {"OpenMusic", "LoadSound 0"}, 1},
        MusicCase{"Off", "0", false, false, {}, 0},
        // Only exactly 1 plays.
        MusicCase{"Two", "2", false, false, {}, 2},
        MusicCase{"MinusOne", "-1", false, false, {}, -1},
        MusicCase{"DeviceFails", "1", true, false, {"OpenMusic"}, 0},
        MusicCase{"FileMissing", "1", false, true, {"OpenMusic", "LoadSound 0", "CloseMusic"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverWindowTest, DataFolderTooLongForThePathSwitchesMusicOff) {
  settings.user.Set("QS3_10", "WAV", "1");
  // 245 characters + "\BGM10.SSS" = 255: fits. One more does not.
  settings.user.Set("QS3_DIR", "QS3_DIR", std::string(245, 'a'));
  Create(SaverMode::FullScreen);
  EXPECT_EQ(window->settings().musicEnabled, 1);
  EXPECT_EQ(stage.loadedPath.size(), 255u);

  log.Clear();
  stage.loadedPath.clear();
  settings.user.Set("QS3_DIR", "QS3_DIR", std::string(246, 'a'));
  Create(SaverMode::FullScreen);
  EXPECT_EQ(window->settings().musicEnabled, 0);
  EXPECT_THAT(log.calls, Not(Contains("LoadSound 0")));
  EXPECT_THAT(log.calls, Contains("CloseMusic"));
  EXPECT_TRUE(stage.loadedPath.empty());
}

TEST_F(SaverWindowTest, GraphicsFailureInPreviewShowsTheMessageAndTearsDown) {
  stage.initGraphicsFails = true;
  Create(SaverMode::Preview);
  EXPECT_THAT(log.calls,
              ElementsAre("Open AFMSSV3C.SSS", "GetDC desktop", "InitGraphics 220",
                          kGraphicsMessage, "ReleaseDC desktop", "ReleasePositionBlock",
                          "ReleaseGraphics", "ShowCursor 1", "EnableIME 1", "PostQuit 0"));
  EXPECT_TRUE(window->tornDown());
}

TEST_F(SaverWindowTest, GraphicsFailureInFullScreenAsksThePasswordAndMayStayUp) {
  stage.initGraphicsFails = true;
  SetPassword(0);
  Create(SaverMode::FullScreen);
  EXPECT_FALSE(window->tornDown());
  EXPECT_EQ(host.quitCount, 0);
  EXPECT_THAT(log.calls, Contains("Verify 20480"));
  // No frames without graphics; the next end request asks again.
  window->OnTimer();
  window->OnTimer();
  EXPECT_EQ(stage.framesComposed, 0);
  passwords.verifyResult = 1;
  window->OnInput(InputMessage::LeftButtonDown);
  EXPECT_TRUE(window->tornDown());
  EXPECT_EQ(host.quitCount, 1);
}

TEST_F(SaverWindowTest, EndRequestWithoutPasswordTearsDownInOrder) {
  settings.user.Set("QS3_10", "WAV", "1");
  Create(SaverMode::FullScreen);
  log.Clear();
  window->OnInput(InputMessage::RightButtonDown);
  EXPECT_THAT(log.calls, ElementsAre("ShowCursor 1", "ReadUsePassword", "ReleasePositionBlock",
                                     "ReleaseGraphics", "CloseMusic", "ShowCursor 1", "EnableIME 1",
                                     "PostQuit 0"));
  EXPECT_EQ(host.lastExitCode, 0);
  EXPECT_TRUE(host.inputMethodEnabled);
}

struct InputCase {
  const char* name;
  InputMessage message;
  Point cursorAtEvent;
  bool ends;
  friend void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }
};

class SaverWindowInputTest : public SaverWindowTest,
                             public ::testing::WithParamInterface<InputCase> {};

TEST_P(SaverWindowInputTest, FullScreenEndsOnlyOnQualifyingInput) {
  const InputCase& c = GetParam();
  Create(SaverMode::FullScreen);
  host.cursor = c.cursorAtEvent;
  window->OnInput(c.message);
  EXPECT_EQ(window->tornDown(), c.ends);
  EXPECT_EQ(host.quitCount, c.ends ? 1 : 0);
}

TEST_P(SaverWindowInputTest, PreviewConsumesEveryInput) {
  const InputCase& c = GetParam();
  Create(SaverMode::Preview);
  host.cursor = c.cursorAtEvent;
  window->OnInput(c.message);
  EXPECT_FALSE(window->tornDown());
  EXPECT_EQ(host.quitCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SaverWindowInputTest,
    ::testing::Values(InputCase{"Diagonal", InputMessage::MouseMove, {101, 99}, true},
                      InputCase{"Horizontal", InputMessage::MouseMove, {150, 100}, false},
                      InputCase{"Vertical", InputMessage::MouseMove, {100, 150}, false},
                      InputCase{"NoMove", InputMessage::MouseMove, {100, 100}, false},
                      InputCase{"LeftButton", InputMessage::LeftButtonDown, {100, 100}, true},
                      InputCase{"RightButton", InputMessage::RightButtonDown, {100, 100}, true},
                      InputCase{"Key", InputMessage::KeyDown, {100, 100}, true},
                      InputCase{"SysKey", InputMessage::SysKeyDown, {100, 100}, true},
                      // No position test outside the client area.
                      InputCase{"NcMove", InputMessage::NcMouseMove, {100, 100}, true},
                      InputCase{"NcLeft", InputMessage::NcLeftButtonDown, {100, 100}, true},
                      InputCase{"NcRight", InputMessage::NcRightButtonDown, {100, 100}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputMessageFromTest, OnlyTheInputTableIsHandled) {
  for (const std::uint32_t message :
       {0x00A0u, 0x00A1u, 0x00A4u, 0x0100u, 0x0104u, 0x0200u, 0x0201u, 0x0204u}) {
    EXPECT_TRUE(InputMessageFrom(message).has_value()) << message;
  }
  // Middle button, key and button releases, characters, double clicks.
  for (const std::uint32_t message : {0x0207u, 0x0208u, 0x0101u, 0x0105u, 0x0102u, 0x0202u, 0x0205u,
                                      0x0203u, 0x00A7u, 0x0000u, 0x0113u}) {
    EXPECT_FALSE(InputMessageFrom(message).has_value()) << message;
  }
}

TEST_F(SaverWindowTest, RefusedPasswordHidesTheCursorAndMeasuresFromTheRefusal) {
  SetPassword(0);
  Create(SaverMode::FullScreen);
  EXPECT_EQ(host.cursorShowCount, -1);
  host.cursor = {300, 200};  // where the user left the mouse at the prompt
  window->OnInput(InputMessage::KeyDown);
  EXPECT_FALSE(window->tornDown());
  EXPECT_EQ(window->passwordPromptUp(), 0);
  EXPECT_EQ(window->cursorSnapshot(), (Point{300, 200}));
  EXPECT_EQ(host.cursorShowCount, -1);
  EXPECT_EQ(passwords.loadedNow, 0);

  host.cursor = {300, 250};  // only y differs from the new snapshot
  window->OnInput(InputMessage::MouseMove);
  EXPECT_FALSE(window->tornDown());
  host.cursor = {301, 201};
  passwords.verifyResult = 1;
  window->OnInput(InputMessage::MouseMove);
  EXPECT_TRUE(window->tornDown());
  EXPECT_EQ(host.cursorShowCount, 1);
}

TEST_F(SaverWindowTest, FramesEveryTickAndEverySecondTickWhileThePromptIsUp) {
  SetPassword(0);
  Create(SaverMode::FullScreen);
  for (int i = 0; i < 4; ++i) window->OnTimer();
  EXPECT_EQ(stage.framesComposed, 4);

  int framesDuringPrompt = 0;
  int promptSeen = 0;
  passwords.duringPrompt = [&] {
    promptSeen = window->passwordPromptUp();
    const int before = stage.framesComposed;
    for (int i = 0; i < 6; ++i) window->OnTimer();
    framesDuringPrompt = stage.framesComposed - before;
  };
  window->OnInput(InputMessage::KeyDown);
  EXPECT_EQ(promptSeen, 1);
  EXPECT_EQ(framesDuringPrompt, 3);

  passwords.duringPrompt = nullptr;
  const int before = stage.framesComposed;
  for (int i = 0; i < 4; ++i) window->OnTimer();
  EXPECT_EQ(stage.framesComposed - before, 4);
}

TEST_F(SaverWindowTest, FramesFollowTheMusicOnlyWhileItIsOn) {
  settings.user.Set("QS3_10", "WAV", "1");
  Create(SaverMode::FullScreen);
  window->OnTimer();
  EXPECT_EQ(log.calls.back(), "ComposeFrame music");

  log.calls.clear();
  stage.loadSoundFails = true;
  Create(SaverMode::FullScreen);
  window->OnTimer();
  EXPECT_EQ(log.calls.back(), "ComposeFrame");
}

TEST_F(SaverWindowTest, GraphicsAreBuiltForThisRunsStartup) {
  StartupState startup{SaverMode::Preview, 0x77, {800, 600}, {152, 112}, 190};
  window.emplace(startup, SaverServices{host, passwords, settings, stage, shell});
  window->OnCreate(kWindow);
  EXPECT_EQ(stage.graphicsStartup.mode, SaverMode::Preview);
  EXPECT_EQ(stage.graphicsStartup.stageSize, (Size{152, 112}));
  EXPECT_EQ(stage.graphicsStartup.scaleFactor, 190);
}

TEST_F(SaverWindowTest, TickToggleAlternates) {
  Create(SaverMode::Preview);
  std::vector<std::int32_t> toggles;
  for (int i = 0; i < 4; ++i) {
    window->OnTimer();
    toggles.push_back(window->tickToggle());
  }
  EXPECT_THAT(toggles, ElementsAre(1, 0, 1, 0));
}

TEST_F(SaverWindowTest, NothingRunsTwiceAfterTheTeardown) {
  settings.user.Set("QS3_10", "WAV", "1");
  Create(SaverMode::FullScreen);
  window->OnInput(InputMessage::KeyDown);
  log.Clear();
  window->OnInput(InputMessage::KeyDown);
  window->OnInput(InputMessage::MouseMove);
  window->OnTimer();
  window->OnDestroy();
  EXPECT_THAT(log.calls, ElementsAre());
  EXPECT_EQ(host.quitCount, 1);
  EXPECT_EQ(stage.framesComposed, 0);
}

TEST_F(SaverWindowTest, RepaintShowsTheWholeFrameWhileTheGraphicsAreUp) {
  SetPassword(0);
  Create(SaverMode::FullScreen);
  log.Clear();
  window->OnPaint();
  // Under the password prompt the window is still drawn when uncovered.
  passwords.duringPrompt = [&] { window->OnPaint(); };
  window->OnInput(InputMessage::KeyDown);
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "PresentWholeFrame"), 2);

  passwords.verifyResult = 1;
  passwords.duringPrompt = nullptr;
  window->OnInput(InputMessage::KeyDown);
  ASSERT_TRUE(window->tornDown());
  log.Clear();
  window->OnPaint();
  EXPECT_THAT(log.calls, ElementsAre());
}

TEST_F(SaverWindowTest, NoRepaintWithoutGraphics) {
  stage.initGraphicsFails = true;
  SetPassword(0);
  Create(SaverMode::FullScreen);
  ASSERT_FALSE(window->tornDown());
  log.Clear();
  window->OnPaint();
  EXPECT_THAT(log.calls, ElementsAre());
}

TEST_F(SaverWindowTest, InputAndDestroyDuringThePromptDoNotStartASecondCheck) {
  SetPassword(0);
  Create(SaverMode::FullScreen);
  int checksDuringPrompt = 0;
  passwords.duringPrompt = [&] {
    const auto verifies = [&] {
      return std::count(log.calls.begin(), log.calls.end(), "Verify 20480");
    };
    const auto before = verifies();
    window->OnInput(InputMessage::KeyDown);
    window->OnInput(InputMessage::LeftButtonDown);
    checksDuringPrompt = static_cast<int>(verifies() - before);
  };
  window->OnInput(InputMessage::KeyDown);
  EXPECT_EQ(checksDuringPrompt, 0);
  EXPECT_FALSE(window->tornDown());  // refused: the saver goes on

  // A destroyed window cannot be kept: the teardown follows the prompt once.
  passwords.duringPrompt = [&] { window->OnDestroy(); };
  window->OnInput(InputMessage::KeyDown);
  EXPECT_TRUE(window->tornDown());
  EXPECT_EQ(host.quitCount, 1);
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "ReleaseGraphics"), 1);
}

TEST_F(SaverWindowTest, DestroyEndsEveryModeAndAsksThePasswordOnlyFullScreen) {
  SetPassword(0);
  Create(SaverMode::Preview);
  window->OnDestroy();
  EXPECT_TRUE(window->tornDown());
  EXPECT_THAT(log.calls, Not(Contains("ReadUsePassword")));

  log.Clear();
  host.quitCount = 0;
  Create(SaverMode::FullScreen);
  window->OnDestroy();
  EXPECT_THAT(log.calls, Contains("Verify 20480"));
  EXPECT_TRUE(window->tornDown());
  EXPECT_EQ(host.quitCount, 1);
}

TEST(ComposeMusicPathTest, FitsTheFieldOrGivesNone) {
  EXPECT_EQ(ComposeMusicPath("C:\\OrnSaver3"), "C:\\OrnSaver3\\BGM10.SSS");
  EXPECT_EQ(ComposeMusicPath(""), "\\BGM10.SSS");
  EXPECT_EQ(ComposeMusicPath(std::string(245, 'x'))->size(), 255u);
  EXPECT_FALSE(ComposeMusicPath(std::string(246, 'x')).has_value());
  EXPECT_FALSE(ComposeMusicPath(std::string(511, 'x')).has_value());
}

}  // namespace
}  // namespace qs3
