#include "artgen/dialog/art_text.h"

#include <memory>

namespace qs3::tools {

namespace {

struct FontOptionsDeleter {
  void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};

// One character at a time: the toy API has no letter spacing of its own.
template <typename PerCharacter>
void ForEachCharacter(const char* text, PerCharacter&& perCharacter) {
  char glyph[2] = {0, 0};
  for (const char* c = text; *c != '\0'; ++c) {
    glyph[0] = *c;
    perCharacter(glyph, c[1] == '\0');
  }
}

}  // namespace

void SelectTextStyle(cairo_t* cr, const TextStyle& style) {
  cairo_select_font_face(cr, style.family, style.slant, style.weight);
  cairo_set_font_size(cr, style.size);
  // Outlines without hinting: the shapes then depend on the font file only,
  // not on the font configuration of the machine.
  const std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(
      cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options.get());
}

double MeasureText(cairo_t* cr, const char* text, double tracking) {
  double width = 0.0;
  ForEachCharacter(text, [&](const char* glyph, bool last) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, glyph, &extents);
    width += extents.x_advance + (last ? 0.0 : tracking);
  });
  return width;
}

void AppendText(cairo_t* cr, const char* text, double x, double baseline, double tracking) {
  double pen = x;
  ForEachCharacter(text, [&](const char* glyph, bool) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, glyph, &extents);
    cairo_move_to(cr, pen, baseline);
    cairo_text_path(cr, glyph);
    pen += extents.x_advance + tracking;
  });
}

void AppendCentredText(cairo_t* cr, const char* text, double centreX, double baseline,
                       double tracking) {
  AppendText(cr, text, centreX - MeasureText(cr, text, tracking) / 2.0, baseline, tracking);
}

}  // namespace qs3::tools
