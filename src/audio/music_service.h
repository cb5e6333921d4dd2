// What the saver window and the music timeline need of the background music:
// the player's four operations (1 on success, 0 on failure) and the clock the
// timeline follows. The music player on a wave device is the real one;
// NoMusic is a build or a run without sound.
#pragma once

#include <cstdint>

#include "animation/music_clock.h"
#include "seam/types.h"

namespace qs3 {

class MusicService : public MusicClock {
 public:
  virtual int OpenMusic(WindowHandle window) = 0;
  virtual int LoadSound(const char* path, int slot) = 0;
  virtual int PlaySlot(int slot, std::int32_t looped) = 0;
  virtual int CloseMusic() = 0;
};

// No sound device at all: opening fails, so the saver runs silent.
class NoMusic final : public MusicService {
 public:
  int OpenMusic(WindowHandle) override { return 0; }
  int LoadSound(const char*, int) override { return 0; }
  int PlaySlot(int, std::int32_t) override { return 0; }
  int CloseMusic() override { return 0; }
  std::uint32_t QueryPosition(PositionBlock&) override { return 5; }  // no device
  void Reset() override {}
  void PlayFromStart() override {}
};

}  // namespace qs3
