// The settings window's background: a dark stage with a warm spotlight on
// the four instruments of the quartet, a staff drifting across under the
// heading, the music panel and the seats of the three buttons.
#include <cmath>
#include <initializer_list>

#include "artgen/dialog/art_shapes.h"
#include "artgen/dialog/art_text.h"
#include "artgen/dialog/dialog_layout.h"
#include "artgen/dialog/instruments.h"
#include "artgen/raster.h"

namespace qs3::tools::dialog {

namespace {

constexpr double kFloorY = 221.0;
constexpr double kLightX = 262.0;
constexpr double kGold[3] = {0.96, 0.80, 0.50};
constexpr double kCream[3] = {0.94, 0.87, 0.76};

void PaintBackdrop(cairo_t* cr) {
  const CairoPattern wall(cairo_pattern_create_linear(0.0, 0.0, 0.0, 288.0));
  cairo_pattern_add_color_stop_rgb(wall.get(), 0.0, 0.085, 0.050, 0.095);
  cairo_pattern_add_color_stop_rgb(wall.get(), 0.62, 0.135, 0.060, 0.100);
  cairo_pattern_add_color_stop_rgb(wall.get(), 1.0, 0.070, 0.038, 0.065);
  cairo_set_source(cr, wall.get());
  cairo_paint(cr);
}

struct BeamEdge {
  double x;
  double y;
};

// One four-cornered patch of the beam, corners clockwise from the top left;
// its alpha runs from `alphaLeft` to `alphaRight` across and grows by
// kFloorGain toward the floor.
void AddBeamPatch(cairo_pattern_t* mesh, BeamEdge topLeft, BeamEdge topRight, BeamEdge floorRight,
                  BeamEdge floorLeft, double alphaLeft, double alphaRight) {
  constexpr double kFloorGain = 1.8;
  constexpr double kWarm[3] = {1.0, 0.86, 0.62};
  cairo_mesh_pattern_begin_patch(mesh);
  cairo_mesh_pattern_move_to(mesh, topLeft.x, topLeft.y);
  cairo_mesh_pattern_line_to(mesh, topRight.x, topRight.y);
  cairo_mesh_pattern_line_to(mesh, floorRight.x, floorRight.y);
  cairo_mesh_pattern_line_to(mesh, floorLeft.x, floorLeft.y);
  cairo_mesh_pattern_set_corner_color_rgba(mesh, 0, kWarm[0], kWarm[1], kWarm[2], alphaLeft);
  cairo_mesh_pattern_set_corner_color_rgba(mesh, 1, kWarm[0], kWarm[1], kWarm[2], alphaRight);
  cairo_mesh_pattern_set_corner_color_rgba(mesh, 2, kWarm[0], kWarm[1], kWarm[2],
                                           alphaRight * kFloorGain);
  cairo_mesh_pattern_set_corner_color_rgba(mesh, 3, kWarm[0], kWarm[1], kWarm[2],
                                           alphaLeft * kFloorGain);
  cairo_mesh_pattern_end_patch(mesh);
}

// The beam in one pass of a mesh pattern: drawn in layers, its faint alpha
// would fall into 8-bit steps that show as bands.
void PaintSpotlight(cairo_t* cr) {
  constexpr double kTop = -20.0;
  constexpr double kCore = 0.10;
  // Half-widths of the beam at the top and on the floor, from the edge inward.
  constexpr double kTopWidths[] = {16.0, 10.0, 5.0};
  constexpr double kFloorWidths[] = {86.0, 64.0, 40.0};
  constexpr double kAlphas[] = {0.0, kCore * 0.45, kCore};
  const double floorCentre = kLightX - 4.0;
  const CairoPattern mesh(cairo_pattern_create_mesh());
  for (int side : {-1, 1}) {
    for (int band = 0; band < 2; ++band) {
      const BeamEdge topOuter{kLightX + side * kTopWidths[band], kTop};
      const BeamEdge topInner{kLightX + side * kTopWidths[band + 1], kTop};
      const BeamEdge floorOuter{floorCentre + side * kFloorWidths[band], kFloorY};
      const BeamEdge floorInner{floorCentre + side * kFloorWidths[band + 1], kFloorY};
      AddBeamPatch(mesh.get(), topOuter, topInner, floorInner, floorOuter, kAlphas[band],
                   kAlphas[band + 1]);
    }
  }
  AddBeamPatch(mesh.get(), {kLightX - kTopWidths[2], kTop}, {kLightX + kTopWidths[2], kTop},
               {floorCentre + kFloorWidths[2], kFloorY}, {floorCentre - kFloorWidths[2], kFloorY},
               kCore, kCore);
  cairo_set_source(cr, mesh.get());
  cairo_paint(cr);

  // The pool of light on the floor.
  cairo_save(cr);
  cairo_translate(cr, kLightX - 4.0, kFloorY);
  cairo_scale(cr, 1.0, 0.16);
  const CairoPattern pool(cairo_pattern_create_radial(0.0, 0.0, 0.0, 0.0, 0.0, 95.0));
  cairo_pattern_add_color_stop_rgba(pool.get(), 0.0, 1.0, 0.82, 0.55, 0.30);
  cairo_pattern_add_color_stop_rgba(pool.get(), 0.6, 1.0, 0.78, 0.50, 0.10);
  cairo_pattern_add_color_stop_rgba(pool.get(), 1.0, 1.0, 0.78, 0.50, 0.0);
  cairo_set_source(cr, pool.get());
  cairo_arc(cr, 0.0, 0.0, 95.0, 0.0, 2.0 * M_PI);
  cairo_fill(cr);
  cairo_restore(cr);
}

// The staff's middle line: a cubic from the left edge rising to the right.
struct StaffCurve {
  double x[4] = {-12.0, 70.0, 140.0, 236.0};
  double y[4] = {120.0, 124.0, 84.0, 80.0};

  double At(const double (&v)[4], double t) const {
    const double u = 1.0 - t;
    return u * u * u * v[0] + 3.0 * u * u * t * v[1] + 3.0 * u * t * t * v[2] + t * t * t * v[3];
  }
  // The middle line's y at `column`, found by bisection (x grows with t).
  double YAt(double column) const {
    double low = 0.0;
    double high = 1.0;
    for (int i = 0; i < 40; ++i) {
      const double mid = (low + high) / 2.0;
      (At(x, mid) < column ? low : high) = mid;
    }
    return At(y, low);
  }
};

constexpr double kStaffGap = 5.0;

void PaintStaffLines(cairo_t* cr, const StaffCurve& staff) {
  const CairoPattern fade(cairo_pattern_create_linear(0.0, 0.0, 236.0, 0.0));
  cairo_pattern_add_color_stop_rgba(fade.get(), 0.0, kGold[0], kGold[1], kGold[2], 0.0);
  cairo_pattern_add_color_stop_rgba(fade.get(), 0.15, kGold[0], kGold[1], kGold[2], 0.30);
  cairo_pattern_add_color_stop_rgba(fade.get(), 0.6, kGold[0], kGold[1], kGold[2], 0.30);
  cairo_pattern_add_color_stop_rgba(fade.get(), 1.0, kGold[0], kGold[1], kGold[2], 0.0);
  cairo_set_source(cr, fade.get());
  cairo_set_line_width(cr, 0.9);
  for (int line = -2; line <= 2; ++line) {
    const double offset = line * kStaffGap;
    cairo_move_to(cr, staff.x[0], staff.y[0] + offset);
    cairo_curve_to(cr, staff.x[1], staff.y[1] + offset, staff.x[2], staff.y[2] + offset, staff.x[3],
                   staff.y[3] + offset);
    cairo_stroke(cr);
  }
}

struct Note {
  double x;
  double step;  // half gaps above the middle line
};

void AppendNoteHead(cairo_t* cr, double x, double y) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, -0.35);
  cairo_scale(cr, 3.4, 2.4);
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
  cairo_restore(cr);
}

// A few bars' worth of notes riding the staff: two beamed pairs and a
// crotchet, stems up.
void PaintNotes(cairo_t* cr, const StaffCurve& staff) {
  constexpr Note kNotes[] = {{58.0, -1.0}, {74.0, 1.0}, {100.0, 2.0}, {116.0, 0.0}, {142.0, -1.0}};
  constexpr double kStem = 17.0;
  cairo_set_source_rgba(cr, kGold[0], kGold[1], kGold[2], 0.55);
  double stemTop[5];
  for (int i = 0; i < 5; ++i) {
    const double y = staff.YAt(kNotes[i].x) - kNotes[i].step * kStaffGap / 2.0;
    AppendNoteHead(cr, kNotes[i].x, y);
    cairo_fill(cr);
    stemTop[i] = y - kStem;
    cairo_rectangle(cr, kNotes[i].x + 2.6, stemTop[i], 1.0, kStem);
    cairo_fill(cr);
  }
  for (int pair = 0; pair < 2; ++pair) {
    const int a = pair * 2;
    const double x0 = kNotes[a].x + 2.6;
    const double x1 = kNotes[a + 1].x + 3.6;
    cairo_move_to(cr, x0, stemTop[a]);
    cairo_line_to(cr, x1, stemTop[a + 1]);
    cairo_line_to(cr, x1, stemTop[a + 1] + 3.0);
    cairo_line_to(cr, x0, stemTop[a] + 3.0);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

void PaintHeading(cairo_t* cr) {
  const TextStyle title{"DejaVu Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD, 27.0, 0.4};
  SelectTextStyle(cr, title);
  AppendText(cr, "String Quartet", 23.5, 51.5, title.tracking);
  cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.65);
  cairo_fill(cr);
  AppendText(cr, "String Quartet", 22.0, 50.0, title.tracking);
  const CairoPattern gilt(cairo_pattern_create_linear(0.0, 28.0, 0.0, 52.0));
  cairo_pattern_add_color_stop_rgb(gilt.get(), 0.0, 1.0, 0.93, 0.72);
  cairo_pattern_add_color_stop_rgb(gilt.get(), 0.55, 0.93, 0.74, 0.40);
  cairo_pattern_add_color_stop_rgb(gilt.get(), 1.0, 0.78, 0.55, 0.26);
  cairo_set_source(cr, gilt.get());
  cairo_fill(cr);

  const TextStyle subtitle{"DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL, 9.0,
                           2.2};
  SelectTextStyle(cr, subtitle);
  AppendText(cr, "SCREEN SAVER SETTINGS", 25.0, 68.0, subtitle.tracking);
  cairo_set_source_rgba(cr, 0.80, 0.68, 0.58, 0.9);
  cairo_fill(cr);
}

struct Standing {
  InstrumentShape shape;
  double x;           // centre of the tail on the floor
  double bodyLength;  // pixels
  double tilt;        // radians, top toward +x
};

void PaintInstrumentShadow(cairo_t* cr, const Standing& standing) {
  const double halfWidth = standing.bodyLength * 0.36;
  cairo_save(cr);
  cairo_translate(cr, standing.x + 3.0, kFloorY + 1.0);
  cairo_scale(cr, halfWidth, 3.5);
  const CairoPattern shade(cairo_pattern_create_radial(0.0, 0.0, 0.0, 0.0, 0.0, 1.0));
  cairo_pattern_add_color_stop_rgba(shade.get(), 0.0, 0.0, 0.0, 0.0, 0.55);
  cairo_pattern_add_color_stop_rgba(shade.get(), 1.0, 0.0, 0.0, 0.0, 0.0);
  cairo_set_source(cr, shade.get());
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
  cairo_fill(cr);
  cairo_restore(cr);
}

void PaintStanding(cairo_t* cr, const Standing& standing, const WoodTones& wood) {
  const double bottom = 1.0 + standing.shape.endpin;
  cairo_save(cr);
  cairo_translate(cr, standing.x, kFloorY);
  cairo_rotate(cr, standing.tilt);
  cairo_scale(cr, standing.bodyLength, standing.bodyLength);
  cairo_translate(cr, 0.0, -bottom);
  DrawInstrument(cr, standing.shape, wood);
  cairo_restore(cr);
}

// Back to front: the cello stands behind, then the viola and the two violins.
void PaintQuartet(cairo_t* cr) {
  const Standing kQuartet[] = {
      {kCello, 291.0, 88.0, 0.05},
      {kViola, 255.0, 54.0, 0.0},
      {kViolin, 223.0, 47.0, -0.04},
      {kViolin, 192.0, 47.0, -0.08},
  };
  const WoodTones wood = AmberVarnish();
  for (const Standing& standing : kQuartet) PaintInstrumentShadow(cr, standing);
  for (const Standing& standing : kQuartet) PaintStanding(cr, standing, wood);
}

// A shallow seat cut into the panel: dark inside, a lit lower lip.
void PaintSeat(cairo_t* cr, const Rect& button, double radius) {
  const double x = button.x - 2.0;
  const double y = button.y - 2.0;
  const double width = button.width + 4.0;
  const double height = button.height + 4.0;
  AppendRoundedRect(cr, x, y, width, height, radius + 2.0);
  cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.45);
  cairo_fill(cr);
  AppendRoundedRect(cr, x + 0.5, y + 0.5, width - 1.0, height - 1.0, radius + 1.5);
  const CairoPattern lip(cairo_pattern_create_linear(0.0, y, 0.0, y + height));
  cairo_pattern_add_color_stop_rgba(lip.get(), 0.0, 0.0, 0.0, 0.0, 0.35);
  cairo_pattern_add_color_stop_rgba(lip.get(), 0.7, 1.0, 0.9, 0.8, 0.0);
  cairo_pattern_add_color_stop_rgba(lip.get(), 1.0, 1.0, 0.9, 0.8, 0.22);
  cairo_set_source(cr, lip.get());
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
}

void PaintMusicPanel(cairo_t* cr) {
  AppendRoundedRect(cr, 28.5, 150.5, 143.0, 76.0, 9.0);
  cairo_set_source_rgba(cr, 1.0, 0.9, 0.8, 0.035);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, kGold[0], kGold[1], kGold[2], 0.22);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);

  const TextStyle label{"DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL, 12.0,
                        0.2};
  SelectTextStyle(cr, label);
  AppendCentredText(cr, "Background music", 100.0, 174.0, label.tracking);
  cairo_set_source_rgb(cr, kCream[0], kCream[1], kCream[2]);
  cairo_fill(cr);
  PaintSeat(cr, kMusicSwitch, kMusicSwitch.height / 2.0);
}

void PaintFooter(cairo_t* cr) {
  const CairoPattern rule(cairo_pattern_create_linear(12.0, 0.0, 330.0, 0.0));
  cairo_pattern_add_color_stop_rgba(rule.get(), 0.0, kGold[0], kGold[1], kGold[2], 0.0);
  cairo_pattern_add_color_stop_rgba(rule.get(), 0.3, kGold[0], kGold[1], kGold[2], 0.35);
  cairo_pattern_add_color_stop_rgba(rule.get(), 0.8, kGold[0], kGold[1], kGold[2], 0.35);
  cairo_pattern_add_color_stop_rgba(rule.get(), 1.0, kGold[0], kGold[1], kGold[2], 0.0);
  cairo_set_source(cr, rule.get());
  cairo_rectangle(cr, 12.0, 230.0, 318.0, 1.0);
  cairo_fill(cr);
  PaintSeat(cr, kOkButton, 7.0);
  PaintSeat(cr, kCancelButton, 7.0);

  // Music is only ever heard in the full-screen saver; say so beside the buttons.
  const TextStyle note{"DejaVu Sans", CAIRO_FONT_SLANT_OBLIQUE, CAIRO_FONT_WEIGHT_NORMAL, 9.0, 0.1};
  SelectTextStyle(cr, note);
  AppendText(cr, "Music plays in the", 18.0, 252.0, note.tracking);
  AppendText(cr, "full-screen saver.", 18.0, 264.0, note.tracking);
  cairo_set_source_rgba(cr, kCream[0], kCream[1], kCream[2], 0.55);
  cairo_fill(cr);
}

}  // namespace

void DrawBackground(cairo_t* cr) {
  cairo_save(cr);
  PaintBackdrop(cr);
  PaintSpotlight(cr);
  const StaffCurve staff;
  PaintStaffLines(cr, staff);
  PaintNotes(cr, staff);
  PaintHeading(cr);
  PaintQuartet(cr);
  PaintMusicPanel(cr);
  PaintFooter(cr);
  cairo_restore(cr);
}

}  // namespace qs3::tools::dialog
