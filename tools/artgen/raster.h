// From cairo's anti-aliased drawing to palette indices.
#pragma once

#include <cairo.h>

#include <memory>

#include "common/indexed_image.h"

namespace qs3::tools {

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
struct CairoPatternDeleter {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoPattern = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextDeleter>;

// A transparent ARGB32 surface and a context drawing on it.
CairoSurface MakeArgbSurface(int width, int height);
CairoContext MakeContext(const CairoSurface& surface);

struct QuantizeOptions {
  int firstIndex = 1;             // palette range searched for opaque pixels
  int lastIndex = 254;            // never 255: the packed format cannot hold it
  std::uint8_t alphaCutoff = 96;  // below this coverage a pixel stays index 0
  bool opaque = false;            // true: no pixel becomes index 0 (backgrounds)
};

// Maps every pixel of an ARGB32 surface to the nearest palette entry (colour
// composed over black, squared RGB distance, lowest index on ties). Pixels
// whose alpha is below the cutoff become index 0 unless `opaque` is set.
IndexedImage QuantizeSurface(cairo_surface_t* surface, const Palette& palette,
                             const QuantizeOptions& options);

}  // namespace qs3::tools
