#include "config_ui/config_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fakes/fake_config_windows.h"
#include "fakes/fake_host.h"
#include "fakes/fake_resources.h"
#include "fakes/fake_settings_system.h"

namespace qs3 {
namespace {

using fakes::FakeConfigWindows;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr WindowHandle kParent = 99;
constexpr std::uint32_t kShiftAndLeft = 0x0005;  // MK_SHIFT | MK_LBUTTON
constexpr std::uint32_t kNoKeys = 0;

class ConfigDialogTest : public ::testing::Test {
 protected:
  ConfigDialogTest() : host(log), windows(log), resources(log) {
    host.screen = {800, 600};
    resources.AddShippedPictures();
  }

  ConfigDialogServices Services() { return {host, windows, settings, resources}; }
  void Show() { ShowConfigDialog(kParent, Services()); }

  // The calls of the window manager only, in order.
  std::vector<std::string> WindowCalls() const {
    std::vector<std::string> calls;
    std::copy_if(log.calls.begin(), log.calls.end(), std::back_inserter(calls),
                 [](const std::string& call) { return !call.starts_with("FindResource"); });
    return calls;
  }

  // A point inside a button: its window rectangle's corner plus an offset.
  Point At(const char* className, int dx, int dy) {
    const Rect rect = windows.rects.at(windows.buttons.at(className));
    return {rect.left + dx, rect.top + dy};
  }

  std::optional<std::string> SavedMusic() const { return settings.user.Get("QS3_10", "WAV"); }

  fakes::CallLog log;
  fakes::FakeHost host;
  FakeConfigWindows windows;
  fakes::FakeSettingsSystem settings;
  fakes::FakeResourceSource resources;
};

// --- Building the window ---

TEST_F(ConfigDialogTest, BuildsTheWindowAndButtonsThenRunsTheLoopWithTheParentDisabled) {
  Show();
  EXPECT_THAT(
      WindowCalls(),
      ElementsAre("RegisterClass QS3_10", "CreateWindow QS3_10", "SelectArtPalette settings 256",
                  "RegisterClass OK", "RegisterClass CANCEL", "RegisterClass WAVMODE",
                  "CreateButton OK 120,239 96x32", "CreateButton CANCEL 223,239 96x32",
                  "CreateButton WAVMODE 60,187 80x28", "Show settings", "EnableWindow 99 off",
                  "MessageLoop", "Hide settings", "EnableWindow 99 on", "Detach"));
}

TEST_F(ConfigDialogTest, TheWindowIsPlacedAsIfA344By288WindowWereCentred) {
  host.screen = {801, 599};
  windows.metrics = {4, 5, 19};
  Show();
  const ConfigWindowParams& params = windows.createdWith;
  EXPECT_EQ(params.className, "QS3_10");
  EXPECT_EQ(params.title, "\x8c\xb7\x8a\x79\x8e\x6c\x8f\x64\x91\x74\x82\xcc\x90\xdd\x92\xe8");
  EXPECT_EQ(params.style, 0x92C80080u);
  EXPECT_EQ(params.exStyle, 0u);
  EXPECT_EQ(params.position, (Point{400 - 172, 299 - 144}));
  // One frame thickness on each axis, not two.
  EXPECT_EQ(params.size, (Size{344 + 4, 288 + 5 + 19}));
}

TEST_F(ConfigDialogTest, EachFailingStepEndsItBeforeAnythingIsDisabled) {
  struct Case {
    const char* name;
    void (*script)(FakeConfigWindows&);
    const char* lastCall;  // before Detach
  };
  const Case table[] = {
      {"settings class", [](FakeConfigWindows& w) { w.failRegistration.insert("QS3_10"); },
       "RegisterClass QS3_10"},
      {"settings window", [](FakeConfigWindows& w) { w.failCreation.insert("QS3_10"); },
       "CreateWindow QS3_10"},
      {"OK class", [](FakeConfigWindows& w) { w.failRegistration.insert("OK"); },
       "RegisterClass OK"},
      {"WAVMODE class", [](FakeConfigWindows& w) { w.failRegistration.insert("WAVMODE"); },
       "RegisterClass WAVMODE"},
      {"CANCEL button", [](FakeConfigWindows& w) { w.failCreation.insert("CANCEL"); },
       "CreateButton CANCEL 223,239 96x32"},
      {"switch", [](FakeConfigWindows& w) { w.failCreation.insert("WAVMODE"); },
       "CreateButton WAVMODE 60,187 80x28"},
  };
  for (const Case& c : table) {
    log.Clear();
    FakeConfigWindows failing(log);
    c.script(failing);
    ShowConfigDialog(kParent, {host, failing, settings, resources});
    const std::vector<std::string> calls = WindowCalls();
    ASSERT_GE(calls.size(), 2u) << c.name;
    EXPECT_EQ(calls[calls.size() - 2], c.lastCall) << c.name;
    EXPECT_EQ(calls.back(), "Detach") << c.name;
    EXPECT_THAT(calls, Not(Contains("EnableWindow 99 off"))) << c.name;
    EXPECT_THAT(calls, Not(Contains("MessageLoop"))) << c.name;
  }
}

// --- The settings window's handlers ---

TEST_F(ConfigDialogTest, CreationLoadsTheSettingsAndTheArtWithThePaletteBetweenMaskAndColour) {
  settings.user.Set("QS3_10", "WAV", "0");
  windows.duringLoop = [](FakeConfigWindows& w) { w.Close(); };
  Show();
  std::vector<std::string> creation;
  for (const std::string& call : log.calls) {
    if (call == "FindResource 102" || call.starts_with("SelectArtPalette"))
      creation.push_back(call);
  }
  // Palette, mask, the palette realised, then the colour version.
  EXPECT_THAT(creation, ElementsAre("FindResource 102", "FindResource 102",
                                    "SelectArtPalette settings 256", "FindResource 102"));
}

TEST_F(ConfigDialogTest, WithoutTheArtTheWindowStillWorksUnpainted) {
  resources.resources.clear();
  windows.duringLoop = [this](FakeConfigWindows& w) {
    ConfigDialog& dialog = *w.dialog();
    EXPECT_FALSE(dialog.PaintBackground({341, 285}));
    EXPECT_EQ(dialog.PaintButton(ButtonKind::Ok).Width(), 96);
    w.Mouse(ButtonKind::MusicSwitch, ButtonMessage::LeftButtonDown, At("WAVMODE", 5, 5), 1);
    w.Mouse(ButtonKind::MusicSwitch, ButtonMessage::LeftButtonUp, At("WAVMODE", 5, 5), 0);
    w.Mouse(ButtonKind::Ok, ButtonMessage::LeftButtonDown, At("OK", 5, 5), 1);
    w.Mouse(ButtonKind::Ok, ButtonMessage::LeftButtonUp, At("OK", 5, 5), 0);
  };
  Show();
  EXPECT_THAT(WindowCalls(), Not(Contains(::testing::StartsWith("SelectArtPalette"))));
  EXPECT_THAT(WindowCalls(), Not(Contains("RestorePalette settings")));
  EXPECT_EQ(SavedMusic(), "0");  // default 1, flipped once
}

TEST_F(ConfigDialogTest, OkSavesAndCloses_CancelAndClosingOnlyClose_OtherIdsDoNothing) {
  struct Case {
    const char* name;
    void (*action)(FakeConfigWindows&);
    bool closes;
    bool saves;
  };
  const Case table[] = {
      {"OK", [](FakeConfigWindows& w) { w.Command(kOkCommand); }, true, true},
      {"CANCEL", [](FakeConfigWindows& w) { w.Command(kCancelCommand); }, true, false},
      {"close box", [](FakeConfigWindows& w) { w.Close(); }, true, false},
      {"id 0", [](FakeConfigWindows& w) { w.Command(0); }, false, false},
      {"id 3", [](FakeConfigWindows& w) { w.Command(3); }, false, false},
      // The whole wParam counts: a notification code in the high word is no OK.
      {"id 0x10001", [](FakeConfigWindows& w) { w.Command(0x10001); }, false, false},
  };
  for (const Case& c : table) {
    FakeConfigWindows fresh(log);
    fakes::FakeSettingsSystem freshSettings;
    fresh.duringLoop = c.action;
    ShowConfigDialog(kParent, {host, fresh, freshSettings, resources});
    EXPECT_EQ(fresh.IsLive(fresh.settingsWindow), !c.closes) << c.name;
    EXPECT_EQ(fresh.quitPosted, c.closes) << c.name;
    // With no settings file the switch reads 1, and OK writes it even unchanged.
    EXPECT_EQ(freshSettings.user.Get("QS3_10", "WAV"),
              c.saves ? std::optional<std::string>("1") : std::nullopt)
        << c.name;
  }
}

TEST_F(ConfigDialogTest, DestructionFreesTheArtPutsThePaletteBackAndPostsQuit) {
  windows.duringLoop = [](FakeConfigWindows& w) {
    w.Close();
    EXPECT_FALSE(w.dialog()->art().colour);
    EXPECT_FALSE(w.dialog()->art().mask);
    EXPECT_FALSE(w.dialog()->art().palette);
  };
  Show();
  const std::vector<std::string> calls = WindowCalls();
  const auto destroy = std::find(calls.begin(), calls.end(), "Destroy settings");
  ASSERT_NE(destroy, calls.end());
  EXPECT_THAT(std::vector<std::string>(destroy, destroy + 3),
              ElementsAre("Destroy settings", "RestorePalette settings", "PostQuit 0"));
}

TEST_F(ConfigDialogTest, APaletteThatCannotBeSelectedIsNotPutBack) {
  windows.paletteFails = true;
  windows.duringLoop = [](FakeConfigWindows& w) { w.Close(); };
  Show();
  EXPECT_THAT(WindowCalls(), Not(Contains("RestorePalette settings")));
  EXPECT_THAT(WindowCalls(), Contains("PostQuit 0"));
}

// --- The buttons ---

// One mouse event for the button state machine: where the cursor is (on the
// button or well off it) and the key state the message carries.
struct MouseStep {
  ButtonMessage message;
  bool onButton;
  std::uint32_t keys;
  // After the step.
  std::int32_t pressedFlag;
  bool captured;
};

struct StateCase {
  const char* name;
  std::vector<MouseStep> steps;
  int clicks;  // completed clicks on the music switch
};

void PrintTo(const StateCase& c, std::ostream* os) {
  *os << c.name;
}

class ButtonStateTest : public ConfigDialogTest, public ::testing::WithParamInterface<StateCase> {};

constexpr auto kMove = ButtonMessage::MouseMove;
constexpr auto kDown = ButtonMessage::LeftButtonDown;
constexpr auto kUp = ButtonMessage::LeftButtonUp;

TEST_P(ButtonStateTest, FollowsTheMouse) {
  const StateCase& c = GetParam();
  windows.duringLoop = [this, &c](FakeConfigWindows& w) {
    const std::int32_t before = w.dialog()->settings().musicEnabled;
    const Point on = At("WAVMODE", 40, 14);
    const Point off = At("WAVMODE", 200, 14);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const MouseStep& step = c.steps[i];
      w.Mouse(ButtonKind::MusicSwitch, step.message, step.onButton ? on : off, step.keys);
      const ConfigDialog& dialog = *w.dialog();
      EXPECT_EQ(dialog.Record(ButtonRecord::MusicOff).pressedFlag, step.pressedFlag) << i;
      // Both records of the switch share their flag.
      EXPECT_EQ(dialog.Record(ButtonRecord::MusicOn).pressedFlag, step.pressedFlag) << i;
      EXPECT_EQ(w.captured == w.buttons.at("WAVMODE"), step.captured) << i;
    }
    std::int32_t expected = before;
    for (int i = 0; i < c.clicks; ++i) expected = FlipMusic(expected);
    EXPECT_EQ(w.dialog()->settings().musicEnabled, expected);
  };
  Show();
  EXPECT_FALSE(SavedMusic()) << "the switch saves nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ButtonStateTest,
    ::testing::Values(
        StateCase{"PressAndRelease", {{kDown, true, 1, 1, true}, {kUp, true, 0, 0, false}}, 1},
        StateCase{
            "DragOffAndReleaseOutside",
            {{kDown, true, 1, 1, true}, {kMove, false, 1, 0, true}, {kUp, false, 0, 0, false}},
            0},
        StateCase{"DragOffAndBack",
                  {{kDown, true, 1, 1, true},
                   {kMove, false, 1, 0, true},
                   {kMove, true, 1, 1, true},
                   {kUp, true, 0, 0, false}},
                  1},
        StateCase{
            "PressBeganOnTheBackground", {{kMove, true, 1, 1, true}, {kUp, true, 0, 0, false}}, 1},
        StateCase{"ShiftHeldWhileMovingOnDoesNotPress",
                  {{kMove, true, kShiftAndLeft, 0, false}, {kUp, true, kShiftAndLeft, 0, false}},
                  1},
        StateCase{"ShiftHeldWhilePressingStillPresses",
                  {{kDown, true, kShiftAndLeft, 1, true}, {kUp, true, 4, 0, false}},
                  1},
        StateCase{"MovingOnWithNoButtonDoesNothing",
                  {{kMove, true, kNoKeys, 0, false}, {kMove, false, kNoKeys, 0, false}},
                  0},
        StateCase{"PressedAndMovedWithAnotherKeyStaysPressed",
                  {{kDown, true, 1, 1, true}, {kMove, true, kShiftAndLeft, 1, true}},
                  0},
        StateCase{"DoubleClickFlipsTwice",
                  {{kDown, true, 1, 1, true},
                   {kUp, true, 0, 0, false},
                   {kDown, true, 1, 1, true},
                   {kUp, true, 0, 0, false}},
                  2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigDialogTest, AReleaseOnTheFirstColumnRightOrRowBelowCountsAsOnTheButton) {
  windows.duringLoop = [this](FakeConfigWindows& w) {
    const struct {
      Point at;
      bool flips;
    } table[] = {{At("WAVMODE", 80, 10), true},
                 {At("WAVMODE", 10, 28), true},
                 {At("WAVMODE", 81, 10), false},
                 {At("WAVMODE", 10, 29), false},
                 {At("WAVMODE", -1, 10), false}};
    for (const auto& row : table) {
      const std::int32_t before = w.dialog()->settings().musicEnabled;
      w.Mouse(ButtonKind::MusicSwitch, kDown, At("WAVMODE", 5, 5), 1);
      w.Mouse(ButtonKind::MusicSwitch, kUp, row.at, 0);
      EXPECT_EQ(w.dialog()->settings().musicEnabled != before, row.flips)
          << row.at.x << "," << row.at.y;
    }
  };
  Show();
}

TEST_F(ConfigDialogTest, TheSwitchShowsTheOtherLookAfterEachClickAndOkSavesTheValue) {
  settings.user.Set("QS3_10", "WAV", "2");
  windows.duringLoop = [this](FakeConfigWindows& w) {
    ConfigDialog& dialog = *w.dialog();
    const DialogArt& art = dialog.art();
    const ButtonRecords looks = InitialButtonRecords();
    const auto on =
        ComposeButton(art, looks[static_cast<std::size_t>(ButtonRecord::MusicOn)].normal);
    const auto off =
        ComposeButton(art, looks[static_cast<std::size_t>(ButtonRecord::MusicOff)].normal);
    ASSERT_NE(on, off);
    EXPECT_EQ(dialog.PaintButton(ButtonKind::MusicSwitch), on);  // 2 reads as on
    const Point inside = At("WAVMODE", 40, 14);
    w.Mouse(ButtonKind::MusicSwitch, kDown, inside, 1);
    EXPECT_NE(dialog.PaintButton(ButtonKind::MusicSwitch), on);  // the pressed look
    w.Mouse(ButtonKind::MusicSwitch, kUp, inside, 0);
    EXPECT_EQ(dialog.settings().musicEnabled, 1);
    EXPECT_EQ(dialog.PaintButton(ButtonKind::MusicSwitch), on);
    w.Mouse(ButtonKind::MusicSwitch, kDown, inside, 1);
    w.Mouse(ButtonKind::MusicSwitch, kUp, inside, 0);
    EXPECT_EQ(dialog.PaintButton(ButtonKind::MusicSwitch), off);
    EXPECT_EQ(settings.user.CountCalls(fakes::FakeProfileStore::Call::Kind::WriteString, "WAV"),
              0u);
    w.Mouse(ButtonKind::Ok, kDown, At("OK", 10, 10), 1);
    w.Mouse(ButtonKind::Ok, kUp, At("OK", 10, 10), 0);
  };
  Show();
  EXPECT_EQ(SavedMusic(), "0");
  EXPECT_THAT(WindowCalls(), Contains("SendCommand 1 from OK"));
}

TEST_F(ConfigDialogTest, AfterOkHasDestroyedTheWindowTheButtonTouchesNothingOfIt) {
  for (const char* button : {"OK", "CANCEL"}) {
    FakeConfigWindows fresh(log);
    const ButtonKind kind = button == std::string("OK") ? ButtonKind::Ok : ButtonKind::Cancel;
    fresh.duringLoop = [kind, button](FakeConfigWindows& w) {
      const Rect rect = w.rects.at(w.buttons.at(button));
      const Point inside{rect.left + 3, rect.top + 3};
      w.Mouse(kind, kDown, inside, 1);
      w.cursor = inside;
      w.dialog()->OnButtonMessage(kind, w.buttons.at(button), kUp, 0);
    };
    log.Clear();
    ShowConfigDialog(kParent, {host, fresh, settings, resources});
    EXPECT_FALSE(fresh.IsLive(fresh.settingsWindow)) << button;
    EXPECT_FALSE(fresh.deadWindowTouched) << button;
    EXPECT_EQ(fresh.captured, kNoWindow) << button;
    EXPECT_THAT(WindowCalls(), Contains("ReleaseCapture")) << button;
  }
}

TEST_F(ConfigDialogTest, PressingOkAndReleasingOutsideKeepsTheWindowOpen) {
  windows.duringLoop = [this](FakeConfigWindows& w) {
    w.Mouse(ButtonKind::Ok, kDown, At("OK", 10, 10), 1);
    EXPECT_EQ(w.dialog()->PaintButton(ButtonKind::Ok),
              ComposeButton(w.dialog()->art(), w.dialog()->Record(ButtonRecord::Ok).pressed));
    w.Mouse(ButtonKind::Ok, kMove, At("OK", 150, 10), 1);
    EXPECT_EQ(w.dialog()->PaintButton(ButtonKind::Ok),
              ComposeButton(w.dialog()->art(), w.dialog()->Record(ButtonRecord::Ok).normal));
    w.Mouse(ButtonKind::Ok, kUp, At("OK", 150, 10), 0);
  };
  Show();
  EXPECT_TRUE(windows.IsLive(windows.settingsWindow));
  EXPECT_FALSE(SavedMusic());
  EXPECT_THAT(WindowCalls(), Not(Contains(::testing::StartsWith("SendCommand"))));
}

}  // namespace
}  // namespace qs3
