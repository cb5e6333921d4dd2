// The music position in bytes whatever unit the wave device answers in: the
// conversion itself, the player that asks for bytes and converts the answer,
// and the timeline following a player whose device answers in each unit.
#include "audio/position_units.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "animation/timeline.h"
#include "audio/music_player.h"
#include "fakes/fake_wave_device.h"

namespace qs3 {
namespace {

constexpr WindowHandle kWindow = 0x5000;
constexpr WaveFormat kStereo16{1, 2, 44100, 176400, 4, 16, 0};

struct UnitCase {
  const char* name;
  std::uint32_t format;
  std::uint32_t position;
  WaveFormat wave;
  std::optional<std::uint32_t> bytes;
};

void PrintTo(const UnitCase& c, std::ostream* os) {
  *os << c.name;
}

class PositionUnits : public testing::TestWithParam<UnitCase> {};

TEST_P(PositionUnits, BecomeBytesOfTheMusic) {
  const UnitCase& c = GetParam();
  EXPECT_EQ(PositionInBytes({.format = c.format, .position = c.position}, c.wave), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PositionUnits,
    testing::Values(
        UnitCase{"BytesAsTheyAre", kTimeBytes, 220000, kMusicFormat, 220000},
        UnitCase{"ASecondOfMilliseconds", kTimeMilliseconds, 1000, kMusicFormat, 22050},
        // 9977 ms is 219992.85 bytes, still short of the first entrance.
        UnitCase{"MillisecondsTruncate", kTimeMilliseconds, 9977, kMusicFormat, 219992},
        UnitCase{"MillisecondsPastTheEntrance", kTimeMilliseconds, 9978, kMusicFormat, 220014},
        UnitCase{"MillisecondsZero", kTimeMilliseconds, 0, kMusicFormat, 0},
        // 0xFFFFFFFF ms are 94702950 s of music: the byte count wraps as a counter does.
        UnitCase{"MillisecondsWrapAsACounter", kTimeMilliseconds, 0xFFFFFFFFu, kMusicFormat,
                 static_cast<std::uint32_t>(0xFFFFFFFFull * 22050 / 1000)},
        UnitCase{"SamplesOfOneByte", kTimeSamples, 44100, kMusicFormat, 44100},
        UnitCase{"SamplesOfFourBytes", kTimeSamples, 44100, kStereo16, 176400},
        UnitCase{"MillisecondsOfAFasterFormat", kTimeMilliseconds, 500, kStereo16, 88200},
        UnitCase{"SmpteIsNoCount", kTimeSmpte, 0x01020304, kMusicFormat, std::nullopt},
        UnitCase{"MidiIsNoCount", kTimeMidi, 1234, kMusicFormat, std::nullopt},
        UnitCase{"TicksAreNoCount", kTimeTicks, 1234, kMusicFormat, std::nullopt},
        UnitCase{"NoUnit", 0, 1234, kMusicFormat, std::nullopt},
        UnitCase{"TwoUnitsAtOnce", kTimeBytes | kTimeMilliseconds, 1234, kMusicFormat,
                 std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

class PlayerPositionTest : public testing::Test {
 protected:
  PlayerPositionTest() : device(log), files(log), player(device, files) {
    files.files["music.wav"] = fakes::MakeWaveFile(std::vector<std::uint8_t>(64, 128));
    EXPECT_EQ(player.OpenMusic(kWindow), 1);
    EXPECT_EQ(player.LoadSound("music.wav", 0), 1);
    EXPECT_EQ(player.PlaySlot(0, 0), 1);
  }

  fakes::CallLog log;
  fakes::FakeWaveDevice device;
  fakes::FakeMusicFiles files;
  MusicPlayer player;
};

TEST_F(PlayerPositionTest, AsksForBytesEvenWhenTheBlockHoldsAnotherUnit) {
  PositionBlock block{.format = kTimeMilliseconds, .position = 0};
  device.position = 4410;
  EXPECT_EQ(player.QueryPosition(block), 0u);
  EXPECT_EQ(device.askedFormat, kTimeBytes);
  EXPECT_EQ(block.format, kTimeBytes);
  EXPECT_EQ(block.position, 4410u);
}

TEST_F(PlayerPositionTest, AnAnswerInMillisecondsArrivesInBytes) {
  PositionBlock block{.format = kTimeBytes, .position = 0};
  device.positionFormat = kTimeMilliseconds;
  device.position = 20000;  // 20 s of music
  EXPECT_EQ(player.QueryPosition(block), 0u);
  EXPECT_EQ(block.format, kTimeBytes);
  EXPECT_EQ(block.position, 441000u);
}

TEST_F(PlayerPositionTest, AnAnswerInSamplesArrivesInBytes) {
  PositionBlock block;
  device.positionFormat = kTimeSamples;
  device.position = 22050;
  EXPECT_EQ(player.QueryPosition(block), 0u);
  EXPECT_EQ(block.position, 22050u);
  EXPECT_EQ(block.format, kTimeBytes);
}

TEST_F(PlayerPositionTest, AnAnswerThatCountsNoSamplesFailsAndLeavesTheBlock) {
  for (const std::uint32_t unit : {kTimeSmpte, kTimeMidi, kTimeTicks}) {
    PositionBlock block{.format = kTimeBytes, .position = 777};
    device.positionFormat = unit;
    device.position = 0x00112233;
    EXPECT_NE(player.QueryPosition(block), 0u) << "unit " << unit;
    EXPECT_EQ(block.format, kTimeBytes) << "unit " << unit;
    EXPECT_EQ(block.position, 777u) << "unit " << unit;
  }
}

TEST_F(PlayerPositionTest, AFailedQueryKeepsItsCodeAndLeavesTheBlock) {
  PositionBlock block{.format = kTimeBytes, .position = 99};
  device.positionResult = 11;
  EXPECT_EQ(player.QueryPosition(block), 11u);
  EXPECT_EQ(block.position, 99u);
}

// The whole music timeline on the player, its device answering the position
// after (tick + 1) x 100 ms of music in one unit. The display lists of every
// tick, and the ticks in which the music was started again.
struct MusicRun {
  std::vector<std::string> lists;
  std::vector<int> restarts;
  std::int32_t positionLost = 0;
};

std::uint32_t Answer(std::uint32_t unit, int tick) {
  const auto tenths = static_cast<std::uint32_t>(tick + 1);
  switch (unit) {
    case kTimeMilliseconds:
      return 100 * tenths;
    case kTimeBytes:
    case kTimeSamples:
      return 2205 * tenths;
    default:
      return 0x00010203u + tenths;  // an SMPTE or MIDI record's first fields
  }
}

MusicRun RunOnDevice(std::uint32_t unit, std::uint32_t failure, int ticks) {
  fakes::CallLog log;
  fakes::FakeWaveDevice device(log);
  fakes::FakeMusicFiles files(log);
  files.files["music.wav"] = fakes::MakeWaveFile(std::vector<std::uint8_t>(64, 128));
  MusicPlayer player(device, files);
  player.OpenMusic(kWindow);
  player.LoadSound("music.wav", 0);
  Timeline timeline;
  SeedRandom(timeline.random, 0);
  InitPerformance(timeline, {800, 600}, SaverMode::FullScreen, 1000);
  player.PlaySlot(0, 0);
  device.positionFormat = unit;
  device.positionResult = failure;
  MusicRun run;
  int startedAt = 0;  // the tick in which the music last started
  for (int tick = 0; tick < ticks; ++tick) {
    device.position = Answer(unit, tick - startedAt);
    log.Clear();
    DisplayList list;
    MusicTimelineTick(timeline, list, player);
    run.lists.push_back(FormatDisplayList(list));
    if (std::ranges::any_of(log.calls,
                            [](const std::string& c) { return c.starts_with("Write"); })) {
      run.restarts.push_back(tick);
      startedAt = tick + 1;
    }
  }
  run.positionLost = timeline.positionLost;
  return run;
}

constexpr int kTwoPerformances = 1300;

TEST(TimelineOnDevice, MillisecondsAndSamplesFollowTheMusicAsBytesDo) {
  const MusicRun bytes = RunOnDevice(kTimeBytes, 0, kTwoPerformances);
  // With seed 0 the ending cue comes at 1240000 bytes, in tick 562; the
  // restart 41 ticks later.
  ASSERT_THAT(bytes.restarts, testing::ElementsAre(603, testing::_));
  EXPECT_EQ(bytes.positionLost, 0);
  for (const std::uint32_t unit : {kTimeMilliseconds, kTimeSamples}) {
    const MusicRun other = RunOnDevice(unit, 0, kTwoPerformances);
    EXPECT_EQ(other.restarts, bytes.restarts) << "unit " << unit;
    EXPECT_EQ(other.positionLost, 0) << "unit " << unit;
    EXPECT_TRUE(other.lists == bytes.lists) << "unit " << unit;
  }
}

TEST(TimelineOnDevice, AUnitThatCountsNoSamplesFallsBackToTheTickCues) {
  // A device that cannot say where it is: the tick cues end the performance
  // at tick 375 and the restart follows 41 ticks later.
  const MusicRun failing = RunOnDevice(kTimeBytes, 5, kTwoPerformances);
  ASSERT_THAT(failing.restarts, testing::ElementsAre(416, 833, 1250));
  for (const std::uint32_t unit : {kTimeSmpte, kTimeMidi, kTimeTicks}) {
    const MusicRun other = RunOnDevice(unit, 0, kTwoPerformances);
    EXPECT_NE(other.positionLost, 0) << "unit " << unit;
    EXPECT_EQ(other.restarts, failing.restarts) << "unit " << unit;
    EXPECT_TRUE(other.lists == failing.lists) << "unit " << unit;
  }
}

}  // namespace
}  // namespace qs3
