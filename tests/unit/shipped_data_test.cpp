// The data folder as shipped: the signature file the saver recognises, and
// the music file loading through the real player and RIFF reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "audio/music_player.h"
#include "audio/riff_reader.h"
#include "fakes/fake_wave_device.h"
#include "settings/settings.h"
#include "shell/saver_window.h"

namespace qs3 {
namespace {

const std::filesystem::path kDataDir = QS3_DATA_DIR;

TEST(ShippedData, SignatureFileHoldsExactlyTheSignatureText) {
  std::ifstream in(kDataDir / kSignatureFileName, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, kSignatureText);
}

TEST(ShippedData, MusicLoadsWholeAndCoversEveryCue) {
  fakes::CallLog log;
  fakes::FakeWaveDevice device(log);
  StdioMusicFiles files;
  MusicPlayer player(device, files);
  ASSERT_EQ(player.OpenMusic(1), 1);
  const std::string path = (kDataDir / "QS3" / kMusicFileName).string();
  ASSERT_EQ(player.LoadSound(path.c_str(), 0), 1);
  // The latest ending cue lies 1260000 bytes in; a minute of music is more.
  EXPECT_GE(player.Slot(0).length, 60u * 22050u);
  EXPECT_EQ(player.Slot(0).length,
            std::filesystem::file_size(path) - 44 - (player.Slot(0).length & 1));
}

TEST(ShippedData, MissingMusicFileLoadsNothing) {
  fakes::CallLog log;
  fakes::FakeWaveDevice device(log);
  StdioMusicFiles files;
  MusicPlayer player(device, files);
  player.OpenMusic(1);
  EXPECT_EQ(player.LoadSound((kDataDir / "QS3" / "NONE.SSS").string().c_str(), 0), 0);
}

}  // namespace
}  // namespace qs3
