#include "artgen/raster.h"

#include <limits>
#include <unordered_map>

namespace qs3::tools {

CairoSurface MakeArgbSurface(int width, int height) {
  return CairoSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

CairoContext MakeContext(const CairoSurface& surface) {
  return CairoContext(cairo_create(surface.get()));
}

namespace {

int NearestIndex(Rgb colour, const Palette& palette, const QuantizeOptions& options) {
  int best = options.firstIndex;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = options.firstIndex; i <= options.lastIndex; ++i) {
    const int dr = colour.r - palette[i].r;
    const int dg = colour.g - palette[i].g;
    const int db = colour.b - palette[i].b;
    const int distance = dr * dr * 3 + dg * dg * 4 + db * db * 2;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

}  // namespace

IndexedImage QuantizeSurface(cairo_surface_t* surface, const Palette& palette,
                             const QuantizeOptions& options) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  IndexedImage image(width, height);
  image.palette = palette;
  std::unordered_map<std::uint32_t, std::uint8_t> cache;
  for (int y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t argb = row[x];
      const auto alpha = static_cast<std::uint8_t>(argb >> 24);
      if (!options.opaque && alpha < options.alphaCutoff) continue;
      // Premultiplied channels are the colour composed over black.
      const std::uint32_t rgb = argb & 0xFFFFFFu;
      auto found = cache.find(rgb);
      if (found == cache.end()) {
        const Rgb colour{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                         static_cast<std::uint8_t>(rgb)};
        found =
            cache.emplace(rgb, static_cast<std::uint8_t>(NearestIndex(colour, palette, options)))
                .first;
      }
      image.At(x, y) = found->second;
    }
  }
  return image;
}

}  // namespace qs3::tools
