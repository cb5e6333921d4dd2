#include "artgen/dialog/error_diffusion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace qs3::tools {

namespace {

constexpr int kFirstEntry = 1;
constexpr int kLastEntry = 254;
constexpr float kErrorClip = 10.0f;

using Colour = std::array<float, 3>;

int NearestEntry(const Colour& colour, const Palette& palette) {
  int best = kFirstEntry;
  float bestDistance = std::numeric_limits<float>::max();
  for (int i = kFirstEntry; i <= kLastEntry; ++i) {
    const float dr = colour[0] - palette[i].r;
    const float dg = colour[1] - palette[i].g;
    const float db = colour[2] - palette[i].b;
    // The same channel weights as the palette fit.
    const float distance = dr * dr * 3.0f + dg * dg * 4.0f + db * db * 2.0f;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

Colour EntryColour(const Palette& palette, int index) {
  return {static_cast<float>(palette[index].r), static_cast<float>(palette[index].g),
          static_cast<float>(palette[index].b)};
}

}  // namespace

void DiffuseRows(cairo_surface_t* surface, int firstRow, int endRow, IndexedImage& image) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  // Error carried into this row and the next, with one spare column each side.
  std::vector<Colour> current(static_cast<std::size_t>(width) + 2, Colour{});
  std::vector<Colour> next(current.size(), Colour{});
  for (int y = firstRow; y < endRow; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    const bool leftToRight = (y - firstRow) % 2 == 0;
    const int step = leftToRight ? 1 : -1;
    for (int i = 0; i < width; ++i) {
      const int x = leftToRight ? i : width - 1 - i;
      const std::size_t slot = static_cast<std::size_t>(x) + 1;
      Colour wanted;
      for (int c = 0; c < 3; ++c) {
        const float source = static_cast<float>((row[x] >> (16 - 8 * c)) & 0xFF);
        wanted[c] = std::clamp(source + current[slot][c], 0.0f, 255.0f);
      }
      const int index = NearestEntry(wanted, image.palette);
      image.At(x, y) = static_cast<std::uint8_t>(index);
      const Colour got = EntryColour(image.palette, index);
      for (int c = 0; c < 3; ++c) {
        const float error = std::clamp(wanted[c] - got[c], -kErrorClip, kErrorClip);
        current[slot + step][c] += error * 7.0f / 16.0f;
        next[slot - step][c] += error * 3.0f / 16.0f;
        next[slot][c] += error * 5.0f / 16.0f;
        next[slot + step][c] += error * 1.0f / 16.0f;
      }
    }
    std::swap(current, next);
    std::fill(next.begin(), next.end(), Colour{});
  }
}

}  // namespace qs3::tools
