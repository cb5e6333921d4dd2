// A frame or sheet bitmap in memory: 32-bit pixels 0x00RRGGBB, rows top-down.
//
// The top byte of every pixel is always 0, so black is all bits 0 and white
// (0x00FFFFFF) is all colour bits 1; the raster operations complement only the
// 24 colour bits and so keep that invariant.
//
// A black buffer is taken from the allocator already zeroed: the pages of a
// large one stay unmapped until a pixel on them is written, so the
// StageBuffer, which is only ever read, costs no resident memory at all.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

namespace qs3 {

inline constexpr std::uint32_t kBlack = 0x00000000u;
inline constexpr std::uint32_t kWhite = 0x00FFFFFFu;
inline constexpr std::uint32_t kColourBits = 0x00FFFFFFu;

constexpr std::uint32_t MakePixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | std::uint32_t{blue};
}

class PixelBuffer {
 public:
  PixelBuffer() = default;
  // Non-positive sizes give an empty buffer; so does memory that cannot be had.
  PixelBuffer(int width, int height, std::uint32_t fill = kBlack);
  PixelBuffer(const PixelBuffer& other);
  PixelBuffer& operator=(const PixelBuffer& other);
  PixelBuffer(PixelBuffer&& other) noexcept;
  PixelBuffer& operator=(PixelBuffer&& other) noexcept;
  ~PixelBuffer() = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_ == nullptr; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // x and y must lie inside the buffer.
  std::uint32_t At(int x, int y) const { return pixels_[Index(x, y)]; }
  std::uint32_t& At(int x, int y) { return pixels_[Index(x, y)]; }

  // The pixels of row y, which must lie inside the buffer.
  std::uint32_t* Row(int y) { return pixels_.get() + Index(0, y); }
  const std::uint32_t* Row(int y) const { return pixels_.get() + Index(0, y); }

  void Fill(std::uint32_t value);
  std::span<const std::uint32_t> Pixels() const { return {pixels_.get(), Count()}; }

  friend bool operator==(const PixelBuffer& a, const PixelBuffer& b);

 private:
  struct FreeDeleter {
    void operator()(std::uint32_t* pixels) const { std::free(pixels); }
  };

  std::size_t Count() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<std::uint32_t[], FreeDeleter> pixels_;
};

}  // namespace qs3
