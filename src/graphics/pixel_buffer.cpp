#include "graphics/pixel_buffer.h"

#include <algorithm>

namespace qs3 {

PixelBuffer::PixelBuffer(int width, int height, std::uint32_t fill) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

void PixelBuffer::Fill(std::uint32_t value) {
  std::fill(pixels_.begin(), pixels_.end(), value);
}

}  // namespace qs3
