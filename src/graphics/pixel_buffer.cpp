#include "graphics/pixel_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace qs3 {

PixelBuffer::PixelBuffer(int width, int height, std::uint32_t fill) {
  if (width <= 0 || height <= 0) return;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (count > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t)) return;
  // calloc hands out fresh pages without writing them; a black buffer is done.
  pixels_.reset(static_cast<std::uint32_t*>(fill == kBlack
                                                ? std::calloc(count, sizeof(std::uint32_t))
                                                : std::malloc(count * sizeof(std::uint32_t))));
  if (!pixels_) return;
  width_ = width;
  height_ = height;
  if (fill != kBlack) std::fill_n(pixels_.get(), count, fill);
}

PixelBuffer::PixelBuffer(const PixelBuffer& other) {
  *this = other;
}

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other) {
  if (this == &other) return *this;
  pixels_.reset();
  width_ = 0;
  height_ = 0;
  if (other.Empty()) return *this;
  pixels_.reset(static_cast<std::uint32_t*>(std::malloc(other.Count() * sizeof(std::uint32_t))));
  if (!pixels_) return *this;
  width_ = other.width_;
  height_ = other.height_;
  std::memcpy(pixels_.get(), other.pixels_.get(), Count() * sizeof(std::uint32_t));
  return *this;
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      pixels_(std::move(other.pixels_)) {}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  pixels_ = std::move(other.pixels_);
  return *this;
}

void PixelBuffer::Fill(std::uint32_t value) {
  std::fill_n(pixels_.get(), Count(), value);
}

bool operator==(const PixelBuffer& a, const PixelBuffer& b) {
  const std::span<const std::uint32_t> left = a.Pixels();
  const std::span<const std::uint32_t> right = b.Pixels();
  return a.width_ == b.width_ && a.height_ == b.height_ &&
         std::equal(left.begin(), left.end(), right.begin(), right.end());
}

}  // namespace qs3
