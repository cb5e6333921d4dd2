// The program icon: a violin and its bow crossed on a dark rounded tile with
// a warm glow. The small sizes are drawn, not shrunk: fewer details, bolder
// strokes, a larger instrument.
#include "artgen/dialog/icon_art.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "artgen/dialog/art_shapes.h"
#include "artgen/dialog/icon_file.h"
#include "artgen/dialog/instruments.h"
#include "artgen/raster.h"

namespace qs3::tools {

namespace {

// How one size is drawn, in units of the icon's edge.
struct IconRecipe {
  double tileInset;
  double tileRadius;
  double bodyLength;  // the violin's body
  double bodyWidth;   // widening across, to keep the waist visible when tiny
  double bowWidth;    // 0: the bow is a single hairline
  InstrumentDetail detail;
  double neckScale;
  bool rim;  // a thin gilt edge round the tile
};

IconRecipe RecipeFor(int size) {
  if (size <= 16) return {0.0, 0.19, 0.60, 1.12, 0.0, InstrumentDetail::kSimple, 2.0, false};
  if (size <= 32) return {0.0, 0.19, 0.54, 1.0, 0.035, InstrumentDetail::kSimple, 1.5, false};
  if (size <= 48) return {0.02, 0.19, 0.51, 1.0, 0.025, InstrumentDetail::kFull, 1.2, true};
  return {0.03, 0.19, 0.50, 1.0, 0.016, InstrumentDetail::kFull, 1.0, true};
}

void PaintTile(cairo_t* cr, const IconRecipe& recipe, double size) {
  const double inset = recipe.tileInset * size;
  const double edge = size - 2.0 * inset;
  AppendRoundedRect(cr, inset, inset, edge, edge, recipe.tileRadius * size);
  const CairoPattern wall(cairo_pattern_create_linear(0.0, inset, 0.0, inset + edge));
  cairo_pattern_add_color_stop_rgb(wall.get(), 0.0, 0.24, 0.10, 0.17);
  cairo_pattern_add_color_stop_rgb(wall.get(), 1.0, 0.08, 0.035, 0.07);
  cairo_set_source(cr, wall.get());
  cairo_fill_preserve(cr);
  // A stage light from above, behind the instrument.
  const CairoPattern glow(cairo_pattern_create_radial(size * 0.5, size * 0.42, 0.0, size * 0.5,
                                                      size * 0.42, size * 0.55));
  cairo_pattern_add_color_stop_rgba(glow.get(), 0.0, 1.0, 0.80, 0.50, 0.32);
  cairo_pattern_add_color_stop_rgba(glow.get(), 1.0, 1.0, 0.80, 0.50, 0.0);
  cairo_set_source(cr, glow.get());
  cairo_fill_preserve(cr);
  if (recipe.rim) {
    cairo_set_source_rgba(cr, 0.96, 0.78, 0.45, 0.55);
    cairo_set_line_width(cr, std::max(1.0, size / 96.0));
    cairo_stroke(cr);
  } else {
    cairo_new_path(cr);
  }
}

// The violin leans with its scroll to the upper right; the bow crosses
// behind it from the upper left.
void PaintViolinAndBow(cairo_t* cr, const IconRecipe& recipe, double size) {
  const WoodTones wood = AmberVarnish();
  if (recipe.bowWidth > 0.0) {
    DrawBow(cr, size * 0.15, size * 0.15, size * 0.85, size * 0.85, recipe.bowWidth * size, wood);
  } else {
    // Only the pale hair would survive at this size: one thin light line.
    cairo_set_source_rgba(cr, 0.95, 0.90, 0.80, 0.85);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, size * 0.15 + 0.5, size * 0.15 + 0.5);
    cairo_line_to(cr, size * 0.85 - 0.5, size * 0.85 - 0.5);
    cairo_stroke(cr);
  }
  InstrumentShape violin = kViolin;
  violin.detail = recipe.detail;
  violin.neckScale = recipe.neckScale;
  const double body = recipe.bodyLength * size;
  // A point a little nearer the body than the midpoint between scroll tip
  // and tail sits at the tile's centre: the body carries the picture's weight.
  const double midpoint = (1.0 - violin.neckLength) / 2.0 + 0.08;
  cairo_save(cr);
  cairo_translate(cr, size * 0.5, size * 0.5);
  cairo_rotate(cr, 0.62);
  cairo_scale(cr, body * recipe.bodyWidth, body);
  cairo_translate(cr, 0.0, -midpoint);
  DrawInstrument(cr, violin, wood);
  cairo_restore(cr);
}

CairoSurface DrawIconImage(int size) {
  const IconRecipe recipe = RecipeFor(size);
  CairoSurface surface = MakeArgbSurface(size, size);
  const CairoContext cr = MakeContext(surface);
  PaintTile(cr.get(), recipe, size);
  PaintViolinAndBow(cr.get(), recipe, size);
  cairo_surface_flush(surface.get());
  return surface;
}

}  // namespace

std::vector<std::uint8_t> DrawIconFile() {
  std::vector<IconImage> images;
  for (const int size : {16, 32, 48, 256}) {
    const CairoSurface surface = DrawIconImage(size);
    images.push_back(size == 256 ? PngIconImage(surface.get()) : DibIconImage(surface.get()));
  }
  return AssembleIconFile(images);
}

}  // namespace qs3::tools
