// What the music timeline needs of whatever plays the background music: the
// playback position, a stop and a start from the beginning. On Windows this is
// the music player's open wave-output device; tests script it.
#pragma once

#include <cstdint>

namespace qs3 {

// The wave device's 12-byte time record. The timeline owns it as a plain
// value; on Windows the device expects movable global memory, so the front end
// keeps such a block and copies the two words across around each query.
struct PositionBlock {
  std::uint32_t format = 0;    // written once (1, milliseconds); the device may change it
  std::uint32_t position = 0;  // bytes of sample data played since the music last started
  std::uint32_t unused = 0;
};

class MusicClock {
 public:
  virtual ~MusicClock() = default;
  // Writes the playback position into `block` and returns 0, or returns the
  // device's nonzero error code and leaves the block as it was.
  virtual std::uint32_t QueryPosition(PositionBlock& block) = 0;
  // Stops the music; the device stays open.
  virtual void Reset() = 0;
  // Starts the music from its beginning, once, not looped.
  virtual void PlayFromStart() = 0;
};

}  // namespace qs3
