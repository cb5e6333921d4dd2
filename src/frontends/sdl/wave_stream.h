// The bytes an audio callback hands to the sound device: the one buffer the
// music player wrote, played once or looped, then silence. Its position is
// the count of the buffer's bytes the device has taken since the buffer was
// written, so the music timeline follows what the device consumed. No SDL
// header here; the SDL device calls Fill from its callback under its lock.
#pragma once

#include <cstdint>
#include <span>

namespace qs3::sdl {

class WaveStream {
 public:
  // Plays `data` from its start; a looped buffer starts again at its end.
  void Start(std::span<const std::uint8_t> data, bool looped);
  // Silence from now on and the position back to 0, as a device reset does.
  // A buffer that ends by itself keeps its position at its length.
  void Reset();
  // Fills `out` with the next bytes, `silence` once the buffer has ended.
  void Fill(std::span<std::uint8_t> out, std::uint8_t silence);
  // Bytes taken since the last start (wraps at 2^32 when looped that long).
  std::uint32_t Position() const { return position_; }
  bool Playing() const { return !data_.empty(); }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t offset_ = 0;
  bool looped_ = false;
  std::uint32_t position_ = 0;
};

}  // namespace qs3::sdl
