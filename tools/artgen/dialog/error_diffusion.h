// Floyd-Steinberg quantisation for the large soft gradients of a background,
// where a plain nearest-colour mapping leaves bands of shifted hue.
#pragma once

#include <cairo.h>

#include "common/indexed_image.h"

namespace qs3::tools {

// Maps rows [firstRow, endRow) of an opaque ARGB32 surface onto palette
// entries 1..254 of `image.palette` with serpentine error diffusion, writing
// the indices into `image` (same size as the surface). The error carried on
// is clipped so that sharp edges (text, outlines) do not smear.
void DiffuseRows(cairo_surface_t* surface, int firstRow, int endRow, IndexedImage& image);

}  // namespace qs3::tools
