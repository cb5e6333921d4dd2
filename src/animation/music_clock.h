// What the music timeline needs of whatever plays the background music: the
// playback position, a stop and a start from the beginning. On Windows this is
// the music player's open wave-output device; tests script it.
#pragma once

#include <cstdint>

#include "seam/wave_device.h"

namespace qs3 {

class MusicClock {
 public:
  virtual ~MusicClock() = default;
  // Writes the playback position, in bytes of the music's sample data, into
  // `block` and returns 0, or returns a nonzero error code and leaves the
  // block as it was.
  virtual std::uint32_t QueryPosition(PositionBlock& block) = 0;
  // Stops the music; the device stays open.
  virtual void Reset() = 0;
  // Starts the music from its beginning, once, not looped.
  virtual void PlayFromStart() = 0;
};

}  // namespace qs3
