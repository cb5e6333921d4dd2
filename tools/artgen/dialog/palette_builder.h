// A palette fitted to a finished drawing: median cut refined by a few rounds
// of k-means, so that the quantised picture keeps its gradients and text.
#pragma once

#include <cairo.h>

#include "common/indexed_image.h"

namespace qs3::tools {

// Fits entries 1..`lastIndex` to the opaque pixels (alpha 255) of an ARGB32
// surface; entry 0 and any entries left over are black. Entries come out
// sorted from dark to light. Same surface, same palette.
Palette FitPalette(cairo_surface_t* surface, int lastIndex);

}  // namespace qs3::tools
