#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "frontends/sdl/launch_args.h"
#include "frontends/sdl/native_paths.h"
#include "frontends/sdl/timer_schedule.h"
#include "frontends/sdl/wave_stream.h"

namespace qs3::sdl {
namespace {

// --- Launch arguments ---

TEST(WindowIdTest, ReadsDecimalAndHexadecimal) {
  const std::pair<const char*, std::optional<std::uint32_t>> table[] = {
      {"1234", 1234},
      {"0x1a", 26},
      {"0X1A", 26},
      {"0x00400007", 0x400007},
      {"4294967295", 0xFFFFFFFFu},
      {"4294967296", std::nullopt},
      {"0x100000000", std::nullopt},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"12ab", std::nullopt},
      {"-5", std::nullopt},
      {" 12", std::nullopt},
  };
  for (const auto& [text, id] : table) EXPECT_EQ(ParseWindowId(text), id) << text;
}

Launch Parse(std::vector<std::string> args, const char* environment = nullptr) {
  return ParseLaunchArguments(args, environment);
}

TEST(LaunchArgumentsTest, WindowsSwitchesGoToTheCoreWithWindowIdsInDecimal) {
  const std::pair<std::vector<std::string>, std::string> table[] = {
      {{}, ""},
      {{"/s"}, "/s"},
      {{"-s"}, "-s"},
      {{"/p", "0x1a"}, "/p 26"},
      {{"/p:0x1a"}, "/p:26"},
      {{"/p", "1234"}, "/p 1234"},
      {{"/c:0x10"}, "/c:16"},
      {{"/a", "0xzz"}, "/a 0xzz"},  // not an id: the core reads it as 0
      {{"--install", "/s"}, "/s"},
      {{"--visual", "default", "-fps", "/s"}, "/s"},
  };
  for (const auto& [args, line] : table) {
    const Launch launch = Parse(args);
    EXPECT_EQ(launch.kind, LaunchKind::Saver) << line;
    EXPECT_EQ(launch.commandLine, line);
  }
}

TEST(LaunchArgumentsTest, XScreenSaverNamesTheWindowToDrawInto) {
  struct Case {
    std::vector<std::string> args;
    const char* environment;
    Launch expected;
  };
  const Case table[] = {
      {{"--root"}, "0x400007", {LaunchKind::DrawIntoWindow, "", 0x400007}},
      {{"-root"}, "4194311", {LaunchKind::DrawIntoWindow, "", 4194311}},
      {{"--root"}, nullptr, {LaunchKind::DrawIntoWindow, "", std::nullopt}},  // the real root
      {{"--root"}, "junk", {LaunchKind::BadWindowId, "", std::nullopt}},
      {{"--window-id", "0x1e00003"}, nullptr, {LaunchKind::DrawIntoWindow, "", 0x1e00003}},
      {{"-window-id", "77", "--fps"}, "0x5", {LaunchKind::DrawIntoWindow, "", 77}},
      {{"--window-id"}, nullptr, {LaunchKind::BadWindowId, "", std::nullopt}},
      {{"--window-id", "x"}, nullptr, {LaunchKind::BadWindowId, "", std::nullopt}},
      {{"/s", "--root"}, nullptr, {LaunchKind::DrawIntoWindow, "", std::nullopt}},
  };
  for (const Case& c : table) {
    EXPECT_EQ(Parse(c.args, c.environment), c.expected) << c.args.front();
  }
}

// --- The data folder ---

TEST(DefaultDataFolderTest, TheUsersFolderThenTheInstalledOne) {
  struct Case {
    bool userExists;
    bool installedExists;
    const char* chosen;
  };
  const Case table[] = {{true, true, "/home/u/.local/share/OrnSaver3"},
                        {true, false, "/home/u/.local/share/OrnSaver3"},
                        {false, true, "/usr/share/qs3/QS3"},
                        {false, false, "/home/u/.local/share/OrnSaver3"}};
  for (const Case& c : table) {
    const auto exists = [&c](const std::string& folder) {
      return folder.starts_with("/home") ? c.userExists : c.installedExists;
    };
    EXPECT_EQ(
        ChooseDefaultDataFolder("/home/u/.local/share/OrnSaver3", "/usr/share/qs3/QS3", exists),
        c.chosen);
  }
}

// --- The audio stream ---

std::vector<std::uint8_t> Ramp(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
  return bytes;
}

std::vector<std::uint8_t> Take(WaveStream& stream, std::size_t count) {
  std::vector<std::uint8_t> out(count, 0xEE);
  stream.Fill(out, 0x80);
  return out;
}

TEST(WaveStreamTest, CountsTheBytesTheCallbacksTookThenPlaysSilence) {
  const std::vector<std::uint8_t> music = Ramp(10);
  WaveStream stream;
  EXPECT_EQ(Take(stream, 3), std::vector<std::uint8_t>(3, 0x80));  // nothing written yet
  stream.Start(music, false);
  EXPECT_EQ(Take(stream, 4), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(stream.Position(), 4u);
  EXPECT_EQ(Take(stream, 0), std::vector<std::uint8_t>{});
  EXPECT_EQ(Take(stream, 8), (std::vector<std::uint8_t>{5, 6, 7, 8, 9, 10, 0x80, 0x80}));
  // The position stops at the buffer's length, as the device's does.
  EXPECT_EQ(stream.Position(), 10u);
  EXPECT_FALSE(stream.Playing());
  EXPECT_EQ(Take(stream, 2), (std::vector<std::uint8_t>{0x80, 0x80}));
  EXPECT_EQ(stream.Position(), 10u);
}

TEST(WaveStreamTest, ALoopedBufferStartsAgainAndKeepsCounting) {
  const std::vector<std::uint8_t> music = Ramp(3);
  WaveStream stream;
  stream.Start(music, true);
  EXPECT_EQ(Take(stream, 8), (std::vector<std::uint8_t>{1, 2, 3, 1, 2, 3, 1, 2}));
  EXPECT_EQ(stream.Position(), 8u);
}

TEST(WaveStreamTest, AResetSilencesAndANewStartPlaysFromTheBeginning) {
  const std::vector<std::uint8_t> music = Ramp(6);
  WaveStream stream;
  stream.Start(music, false);
  Take(stream, 4);
  stream.Reset();
  EXPECT_EQ(stream.Position(), 0u);
  EXPECT_EQ(Take(stream, 2), (std::vector<std::uint8_t>{0x80, 0x80}));
  EXPECT_EQ(stream.Position(), 0u);
  stream.Start(music, false);
  EXPECT_EQ(Take(stream, 2), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(stream.Position(), 2u);
}

// --- Timers as deadlines ---

using Due = TimerSchedule::Due;

TEST(TimerScheduleTest, FiresEveryPeriodOnThePhaseOfItsStart) {
  TimerSchedule timers;
  EXPECT_EQ(timers.UntilNext(0), std::nullopt);
  timers.Start(7, 100, 100, 1000);
  EXPECT_EQ(timers.UntilNext(1000), 100u);
  EXPECT_EQ(timers.TakeDue(1099), std::nullopt);
  EXPECT_EQ(timers.TakeDue(1100), (Due{7, 100}));
  EXPECT_EQ(timers.TakeDue(1100), std::nullopt);
  EXPECT_EQ(timers.UntilNext(1130), 70u);
  // A wake 30 ms late does not push the later ticks back.
  EXPECT_EQ(timers.TakeDue(1230), (Due{7, 100}));
  EXPECT_EQ(timers.UntilNext(1230), 70u);
  EXPECT_EQ(timers.UntilNext(1400), 0u);
}

TEST(TimerScheduleTest, TicksMissedWhileBusyAreNotMadeUp) {
  TimerSchedule timers;
  timers.Start(1, 100, 100, 0);
  EXPECT_EQ(timers.TakeDue(550), (Due{1, 100}));
  EXPECT_EQ(timers.TakeDue(550), std::nullopt);
  EXPECT_EQ(timers.UntilNext(550), 100u);
}

TEST(TimerScheduleTest, StartReplacesStopRemovesAndTheSoonestFiresFirst) {
  TimerSchedule timers;
  timers.Start(1, 100, 100, 0);
  timers.Start(2, 100, 50, 0);
  timers.Start(1, 5, 0, 0);  // a period of 0 counts as 1 ms
  EXPECT_EQ(timers.UntilNext(0), 1u);
  EXPECT_EQ(timers.TakeDue(100), (Due{1, 5}));
  EXPECT_EQ(timers.TakeDue(100), (Due{2, 100}));
  EXPECT_EQ(timers.TakeDue(100), (Due{1, 100}));
  EXPECT_EQ(timers.TakeDue(100), std::nullopt);
  timers.Start(1, 100, 30, 100);
  EXPECT_EQ(timers.UntilNext(100), 1u);
  timers.Stop(1, 5);
  EXPECT_EQ(timers.UntilNext(100), 30u);
  timers.Stop(1, 100);
  timers.Stop(2, 100);
  timers.Stop(3, 100);  // none such: nothing happens
  EXPECT_TRUE(timers.Empty());
  EXPECT_EQ(timers.UntilNext(100), std::nullopt);
  EXPECT_EQ(timers.TakeDue(1000), std::nullopt);
}

}  // namespace
}  // namespace qs3::sdl
