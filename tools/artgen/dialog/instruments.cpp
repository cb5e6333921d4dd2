#include "artgen/dialog/instruments.h"

#include <array>
#include <cmath>

#include "artgen/raster.h"

namespace qs3::tools {

namespace {

struct Point {
  double x;
  double y;
};

struct Curve {
  Point c1;
  Point c2;
  Point end;
};

// The right half of the outline, top centre to bottom centre. The corners
// between the bouts are left sharp on purpose: they make the silhouette read
// as a violin rather than a guitar.
constexpr std::array<Curve, 5> kRightOutline{{
    {{0.09, 0.0}, {0.225, 0.03}, {0.235, 0.15}},
    {{0.245, 0.26}, {0.225, 0.31}, {0.215, 0.345}},
    {{0.15, 0.37}, {0.15, 0.575}, {0.225, 0.60}},
    {{0.305, 0.63}, {0.30, 0.72}, {0.29, 0.80}},
    {{0.28, 0.95}, {0.14, 1.0}, {0.0, 1.0}},
}};

void SetRgb(cairo_t* cr, const double (&rgb)[3], double alpha = 1.0) {
  cairo_set_source_rgba(cr, rgb[0], rgb[1], rgb[2], alpha);
}

void AddStop(cairo_pattern_t* pattern, double offset, const double (&rgb)[3]) {
  cairo_pattern_add_color_stop_rgb(pattern, offset, rgb[0], rgb[1], rgb[2]);
}

void FillWithVarnish(cairo_t* cr, const WoodTones& wood, double cx, double cy, double radius) {
  const CairoPattern varnish(cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, radius));
  AddStop(varnish.get(), 0.0, wood.light);
  AddStop(varnish.get(), 1.0, wood.dark);
  cairo_set_source(cr, varnish.get());
  cairo_fill_preserve(cr);
}

void AppendNeckPath(cairo_t* cr, double neckTop) {
  cairo_move_to(cr, -0.036, 0.02);
  cairo_line_to(cr, -0.030, neckTop);
  cairo_line_to(cr, 0.030, neckTop);
  cairo_line_to(cr, 0.036, 0.02);
  cairo_close_path(cr);
}

void AppendPegboxPath(cairo_t* cr, double neckTop, double scrollY) {
  cairo_move_to(cr, -0.032, neckTop + 0.01);
  cairo_curve_to(cr, -0.036, neckTop - 0.08, -0.03, scrollY + 0.05, -0.026, scrollY);
  cairo_line_to(cr, 0.026, scrollY);
  cairo_curve_to(cr, 0.03, scrollY + 0.05, 0.036, neckTop - 0.08, 0.032, neckTop + 0.01);
  cairo_close_path(cr);
}

void DrawScroll(cairo_t* cr, const WoodTones& wood, double scrollY, bool spiral) {
  const double radius = 0.05;
  cairo_new_path(cr);
  cairo_arc(cr, 0.0, scrollY, radius, 0.0, 2.0 * M_PI);
  FillWithVarnish(cr, wood, -0.015, scrollY - 0.015, radius * 1.4);
  SetRgb(cr, wood.ebony, 0.7);
  cairo_set_line_width(cr, 0.008);
  cairo_stroke(cr);
  if (!spiral) return;
  // One and a half turns inward: the carved volute.
  cairo_set_line_width(cr, 0.007);
  for (int step = 0; step <= 40; ++step) {
    const double t = step / 40.0;
    const double angle = 0.5 * M_PI + t * 3.0 * M_PI;
    const double r = radius * (0.85 - 0.65 * t);
    const double x = r * std::cos(angle);
    const double y = scrollY + r * std::sin(angle);
    if (step == 0) {
      cairo_move_to(cr, x, y);
    } else {
      cairo_line_to(cr, x, y);
    }
  }
  cairo_stroke(cr);
}

void DrawPegs(cairo_t* cr, const WoodTones& wood, double neckTop, double scrollY) {
  SetRgb(cr, wood.ebony);
  for (int peg = 0; peg < 4; ++peg) {
    const double y = neckTop - 0.04 - peg * (neckTop - 0.04 - scrollY - 0.07) / 3.0;
    const double side = (peg % 2 == 0) ? -1.0 : 1.0;
    cairo_save(cr);
    cairo_translate(cr, side * 0.055, y);
    cairo_scale(cr, 0.035, 0.014);
    cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }
}

void AppendFingerboardPath(cairo_t* cr, double neckTop) {
  cairo_move_to(cr, -0.034, neckTop);
  cairo_line_to(cr, 0.034, neckTop);
  cairo_line_to(cr, 0.058, 0.40);
  cairo_curve_to(cr, 0.04, 0.415, -0.04, 0.415, -0.058, 0.40);
  cairo_close_path(cr);
}

void DrawFHoles(cairo_t* cr, const WoodTones& wood) {
  SetRgb(cr, wood.ebony, 0.9);
  cairo_set_line_width(cr, 0.014);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (const double side : {-1.0, 1.0}) {
    cairo_move_to(cr, side * 0.085, 0.455);
    cairo_curve_to(cr, side * 0.125, 0.50, side * 0.075, 0.60, side * 0.12, 0.645);
    cairo_stroke(cr);
    cairo_arc(cr, side * 0.085, 0.455, 0.013, 0.0, 2.0 * M_PI);
    cairo_arc(cr, side * 0.12, 0.645, 0.015, 0.0, 2.0 * M_PI);
    cairo_fill(cr);
  }
}

void DrawTailpieceAndBridge(cairo_t* cr, const WoodTones& wood) {
  SetRgb(cr, wood.ebony);
  cairo_move_to(cr, -0.05, 0.665);
  cairo_curve_to(cr, -0.02, 0.655, 0.02, 0.655, 0.05, 0.665);
  cairo_line_to(cr, 0.026, 0.955);
  cairo_line_to(cr, -0.026, 0.955);
  cairo_close_path(cr);
  cairo_fill(cr);
  // The bridge, pale maple standing between the f-hole notches.
  cairo_set_source_rgb(cr, 0.93, 0.82, 0.62);
  cairo_set_line_width(cr, 0.016);
  cairo_move_to(cr, -0.075, 0.555);
  cairo_line_to(cr, 0.075, 0.555);
  cairo_stroke(cr);
}

void DrawStrings(cairo_t* cr, double neckTop) {
  cairo_set_source_rgba(cr, 0.92, 0.90, 0.84, 0.85);
  cairo_set_line_width(cr, 0.0045);
  for (int string = 0; string < 4; ++string) {
    const double spread = (string - 1.5) / 1.5;
    cairo_move_to(cr, spread * 0.022, neckTop);
    cairo_line_to(cr, spread * 0.05, 0.555);
    cairo_line_to(cr, spread * 0.032, 0.675);
    cairo_stroke(cr);
  }
}

void DrawPurfling(cairo_t* cr, const WoodTones& wood) {
  cairo_save(cr);
  cairo_translate(cr, 0.0, 0.5);
  cairo_scale(cr, 0.93, 0.955);
  cairo_translate(cr, 0.0, -0.5);
  AppendBodyPath(cr);
  cairo_restore(cr);
  SetRgb(cr, wood.ebony, 0.45);
  cairo_set_line_width(cr, 0.006);
  cairo_stroke(cr);
}

void DrawEndpin(cairo_t* cr, const WoodTones& wood, double length) {
  cairo_set_source_rgb(cr, 0.62, 0.62, 0.64);
  cairo_set_line_width(cr, 0.014);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, 0.0, 0.99);
  cairo_line_to(cr, 0.0, 1.0 + length);
  cairo_stroke(cr);
  SetRgb(cr, wood.ebony);
  cairo_rectangle(cr, -0.018, 0.985, 0.036, 0.035);
  cairo_fill(cr);
}

void DrawBody(cairo_t* cr, const WoodTones& wood) {
  AppendBodyPath(cr);
  FillWithVarnish(cr, wood, -0.07, 0.42, 0.62);
  SetRgb(cr, wood.ebony, 0.8);
  cairo_set_line_width(cr, 0.014);
  cairo_stroke(cr);
  // A soft sheen on the upper bout, as from a light above and to the left.
  const CairoPattern sheen(cairo_pattern_create_radial(-0.08, 0.2, 0.0, -0.08, 0.2, 0.22));
  cairo_pattern_add_color_stop_rgba(sheen.get(), 0.0, 1.0, 0.92, 0.75, 0.35);
  cairo_pattern_add_color_stop_rgba(sheen.get(), 1.0, 1.0, 0.92, 0.75, 0.0);
  AppendBodyPath(cr);
  cairo_set_source(cr, sheen.get());
  cairo_fill(cr);
}

}  // namespace

WoodTones AmberVarnish() {
  return WoodTones{{0.90, 0.55, 0.22}, {0.38, 0.13, 0.05}, {0.10, 0.07, 0.06}};
}

void AppendBodyPath(cairo_t* cr) {
  cairo_move_to(cr, 0.0, 0.0);
  for (const Curve& curve : kRightOutline) {
    cairo_curve_to(cr, curve.c1.x, curve.c1.y, curve.c2.x, curve.c2.y, curve.end.x, curve.end.y);
  }
  // The left half: the same curves mirrored and walked backwards.
  for (int i = static_cast<int>(kRightOutline.size()) - 1; i >= 0; --i) {
    const Curve& curve = kRightOutline[static_cast<std::size_t>(i)];
    const Point start =
        (i == 0) ? Point{0.0, 0.0} : kRightOutline[static_cast<std::size_t>(i - 1)].end;
    cairo_curve_to(cr, -curve.c2.x, curve.c2.y, -curve.c1.x, curve.c1.y, -start.x, start.y);
  }
  cairo_close_path(cr);
}

void DrawInstrument(cairo_t* cr, const InstrumentShape& shape, const WoodTones& wood) {
  const bool full = shape.detail == InstrumentDetail::kFull;
  const double neckTop = -0.553 * shape.neckLength;
  const double scrollY = -shape.neckLength + 0.05;
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (shape.endpin > 0.0) DrawEndpin(cr, wood, shape.endpin);
  // The neck, pegbox and scroll are drawn widened about the centre line.
  cairo_save(cr);
  cairo_scale(cr, shape.neckScale, 1.0);
  if (full) DrawPegs(cr, wood, neckTop, scrollY);
  AppendPegboxPath(cr, neckTop, scrollY);
  FillWithVarnish(cr, wood, -0.01, neckTop, 0.2);
  cairo_new_path(cr);
  AppendNeckPath(cr, neckTop);
  FillWithVarnish(cr, wood, -0.01, neckTop * 0.5, 0.3);
  cairo_new_path(cr);
  DrawScroll(cr, wood, scrollY, full);
  cairo_restore(cr);
  DrawBody(cr, wood);
  if (full) {
    DrawPurfling(cr, wood);
    DrawFHoles(cr, wood);
  }
  cairo_save(cr);
  cairo_scale(cr, shape.neckScale, 1.0);
  AppendFingerboardPath(cr, neckTop);
  cairo_restore(cr);
  SetRgb(cr, wood.ebony);
  cairo_fill(cr);
  if (full) {
    DrawTailpieceAndBridge(cr, wood);
    DrawStrings(cr, neckTop);
  }
  cairo_restore(cr);
}

void DrawBow(cairo_t* cr, double tipX, double tipY, double frogX, double frogY, double width,
             const WoodTones& wood) {
  const double dx = frogX - tipX;
  const double dy = frogY - tipY;
  const double length = std::hypot(dx, dy);
  cairo_save(cr);
  cairo_translate(cr, tipX, tipY);
  cairo_rotate(cr, std::atan2(dy, dx));
  // Frame: the stick runs along +x from the tip (0,0) to the frog (length,0);
  // the hair lies on the +y side.
  const double hair = width * 2.6;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_source_rgba(cr, 0.96, 0.93, 0.84, 0.9);
  cairo_set_line_width(cr, width * 0.7);
  cairo_move_to(cr, width * 1.5, hair);
  cairo_line_to(cr, length - width * 5.0, hair);
  cairo_stroke(cr);
  // The stick, cambered slightly toward the hair in the middle.
  SetRgb(cr, wood.dark);
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, 0.0, 0.0);
  cairo_curve_to(cr, length * 0.35, width * 1.2, length * 0.65, width * 1.2, length, 0.0);
  cairo_stroke(cr);
  // Head at the tip and frog at the heel.
  SetRgb(cr, wood.ebony);
  cairo_move_to(cr, -width * 0.5, -width * 0.5);
  cairo_line_to(cr, width * 1.8, hair + width * 0.4);
  cairo_line_to(cr, width * 0.2, hair + width * 0.4);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_rectangle(cr, length - width * 6.0, 0.0, width * 4.0, hair + width * 0.6);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.85, 0.84, 0.80);
  cairo_rectangle(cr, length - width * 2.0, -width * 0.55, width * 2.2, width * 1.1);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace qs3::tools
