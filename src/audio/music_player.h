// The background music: one wave-output device opened for 8-bit mono PCM at
// 22050 samples per second, a bank of eight sound slots each holding the whole
// "data" chunk of a RIFF WAVE file, and one buffer playing at a time. The
// saver loads and plays only slot 0; the timeline follows its position.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "audio/music_service.h"
#include "seam/wave_device.h"

namespace qs3 {

inline constexpr WaveFormat kMusicFormat{};
inline constexpr int kSoundSlotCount = 8;
inline constexpr std::uint32_t kLoopForever = 99999;
// A "data" chunk larger than this (about three hours of music) is refused as
// memory that cannot be had.
inline constexpr std::uint32_t kMaxSampleBytes = 256u * 1024u * 1024u;

struct SoundSlot {
  bool hasSamples = false;
  std::vector<std::uint8_t> samples;  // the whole "data" chunk; never moves once loaded
  std::uint32_t length = 0;
  bool hasHeader = false;
  WaveHeader header;
};

class MusicPlayer final : public MusicService {
 public:
  MusicPlayer(WaveDevice& device, MusicFiles& files) : device_(device), files_(files) {}
  // Stops the device before the samples it reads go away.
  ~MusicPlayer() override;
  // The device keeps the slots' headers by address.
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // 1 when the device is open, 0 when not.
  int OpenMusic(WindowHandle window) override;
  // 1 when the slot holds the file's "data" chunk and its header is prepared.
  int LoadSound(const char* path, int slot) override;
  // 1 when the slot is playing; looped only when `looped` equals 1.
  int PlaySlot(int slot, std::int32_t looped) override;
  // 1 when the device was stopped and closed.
  int CloseMusic() override;

  bool DeviceOpen() const { return deviceOpen_; }
  int CurrentSlot() const { return currentSlot_; }
  const SoundSlot& Slot(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }

  // What the music timeline reads and does on the open device. The position
  // arrives in bytes of the music whatever unit the device answers in.
  std::uint32_t QueryPosition(PositionBlock& block) override;
  void Reset() override;
  void PlayFromStart() override { PlaySlot(0, 0); }

 private:
  bool ReadSamples(MusicFile& file, SoundSlot& slot, std::uint32_t length);
  void ReleaseSlots();

  WaveDevice& device_;
  MusicFiles& files_;
  bool deviceOpen_ = false;
  int currentSlot_ = -1;
  std::array<SoundSlot, kSoundSlotCount> slots_{};
};

}  // namespace qs3
