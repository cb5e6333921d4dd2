// Whole performances against files under version control: the display list
// of every tick as text, and a few whole frames. A mismatch writes what the
// run gave next to the build, to compare; scripts/make-golden rewrites the
// files after a deliberate change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/indexed_image.h"
#include "config_ui/config_dialog.h"
#include "embedded/embedded_resources.h"
#include "frontends/headless/headless_run.h"

namespace qs3 {
namespace {

const std::filesystem::path kGoldenDir = QS3_GOLDEN_DIR;
const std::filesystem::path kActualDir = QS3_GOLDEN_OUT_DIR;
constexpr int kLastTracedTick = 190;  // a whole performance and the restart

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string SaveActual(const std::string& name, const std::string& text) {
  std::filesystem::create_directories(kActualDir);
  const std::filesystem::path path = kActualDir / name;
  std::ofstream(path) << text;
  return path.string();
}

std::string RunTrace(const RunSetup& setup, int lastTick) {
  HeadlessRun run(setup);
  EXPECT_TRUE(run.Start());
  std::string trace = TraceHeader(run);
  for (int tick = 0; tick <= lastTick; ++tick) {
    run.Tick();
    trace += TraceTick(run);
  }
  return trace;
}

struct TraceCase {
  const char* file;
  Size screen;
  std::optional<Size> preview;
  // Lines the trace must hold, whatever else changes in it.
  std::vector<std::string> landmarks;
};

void PrintTo(const TraceCase& c, std::ostream* os) {
  *os << c.file;
}

class GoldenTrace : public ::testing::TestWithParam<TraceCase> {};

TEST_P(GoldenTrace, WholePerformanceMatchesTheFile) {
  const TraceCase& c = GetParam();
  const std::string actual = RunTrace({c.screen, c.preview, 0, std::nullopt, {}}, kLastTracedTick);
  const std::string expected = ReadText(kGoldenDir / "traces" / c.file);
  ASSERT_FALSE(expected.empty()) << "missing golden file " << c.file;
  if (actual != expected) {
    ADD_FAILURE() << c.file << " differs; this run's trace is " << SaveActual(c.file, actual)
                  << " (scripts/make-golden rewrites the golden files)";
  }
  for (const std::string& landmark : c.landmarks) {
    EXPECT_NE(expected.find(landmark), std::string::npos) << c.file << " lacks: " << landmark;
  }
}

const std::string kFirstTick800 =
    "tick 0\n"
    "place x=358,198,518,38 y=151 endpoint=1210000\n"
    "Erase sheet=0 dest=358,151 src=0,0 size=160x256 fade=0\n"
    "Sprite sheet=0 dest=358,151 src=0,0 size=160x256 fade=9\n"
    "tick 1\n";

INSTANTIATE_TEST_SUITE_P(
    SeedZero, GoldenTrace,
    ::testing::Values(TraceCase{"fullscreen_800x600_seed0.txt",
                                {800, 600},
                                std::nullopt,
                                {kFirstTick800,
                                 "Erase sheet=1 dest=198,151 src=0,0 size=160x256 fade=0\n"
                                 "Sprite sheet=1 dest=198,151 src=0,0 size=160x256 fade=9\n"
                                 "tick 21\n"}},
                      TraceCase{"fullscreen_640x480_seed0.txt",
                                {640, 480},
                                std::nullopt,
                                {"place x=320,160,480,0 y=110 endpoint=1210000\n"}},
                      TraceCase{"preview_152x112_on_800x600_seed0.txt",
                                {800, 600},
                                Size{152, 112},
                                {"stage 152x112 scale 190", "size=30x48"}},
                      TraceCase{"preview_152x112_on_640x480_seed0.txt",
                                {640, 480},
                                Size{152, 112},
                                {"stage 152x112 scale 237", "dest=113,26 src=", "size=37x60"}}),
    [](const auto& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.find('.'));
      return name;
    });

struct FrameCase {
  const char* file;
  Size screen;
  std::optional<Size> preview;
  int tick;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
  *os << c.file;
}

class GoldenFrame : public ::testing::TestWithParam<FrameCase> {};

// Compares a picture with a PNG under frames/; a mismatch saves this run's
// picture beside the build.
void ExpectMatchesPicture(std::span<const std::uint32_t> pixels, Size size,
                          const std::string& file) {
  std::string error;
  const auto expected = tools::ReadRgbPng(kGoldenDir / "frames" / file, error);
  ASSERT_TRUE(expected) << error;
  ASSERT_EQ(size.width, expected->width);
  ASSERT_EQ(size.height, expected->height);
  ASSERT_EQ(pixels.size(), expected->pixels.size());
  int differing = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i)
    differing += pixels[i] != expected->pixels[i] ? 1 : 0;
  if (differing > 0) {
    std::filesystem::create_directories(kActualDir);
    const auto path = kActualDir / file;
    tools::WriteRgbPng(pixels, size.width, size.height, path, error);
    ADD_FAILURE() << differing << " pixels differ from " << file << "; this run's picture is "
                  << path.string();
  }
}

void ExpectMatchesPicture(const PixelBuffer& picture, const std::string& file) {
  ExpectMatchesPicture(picture.Pixels(), {picture.Width(), picture.Height()}, file);
}

TEST_P(GoldenFrame, MatchesThePicture) {
  const FrameCase& c = GetParam();
  HeadlessRun run({c.screen, c.preview, 0, std::nullopt, {}});
  ASSERT_TRUE(run.Start());
  for (int tick = 0; tick <= c.tick; ++tick) run.Tick();
  const PixelBuffer& frame = run.Frame();
  ExpectMatchesPicture(frame, c.file);
  // The rectangles the presenter was handed add up to the whole ComposeBuffer.
  EXPECT_TRUE(std::equal(run.Presenter().Pixels().begin(), run.Presenter().Pixels().end(),
                         frame.Pixels().begin(), frame.Pixels().end()));
}

INSTANTIATE_TEST_SUITE_P(
    SeedZero, GoldenFrame,
    ::testing::Values(FrameCase{"fullscreen_800x600_seed0_tick0025.png", {800, 600}, {}, 25},
                      FrameCase{"fullscreen_800x600_seed0_tick0100.png", {800, 600}, {}, 100},
                      FrameCase{"fullscreen_800x600_seed0_tick0150.png", {800, 600}, {}, 150},
                      FrameCase{"fullscreen_800x600_seed0_tick0174.png", {800, 600}, {}, 174},
                      FrameCase{"preview_152x112_on_800x600_seed0_tick0100.png",
                                {800, 600},
                                Size{152, 112},
                                100}),
    [](const auto& info) {
      return "Tick" + std::to_string(info.param.tick) +
             (info.param.preview ? "Preview" : "FullScreen");
    });

// Two performances on a desk of two monitors: the primary 800 x 600 one
// first, then the 640 x 480 one left of it (a negative origin), then the
// primary again. The trace names the monitor each performance plays on; the
// frames are the whole desk, the monitor without the quartet black.
RunSetup TwoMonitorDesk() {
  RunSetup setup{{800, 600}, std::nullopt, 0, std::nullopt, {}};
  setup.monitors.count = 2;
  setup.monitors.monitors[0] = {{0, 0, 800, 600}, true};
  setup.monitors.monitors[1] = {{-640, 0, 0, 480}, false};
  return setup;
}

constexpr int kDeskLastTick = 381;  // two performances and the restart back on the primary

TEST(GoldenDesk, TwoPerformancesOnTwoMonitorsMatchTheFile) {
  const char* file = "desk_800x600_and_640x480_left_seed0.txt";
  const std::string actual = RunTrace(TwoMonitorDesk(), kDeskLastTick);
  const std::string expected = ReadText(kGoldenDir / "traces" / file);
  ASSERT_FALSE(expected.empty()) << "missing golden file " << file;
  if (actual != expected) {
    ADD_FAILURE() << file << " differs; this run's trace is " << SaveActual(file, actual)
                  << " (scripts/make-golden rewrites the golden files)";
  }
  // The first performance as on a lone 800 x 600 screen, the second at the
  // 640 x 480 screen's fixed place, the third back on the primary where a lone
  // 800 x 600 screen has its second: the random numbers drawn in the same order.
  const std::vector<std::string> landmarks = {
      "monitors 800x600+0+0 primary 640x480-640+0\n",
      "tick 0\nplays on 800x600+0+0\nplace x=358,198,518,38 y=151 endpoint=1210000\n",
      "tick 190\nplays on 640x480-640+0\nplace x=320,160,480,0 y=110 endpoint=1210000\n",
      "tick 381\nplays on 800x600+0+0\nplace x=357,197,517,37 y=255 endpoint=1210000\n"};
  for (const std::string& landmark : landmarks)
    EXPECT_NE(expected.find(landmark), std::string::npos) << file << " lacks: " << landmark;
}

struct DeskFrameCase {
  int tick;
  Rect playing;  // the monitor the quartet is on at that tick
};

void PrintTo(const DeskFrameCase& c, std::ostream* os) {
  *os << "tick " << c.tick;
}

class GoldenDeskFrame : public ::testing::TestWithParam<DeskFrameCase> {};

TEST_P(GoldenDeskFrame, MatchesThePicture) {
  const DeskFrameCase& c = GetParam();
  HeadlessRun run(TwoMonitorDesk());
  ASSERT_TRUE(run.Start());
  for (int tick = 0; tick <= c.tick; ++tick) run.Tick();
  ASSERT_EQ(run.Desk().Playing(), c.playing);
  Rect bounds;
  const std::vector<std::uint32_t> desk = run.DeskPicture(&bounds);
  ASSERT_EQ(bounds, (Rect{-640, 0, 800, 600}));
  char file[64];
  std::snprintf(file, sizeof file, "desk_800x600_and_640x480_left_seed0_tick%04d.png", c.tick);
  ExpectMatchesPicture(desk, AreaSize(bounds), file);
}

INSTANTIATE_TEST_SUITE_P(SeedZero, GoldenDeskFrame,
                         ::testing::Values(DeskFrameCase{100, {0, 0, 800, 600}},
                                           DeskFrameCase{215, {-640, 0, 0, 480}},
                                           DeskFrameCase{290, {-640, 0, 0, 480}}),
                         [](const auto& info) { return "Tick" + std::to_string(info.param.tick); });

// The settings window's client area at its full 344 x 288: the switch on and
// off, and a button held down.
struct SettingsWindowCase {
  const char* file;
  std::int32_t musicEnabled;
  std::optional<ButtonRecord> pressed;
};

void PrintTo(const SettingsWindowCase& c, std::ostream* os) {
  *os << c.file;
}

class GoldenSettingsWindow : public ::testing::TestWithParam<SettingsWindowCase> {};

TEST_P(GoldenSettingsWindow, MatchesThePicture) {
  const SettingsWindowCase& c = GetParam();
  EmbeddedResourceSource resources;
  ButtonRecords records = InitialButtonRecords();
  if (c.pressed) {
    records[static_cast<std::size_t>(*c.pressed)].pressedFlag = 1;
    if (*c.pressed == ButtonRecord::MusicOn)
      records[static_cast<std::size_t>(ButtonRecord::MusicOff)].pressedFlag = 1;
  }
  ExpectMatchesPicture(
      SettingsWindowPicture(LoadDialogArt(resources), records, c.musicEnabled, kConfigStageSize),
      c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Looks, GoldenSettingsWindow,
    ::testing::Values(SettingsWindowCase{"settings_window_music_on.png", 1, std::nullopt},
                      SettingsWindowCase{"settings_window_music_off.png", 0, std::nullopt},
                      SettingsWindowCase{"settings_window_ok_pressed.png", 1, ButtonRecord::Ok},
                      SettingsWindowCase{"settings_window_switch_pressed.png", 1,
                                         ButtonRecord::MusicOn}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace qs3
