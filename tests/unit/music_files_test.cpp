// Music files on disk read through the C library, as the native saver reads
// them: files that must not load leave the slot empty and take no memory, a
// folder in the file's place is no file, and a '+' in a folder's name is
// only a character.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/music_player.h"
#include "audio/riff_reader.h"
#include "fakes/fake_wave_device.h"

namespace qs3 {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kSamples(400, 0x90);

std::vector<std::uint8_t> WithDataSize(std::uint32_t size) {
  std::vector<std::uint8_t> bytes = fakes::MakeWaveFile(kSamples);
  for (int i = 0; i < 4; ++i)
    bytes[40 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
  return bytes;
}

std::vector<std::uint8_t> CutAt(std::size_t length) {
  std::vector<std::uint8_t> bytes = fakes::MakeWaveFile(kSamples);
  bytes.resize(length);
  return bytes;
}

std::vector<std::uint8_t> OtherForm() {
  std::vector<std::uint8_t> bytes = fakes::MakeWaveFile(kSamples);
  const char avi[] = "AVI ";
  std::copy(avi, avi + 4, bytes.begin() + 8);
  return bytes;
}

class MusicFilesOnDisk : public testing::Test {
 protected:
  MusicFilesOnDisk() : device(log), player(device, files) {
    folder =
        fs::temp_directory_path() /
        ("qs3_music_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    EXPECT_EQ(player.OpenMusic(1), 1);
  }
  ~MusicFilesOnDisk() override { fs::remove_all(folder); }

  std::string Write(const fs::path& name, const std::vector<std::uint8_t>& bytes) {
    const fs::path path = folder / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  void ExpectNothingLoaded(const std::string& path) {
    EXPECT_EQ(player.LoadSound(path.c_str(), 0), 0) << path;
    EXPECT_FALSE(player.Slot(0).hasSamples);
    EXPECT_EQ(player.Slot(0).samples.capacity(), 0u);
    EXPECT_EQ(player.PlaySlot(0, 0), 0);
  }

  fs::path folder;
  fakes::CallLog log;
  fakes::FakeWaveDevice device;
  StdioMusicFiles files;
  MusicPlayer player;
};

TEST_F(MusicFilesOnDisk, AGoodFileLoadsWhole) {
  ASSERT_EQ(player.LoadSound(Write("BGM10.SSS", fakes::MakeWaveFile(kSamples)).c_str(), 0), 1);
  EXPECT_EQ(player.Slot(0).samples, kSamples);
}

TEST_F(MusicFilesOnDisk, BrokenFilesLoadNothing) {
  ExpectNothingLoaded(Write("empty/BGM10.SSS", {}));
  ExpectNothingLoaded(Write("cut/BGM10.SSS", CutAt(30)));
  ExpectNothingLoaded(Write("avi/BGM10.SSS", OtherForm()));
  ExpectNothingLoaded(Write("claims/BGM10.SSS", WithDataSize(200u * 1024 * 1024)));
  ExpectNothingLoaded(Write("one_more/BGM10.SSS", WithDataSize(401)));
  // The file as it is, but the good one still loads after all of them.
  EXPECT_EQ(player.LoadSound(Write("BGM10.SSS", fakes::MakeWaveFile(kSamples)).c_str(), 0), 1);
}

TEST_F(MusicFilesOnDisk, AFolderInTheFilesPlaceIsNoMusic) {
  fs::create_directories(folder / "BGM10.SSS");
  ExpectNothingLoaded((folder / "BGM10.SSS").string());
}

// 300 MB that take no disk: a sparse file whose "data" chunk claims all of it.
TEST_F(MusicFilesOnDisk, AFileLargerThanAnyMusicIsRefused) {
  constexpr std::uint32_t kSize = 300u * 1024 * 1024;
  const std::string path = Write("huge/BGM10.SSS", WithDataSize(kSize));
  fs::resize_file(path, kSize + 44u);
  ExpectNothingLoaded(path);
}

TEST_F(MusicFilesOnDisk, APlusInTheFoldersNameIsAnOrdinaryCharacter) {
  const std::string path = Write("Music+Art/BGM10.SSS", fakes::MakeWaveFile(kSamples));
  ASSERT_EQ(player.LoadSound(path.c_str(), 0), 1);
  EXPECT_EQ(player.Slot(0).samples, kSamples);
}

}  // namespace
}  // namespace qs3
