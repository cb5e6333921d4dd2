// Text for the art through cairo's toy font API, with fixed font options so
// that the glyphs rasterise the same way on every run.
#pragma once

#include <cairo.h>

namespace qs3::tools {

struct TextStyle {
  const char* family;
  cairo_font_slant_t slant;
  cairo_font_weight_t weight;
  double size;      // pixels
  double tracking;  // extra pixels after every character
};

void SelectTextStyle(cairo_t* cr, const TextStyle& style);

// Width of `text` in the selected font, tracking included (none after the
// last character).
double MeasureText(cairo_t* cr, const char* text, double tracking);

// Adds the glyph outlines of `text` to the current path, starting at
// (x, baseline); fill or stroke the path afterwards.
void AppendText(cairo_t* cr, const char* text, double x, double baseline, double tracking);

// The same, centred on `centreX`.
void AppendCentredText(cairo_t* cr, const char* text, double centreX, double baseline,
                       double tracking);

}  // namespace qs3::tools
