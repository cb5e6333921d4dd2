#include "audio/music_player.h"

#include <new>

#include "audio/position_units.h"

namespace qs3 {
namespace {

// The error a wave call gives for a handle that names no open device.
constexpr std::uint32_t kInvalidHandle = 5;
// A position in a unit that counts no samples cannot be followed.
constexpr std::uint32_t kNotSupported = 8;

bool ValidSlot(int slot) {
  return slot >= 0 && slot < kSoundSlotCount;
}

}  // namespace

MusicPlayer::~MusicPlayer() {
  if (deviceOpen_) CloseMusic();
}

int MusicPlayer::OpenMusic(WindowHandle window) {
  slots_ = {};
  deviceOpen_ = false;
  currentSlot_ = -1;
  if (device_.QueryFormat(kMusicFormat) != 0) return 0;
  deviceOpen_ = device_.Open(kMusicFormat, window) == 0;
  return deviceOpen_ ? 1 : 0;
}

bool MusicPlayer::ReadSamples(MusicFile& file, SoundSlot& slot, std::uint32_t length) {
  if (length > kMaxSampleBytes) return false;
  // A chunk that claims more than the file holds would fail its read anyway;
  // refused here, it never takes the memory it claims.
  const std::optional<std::uint64_t> left = file.BytesLeft();
  if (left && *left < length) return false;
  try {
    slot.samples.assign(length, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // One read of the whole chunk; a file shorter than its chunk says fails it.
  return file.Read(slot.samples) == static_cast<std::int64_t>(length);
}

int MusicPlayer::LoadSound(const char* path, int slotIndex) {
  if (!ValidSlot(slotIndex)) return 0;
  SoundSlot& slot = slots_[static_cast<std::size_t>(slotIndex)];
  if (slot.hasSamples) return 0;
  std::optional<std::uint32_t> length;
  {
    const std::unique_ptr<MusicFile> file = files_.Open(path);
    if (!file || !file->DescendRiffWave()) return 0;
    length = file->DescendDataChunk();
    if (!length || *length == 0 || !ReadSamples(*file, slot, *length)) {
      slot = {};
      return 0;
    }
  }  // the file is closed here, before the header is made
  slot.hasSamples = true;
  slot.length = *length;
  slot.header = {slot.samples.data(), slot.length, 0, 0};
  slot.hasHeader = true;
  device_.Prepare(slot.header);  // a failure shows when the buffer is written
  return 1;
}

int MusicPlayer::PlaySlot(int slotIndex, std::int32_t looped) {
  if (!deviceOpen_ || !ValidSlot(slotIndex)) return 0;
  SoundSlot& slot = slots_[static_cast<std::size_t>(slotIndex)];
  if (!slot.hasSamples) return 0;
  if (currentSlot_ != -1) {
    device_.Reset();
    device_.Unprepare(slots_[static_cast<std::size_t>(currentSlot_)].header);
  }
  slot.header.flags = looped == 1 ? kWaveBeginLoop | kWaveEndLoop : 0;
  slot.header.loops = looped == 1 ? kLoopForever : 0;
  device_.Prepare(slot.header);
  if (device_.Write(slot.header) == 0) {
    currentSlot_ = slotIndex;
    return 1;
  }
  device_.Unprepare(slot.header);
  currentSlot_ = -1;
  return 0;
}

void MusicPlayer::ReleaseSlots() {
  for (SoundSlot& slot : slots_) {
    if (slot.hasHeader) device_.Unprepare(slot.header);
    slot = {};
  }
}

int MusicPlayer::CloseMusic() {
  if (!deviceOpen_) return 0;
  const bool stopped = device_.Reset() == 0;
  // A device that could not be stopped may still be reading the buffer: its
  // samples and header stay where they are rather than be freed under it.
  if (!stopped) return 0;
  ReleaseSlots();
  const bool closed = device_.Close() == 0;
  deviceOpen_ = !closed;
  currentSlot_ = -1;
  return closed ? 1 : 0;
}

// Asked in bytes; whatever unit the device answers in, the block holds bytes
// afterwards. A failed or unusable answer leaves the block as it was.
std::uint32_t MusicPlayer::QueryPosition(PositionBlock& block) {
  if (!deviceOpen_) return kInvalidHandle;
  PositionBlock answer{.format = kTimeBytes, .position = block.position};
  const std::uint32_t result = device_.GetPosition(answer);
  if (result != 0) return result;
  const std::optional<std::uint32_t> bytes = PositionInBytes(answer, kMusicFormat);
  if (!bytes) return kNotSupported;
  block.format = kTimeBytes;
  block.position = *bytes;
  return 0;
}

void MusicPlayer::Reset() {
  if (deviceOpen_) device_.Reset();
}

}  // namespace qs3
