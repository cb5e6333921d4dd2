// The button looks: brass plaques for OK and Cancel, a sliding switch for the
// music. A pressed look sits one pixel lower, without its drop shadow and in
// darker tones, so that it reads as pushed into its seat.
#include <cmath>
#include <initializer_list>

#include "artgen/dialog/art_shapes.h"
#include "artgen/dialog/art_text.h"
#include "artgen/dialog/dialog_layout.h"
#include "artgen/raster.h"

namespace qs3::tools::dialog {

namespace {

struct Stop {
  double offset;
  double r;
  double g;
  double b;
};

CairoPattern VerticalGradient(double top, double bottom, std::initializer_list<Stop> stops,
                              double shade = 1.0) {
  CairoPattern pattern(cairo_pattern_create_linear(0.0, top, 0.0, bottom));
  for (const Stop& stop : stops) {
    cairo_pattern_add_color_stop_rgb(pattern.get(), stop.offset, stop.r * shade, stop.g * shade,
                                     stop.b * shade);
  }
  return pattern;
}

void FillWith(cairo_t* cr, const CairoPattern& pattern) {
  cairo_set_source(cr, pattern.get());
  cairo_fill_preserve(cr);
}

void StrokeWith(cairo_t* cr, const CairoPattern& pattern, double width) {
  cairo_set_source(cr, pattern.get());
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

CairoPattern FadingEdge(double top, double bottom, double r, double g, double b, double alpha) {
  CairoPattern pattern(cairo_pattern_create_linear(0.0, top, 0.0, bottom));
  cairo_pattern_add_color_stop_rgba(pattern.get(), 0.0, r, g, b, alpha);
  cairo_pattern_add_color_stop_rgba(pattern.get(), 0.45, r, g, b, 0.0);
  return pattern;
}

void DropShadow(cairo_t* cr, double x, double y, double width, double height, double radius) {
  AppendRoundedRect(cr, x, y, width, height, radius);
  cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.55);
  cairo_fill(cr);
}

// Dark text with a one-pixel light edge beneath: engraved into the brass.
void EngraveCaption(cairo_t* cr, const char* caption, double centreX, double baseline,
                    double lift) {
  const TextStyle style{"DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD, 13.0, 0.6};
  SelectTextStyle(cr, style);
  AppendCentredText(cr, caption, centreX, baseline + 1.0, style.tracking);
  cairo_set_source_rgba(cr, 1.0, 0.95, 0.80, lift);
  cairo_fill(cr);
  AppendCentredText(cr, caption, centreX, baseline, style.tracking);
  cairo_set_source_rgb(cr, 0.25, 0.13, 0.04);
  cairo_fill(cr);
}

}  // namespace

void DrawPlaqueLook(cairo_t* cr, const char* caption, LookState state) {
  const bool pressed = state == LookState::kPressed;
  const double shift = pressed ? 1.0 : 0.0;
  const double x = 0.5 + shift;
  const double y = 0.5 + shift;
  const double width = kOkButton.width - 2.0;
  const double height = kOkButton.height - 2.0;
  constexpr double kRadius = 7.0;
  if (!pressed) DropShadow(cr, x + 0.5, y + 1.5, width, height, kRadius);

  AppendRoundedRect(cr, x, y, width, height, kRadius);
  if (pressed) {
    FillWith(cr,
             VerticalGradient(y, y + height, {{0.0, 0.60, 0.40, 0.16}, {1.0, 0.86, 0.66, 0.33}}));
  } else {
    FillWith(cr, VerticalGradient(y, y + height,
                                  {{0.0, 1.0, 0.91, 0.68},
                                   {0.45, 0.92, 0.72, 0.38},
                                   {0.55, 0.85, 0.63, 0.29},
                                   {1.0, 0.72, 0.48, 0.19}}));
  }
  cairo_set_source_rgb(cr, 0.30, 0.17, 0.06);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);

  // Inside the rim: a lit top edge when raised, a shadowed one when pushed in.
  AppendRoundedRect(cr, x + 1.0, y + 1.0, width - 2.0, height - 2.0, kRadius - 1.0);
  if (pressed) {
    StrokeWith(cr, FadingEdge(y, y + height, 0.0, 0.0, 0.0, 0.5), 1.6);
  } else {
    StrokeWith(cr, FadingEdge(y, y + height, 1.0, 1.0, 0.95, 0.7), 1.0);
  }
  EngraveCaption(cr, caption, x + width / 2.0, y + 20.0, pressed ? 0.25 : 0.5);
}

namespace {

constexpr double kTrackWidth = 79.0;
constexpr double kTrackHeight = 26.0;
constexpr double kKnobRadius = 10.5;

void PaintTrack(cairo_t* cr, bool on, double top, double shade) {
  AppendRoundedRect(cr, 0.5, top, kTrackWidth, kTrackHeight, kTrackHeight / 2.0);
  if (on) {
    FillWith(cr, VerticalGradient(
                     top, top + kTrackHeight,
                     {{0.0, 0.66, 0.40, 0.12}, {0.5, 0.90, 0.66, 0.30}, {1.0, 0.99, 0.82, 0.45}},
                     shade));
  } else {
    FillWith(cr, VerticalGradient(top, top + kTrackHeight,
                                  {{0.0, 0.10, 0.08, 0.10}, {1.0, 0.30, 0.26, 0.28}}, shade));
  }
  cairo_set_source_rgb(cr, on ? 0.36 : 0.50, on ? 0.20 : 0.40, on ? 0.07 : 0.34);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  // The channel is sunk into the switch: shadow along its upper inside edge.
  AppendRoundedRect(cr, 1.5, top + 1.0, kTrackWidth - 2.0, kTrackHeight - 2.0,
                    kTrackHeight / 2.0 - 1.0);
  StrokeWith(cr, FadingEdge(top, top + kTrackHeight, 0.0, 0.0, 0.0, 0.55), 1.4);
}

// The knob: an ivory disc that flattens into a capsule while pressed.
void PaintKnob(cairo_t* cr, double centreX, double centreY, double stretch, double shade) {
  const double left = centreX - kKnobRadius - stretch / 2.0;
  const double width = 2.0 * kKnobRadius + stretch;
  AppendRoundedRect(cr, left + 0.8, centreY - kKnobRadius + 1.4, width, 2.0 * kKnobRadius,
                    kKnobRadius);
  cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.45);
  cairo_fill(cr);
  AppendRoundedRect(cr, left, centreY - kKnobRadius, width, 2.0 * kKnobRadius, kKnobRadius);
  const CairoPattern ivory(
      cairo_pattern_create_radial(centreX - 3.0, centreY - 4.0, 1.0, centreX, centreY, 13.0));
  cairo_pattern_add_color_stop_rgb(ivory.get(), 0.0, 1.0 * shade, 0.99 * shade, 0.95 * shade);
  cairo_pattern_add_color_stop_rgb(ivory.get(), 1.0, 0.74 * shade, 0.67 * shade, 0.58 * shade);
  FillWith(cr, ivory);
  cairo_set_source_rgba(cr, 0.25, 0.18, 0.12, 0.9);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

void PaintSwitchCaption(cairo_t* cr, bool on, double baseline) {
  const TextStyle style{"DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD, 11.0, 1.0};
  SelectTextStyle(cr, style);
  if (on) {
    AppendCentredText(cr, "ON", 30.0, baseline + 1.0, style.tracking);
    cairo_set_source_rgba(cr, 1.0, 0.95, 0.80, 0.45);
    cairo_fill(cr);
    AppendCentredText(cr, "ON", 30.0, baseline, style.tracking);
    cairo_set_source_rgb(cr, 0.28, 0.14, 0.04);
  } else {
    AppendCentredText(cr, "OFF", 51.0, baseline, style.tracking);
    cairo_set_source_rgb(cr, 0.70, 0.64, 0.62);
  }
  cairo_fill(cr);
}

}  // namespace

void DrawSwitchLook(cairo_t* cr, bool on, LookState state) {
  const bool pressed = state == LookState::kPressed;
  const double top = pressed ? 1.5 : 0.5;
  const double shade = pressed ? 0.82 : 1.0;
  if (!pressed) DropShadow(cr, 0.5, 1.5, kTrackWidth, kTrackHeight, kTrackHeight / 2.0);
  PaintTrack(cr, on, top, shade);
  PaintSwitchCaption(cr, on, top + 17.5);
  const double centreY = top + kTrackHeight / 2.0;
  const double stretch = pressed ? 5.0 : 0.0;
  const double inset = 2.0 + kKnobRadius + stretch / 2.0;
  PaintKnob(cr, on ? kTrackWidth + 0.5 - inset : 0.5 + inset, centreY, stretch,
            pressed ? 0.9 : 1.0);
}

}  // namespace qs3::tools::dialog
