#include "frontends/sdl/wave_stream.h"

#include <algorithm>
#include <cstring>

namespace qs3::sdl {

void WaveStream::Start(std::span<const std::uint8_t> data, bool looped) {
  data_ = data;
  offset_ = 0;
  looped_ = looped;
  position_ = 0;
}

void WaveStream::Reset() {
  data_ = {};
  offset_ = 0;
  position_ = 0;
}

void WaveStream::Fill(std::span<std::uint8_t> out, std::uint8_t silence) {
  std::size_t filled = 0;
  while (filled < out.size() && !data_.empty()) {
    const std::size_t count = std::min(out.size() - filled, data_.size() - offset_);
    std::memcpy(out.data() + filled, data_.data() + offset_, count);
    filled += count;
    offset_ += count;
    position_ += static_cast<std::uint32_t>(count);
    if (offset_ == data_.size()) {
      if (looped_) {
        offset_ = 0;
      } else {
        data_ = {};  // ended: silence, the position stays at the length
        offset_ = 0;
      }
    }
  }
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(filled), out.end(), silence);
}

}  // namespace qs3::sdl
