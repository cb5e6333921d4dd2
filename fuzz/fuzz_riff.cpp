// Any bytes as a music file: finding the WAVE form and its "data" chunk never
// reads out of bounds or loops for long, and a sound that loads holds exactly
// bytes of the file, no more than it has.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "audio/music_player.h"
#include "audio/riff_reader.h"

namespace {

class SilentDevice final : public qs3::WaveDevice {
 public:
  std::uint32_t QueryFormat(const qs3::WaveFormat&) override { return 0; }
  std::uint32_t Open(const qs3::WaveFormat&, qs3::WindowHandle) override { return 0; }
  std::uint32_t Prepare(qs3::WaveHeader&) override { return 0; }
  std::uint32_t Unprepare(qs3::WaveHeader&) override { return 0; }
  std::uint32_t Write(qs3::WaveHeader&) override { return 0; }
  std::uint32_t Reset() override { return 0; }
  std::uint32_t Close() override { return 0; }
  std::uint32_t GetPosition(qs3::PositionBlock&) override { return 0; }
};

class BytesAsFile final : public qs3::MusicFiles {
 public:
  explicit BytesAsFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::unique_ptr<qs3::MusicFile> Open(const char*) override {
    return std::make_unique<qs3::RiffMusicFile>(std::make_unique<qs3::MemoryByteStream>(bytes_));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  SilentDevice device;
  BytesAsFile files(bytes);
  qs3::MusicPlayer player(device, files);
  player.OpenMusic(1);
  if (player.LoadSound("music", 0) != 1) {
    if (player.Slot(0).hasSamples || !player.Slot(0).samples.empty()) std::abort();
    return 0;
  }
  const qs3::SoundSlot& slot = player.Slot(0);
  if (slot.length == 0 || slot.length > size || slot.samples.size() != slot.length) std::abort();
  if (std::search(bytes.begin(), bytes.end(), slot.samples.begin(), slot.samples.end()) ==
      bytes.end())
    std::abort();
  player.PlaySlot(0, 0);
  player.CloseMusic();
  return 0;
}
