// The music player against a scripted wave device: opening, loading a RIFF
// WAVE file into a slot, playing, restarting and closing, with every failure
// path and the order in which the device is told things.
#include "audio/music_player.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_wave_device.h"

namespace qs3 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr WindowHandle kWindow = 0x5000;
const std::vector<std::uint8_t> kSamples{128, 130, 140, 120, 100, 128, 129};

class MusicPlayerTest : public ::testing::Test {
 protected:
  MusicPlayerTest() : device(log), files(log), player(device, files) {
    files.files["music.wav"] = fakes::MakeWaveFile(kSamples);
  }

  MusicPlayer& Loaded() {
    EXPECT_EQ(player.OpenMusic(kWindow), 1);
    EXPECT_EQ(player.LoadSound("music.wav", 0), 1);
    log.Clear();
    return player;
  }

  fakes::CallLog log;
  fakes::FakeWaveDevice device;
  fakes::FakeMusicFiles files;
  MusicPlayer player;
};

TEST_F(MusicPlayerTest, OpensTheDefaultDeviceForTheMusicFormatAfterAskingIt) {
  EXPECT_EQ(player.OpenMusic(kWindow), 1);
  EXPECT_THAT(log.calls, ElementsAre("QueryFormat", "OpenDevice 20480"));
  EXPECT_EQ(device.openedFormat, (WaveFormat{1, 1, 22050, 22050, 1, 8, 0}));
  EXPECT_EQ(player.CurrentSlot(), -1);
}

TEST_F(MusicPlayerTest, AFormatTheDeviceCannotPlayOrAFailedOpenLeavesNoDevice) {
  device.queryResult = 32;  // WAVERR_BADFORMAT
  EXPECT_EQ(player.OpenMusic(kWindow), 0);
  EXPECT_THAT(log.calls, ElementsAre("QueryFormat"));
  device.queryResult = 0;
  device.openResult = 4;
  EXPECT_EQ(player.OpenMusic(kWindow), 0);
  EXPECT_FALSE(player.DeviceOpen());
  EXPECT_EQ(player.PlaySlot(0, 0), 0);
}

TEST_F(MusicPlayerTest, LoadReadsTheDataChunkInOneReadClosesTheFileThenPreparesTheHeader) {
  player.OpenMusic(kWindow);
  log.Clear();
  EXPECT_EQ(player.LoadSound("music.wav", 0), 1);
  EXPECT_THAT(log.calls, ElementsAre("OpenFile music.wav", "ReadFile 7", "CloseFile",
                                     "Prepare 7 flags 0 loops 0"));
  EXPECT_EQ(player.Slot(0).samples, kSamples);
  EXPECT_EQ(player.Slot(0).header.data, player.Slot(0).samples.data());
}

TEST_F(MusicPlayerTest, ASecondLoadIntoALoadedSlotChangesNothing) {
  MusicPlayer& loaded = Loaded();
  files.files["other.wav"] = fakes::MakeWaveFile({1, 2, 3});
  EXPECT_EQ(loaded.LoadSound("other.wav", 0), 0);
  EXPECT_THAT(log.calls, IsEmpty());
  EXPECT_EQ(loaded.Slot(0).samples, kSamples);
}

TEST_F(MusicPlayerTest, PlayPreparesAndWritesTheWholeBufferOnce) {
  MusicPlayer& loaded = Loaded();
  EXPECT_EQ(loaded.PlaySlot(0, 0), 1);
  EXPECT_THAT(log.calls, ElementsAre("Prepare 7 flags 0 loops 0", "Write 7 flags 0 loops 0"));
  EXPECT_EQ(loaded.CurrentSlot(), 0);
}

TEST_F(MusicPlayerTest, PlayingAgainStopsAndUnpreparesBeforeStartingFromTheBeginning) {
  MusicPlayer& loaded = Loaded();
  loaded.PlaySlot(0, 0);
  log.Clear();
  EXPECT_EQ(loaded.PlaySlot(0, 0), 1);
  EXPECT_THAT(log.calls, ElementsAre("Reset", "Unprepare 7", "Prepare 7 flags 0 loops 0",
                                     "Write 7 flags 0 loops 0"));
  EXPECT_EQ(device.lastWritten.data, loaded.Slot(0).samples.data());
}

TEST_F(MusicPlayerTest, OnlyALoopFlagOfExactlyOneLoops) {
  MusicPlayer& loaded = Loaded();
  loaded.PlaySlot(0, 1);
  EXPECT_EQ(log.calls.back(), "Write 7 flags 12 loops 99999");
  loaded.PlaySlot(0, 2);
  EXPECT_EQ(log.calls.back(), "Write 7 flags 0 loops 0");
  loaded.PlaySlot(0, -1);
  EXPECT_EQ(log.calls.back(), "Write 7 flags 0 loops 0");
}

TEST_F(MusicPlayerTest, ARefusedBufferIsUnpreparedAndNothingPlays) {
  MusicPlayer& loaded = Loaded();
  device.writeResult = 11;
  EXPECT_EQ(loaded.PlaySlot(0, 0), 0);
  EXPECT_EQ(log.calls.back(), "Unprepare 7");
  EXPECT_EQ(loaded.CurrentSlot(), -1);
  device.writeResult = 0;
  log.Clear();
  loaded.PlaySlot(0, 0);  // no current slot: no reset first
  EXPECT_THAT(log.calls, ElementsAre("Prepare 7 flags 0 loops 0", "Write 7 flags 0 loops 0"));
}

TEST_F(MusicPlayerTest, AnEmptySlotOrAnUnknownSlotDoesNotPlay) {
  MusicPlayer& loaded = Loaded();
  EXPECT_EQ(loaded.PlaySlot(1, 0), 0);
  EXPECT_EQ(loaded.PlaySlot(8, 0), 0);
  EXPECT_EQ(loaded.PlaySlot(-1, 0), 0);
  EXPECT_EQ(loaded.LoadSound("music.wav", 8), 0);
  EXPECT_THAT(log.calls, IsEmpty());
}

TEST_F(MusicPlayerTest, CloseStopsTheMusicBeforeAnyMemoryIsReleased) {
  MusicPlayer& loaded = Loaded();
  loaded.PlaySlot(0, 0);
  log.Clear();
  EXPECT_EQ(loaded.CloseMusic(), 1);
  EXPECT_THAT(log.calls, ElementsAre("Reset", "Unprepare 7", "CloseDevice"));
  EXPECT_FALSE(loaded.Slot(0).hasSamples);
  EXPECT_TRUE(loaded.Slot(0).samples.empty());
}

TEST_F(MusicPlayerTest, ADeviceThatCannotBeStoppedKeepsItsBufferAndStaysOpen) {
  MusicPlayer& loaded = Loaded();
  loaded.PlaySlot(0, 0);
  log.Clear();
  device.resetResult = 1;
  EXPECT_EQ(loaded.CloseMusic(), 0);
  EXPECT_THAT(log.calls, ElementsAre("Reset"));
  EXPECT_TRUE(loaded.DeviceOpen());
  EXPECT_EQ(loaded.Slot(0).samples, kSamples);
}

TEST_F(MusicPlayerTest, AFailedCloseReportsZero) {
  MusicPlayer& loaded = Loaded();
  device.closeResult = 5;
  EXPECT_EQ(loaded.CloseMusic(), 0);
  EXPECT_FALSE(loaded.Slot(0).hasSamples);
}

TEST_F(MusicPlayerTest, TheTimelineReadsThePositionAndStopsAndRestartsTheMusic) {
  MusicPlayer& loaded = Loaded();
  device.position = 44100;
  PositionBlock block;
  EXPECT_EQ(loaded.QueryPosition(block), 0u);
  EXPECT_EQ(block.position, 44100u);
  loaded.PlaySlot(0, 0);
  loaded.Reset();  // the ending cue
  EXPECT_EQ(loaded.CurrentSlot(), 0);
  log.Clear();
  loaded.PlayFromStart();  // the restart resets once more before it starts
  EXPECT_THAT(log.calls, ElementsAre("Reset", "Unprepare 7", "Prepare 7 flags 0 loops 0",
                                     "Write 7 flags 0 loops 0"));
}

TEST_F(MusicPlayerTest, WithoutADeviceThePositionQueryFails) {
  PositionBlock block;
  EXPECT_NE(player.QueryPosition(block), 0u);
  EXPECT_THAT(log.calls, IsEmpty());
}

// Files that must not load: the slot stays empty, the file is closed, nothing
// is prepared, and a good file still loads into the slot afterwards.
struct BadFile {
  const char* name;
  std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> WithDataSize(std::uint32_t size) {
  std::vector<std::uint8_t> bytes = fakes::MakeWaveFile(kSamples);
  for (int i = 0; i < 4; ++i)
    bytes[40 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
  return bytes;
}

std::vector<std::uint8_t> Replaced(std::size_t at, const char* text) {
  std::vector<std::uint8_t> bytes = fakes::MakeWaveFile(kSamples);
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(text[i]);
  return bytes;
}

std::vector<std::uint8_t> CutAt(std::size_t length) {
  std::vector<std::uint8_t> bytes = fakes::MakeWaveFile(kSamples);
  bytes.resize(length);
  return bytes;
}

class MusicPlayerBadFile : public MusicPlayerTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(MusicPlayerBadFile, LoadFailsAndLeavesNothingBehind) {
  player.OpenMusic(kWindow);
  files.files["bad.wav"] = GetParam().bytes;
  log.Clear();
  EXPECT_EQ(player.LoadSound("bad.wav", 0), 0);
  EXPECT_EQ(log.calls.back(), "CloseFile");
  EXPECT_FALSE(player.Slot(0).hasSamples);
  EXPECT_EQ(player.Slot(0).samples.capacity(), 0u);
  EXPECT_EQ(player.LoadSound("music.wav", 0), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, MusicPlayerBadFile,
                         ::testing::Values(BadFile{"Empty", {}},
                                           BadFile{"NotRiff", Replaced(0, "RIFX")},
                                           BadFile{"RiffButNotWave", Replaced(8, "AVI ")},
                                           BadFile{"NoDataChunk", Replaced(36, "dat ")},
                                           BadFile{"EmptyDataChunk", WithDataSize(0)},
                                           BadFile{"DataLongerThanTheFile", WithDataSize(8)},
                                           BadFile{"HugeDataChunk", WithDataSize(0xFFFFFFF0u)},
                                           BadFile{"CutInTheHeader", CutAt(30)}),
                         [](const auto& info) { return std::string(info.param.name); });

// The read would fail; refused before it, the memory the chunk claims is
// never taken.
TEST_F(MusicPlayerTest, AChunkClaimingMoreThanTheFileIsRefusedBeforeAnyRead) {
  player.OpenMusic(kWindow);
  for (const std::uint32_t claimed : {8u, 200u * 1024 * 1024}) {
    files.files["claims.wav"] = WithDataSize(claimed);
    log.Clear();
    EXPECT_EQ(player.LoadSound("claims.wav", 0), 0);
    EXPECT_THAT(log.calls, ElementsAre("OpenFile claims.wav", "CloseFile")) << claimed;
  }
}

TEST_F(MusicPlayerTest, AFileInAnotherFormatPlaysAsIfItWereTheMusicFormat) {
  std::vector<std::uint8_t> stereo = fakes::MakeWaveFile(kSamples);
  // fmt: 2 channels, 44100 Hz, 176400 bytes a second, 4-byte blocks, 16 bits.
  const std::vector<std::uint8_t> fields{1,    0,    2, 0, 0x44, 0xAC, 0,  0,
                                         0x10, 0xB1, 2, 0, 4,    0,    16, 0};
  std::copy(fields.begin(), fields.end(), stereo.begin() + 20);
  files.files["stereo.wav"] = stereo;
  player.OpenMusic(kWindow);
  EXPECT_EQ(player.LoadSound("stereo.wav", 0), 1);
  EXPECT_EQ(player.PlaySlot(0, 0), 1);
  EXPECT_EQ(device.openedFormat, kMusicFormat);
  EXPECT_EQ(player.Slot(0).samples, kSamples);
}

TEST_F(MusicPlayerTest, AMissingFileLoadsNothing) {
  player.OpenMusic(kWindow);
  EXPECT_EQ(player.LoadSound("missing.wav", 0), 0);
  EXPECT_FALSE(player.Slot(0).hasSamples);
}

}  // namespace
}  // namespace qs3
