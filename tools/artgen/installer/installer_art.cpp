// The installer's pictures: the settings window's stage in other shapes. The
// welcome picture stands the four instruments in a spotlight under the
// product's name; the header banner carries the icon's crossed violin and
// bow beside it.
#include "artgen/installer/installer_art.h"

#include <cairo.h>

#include <cmath>

#include "artgen/dialog/art_text.h"
#include "artgen/dialog/instruments.h"
#include "artgen/installer/bmp_file.h"
#include "artgen/raster.h"

namespace qs3::tools {

namespace {

constexpr double kGold[3] = {0.96, 0.80, 0.50};
constexpr double kCream[3] = {0.94, 0.87, 0.76};

void PaintWall(cairo_t* cr, double height) {
  const CairoPattern wall(cairo_pattern_create_linear(0.0, 0.0, 0.0, height));
  cairo_pattern_add_color_stop_rgb(wall.get(), 0.0, 0.085, 0.050, 0.095);
  cairo_pattern_add_color_stop_rgb(wall.get(), 0.62, 0.135, 0.060, 0.100);
  cairo_pattern_add_color_stop_rgb(wall.get(), 1.0, 0.070, 0.038, 0.065);
  cairo_set_source(cr, wall.get());
  cairo_paint(cr);
}

// A soft cone of warm light from above the picture down to the floor, and
// the pool it leaves there.
void PaintSpotlight(cairo_t* cr, double centreX, double floorY, double floorHalfWidth) {
  cairo_move_to(cr, centreX - 10.0, -10.0);
  cairo_line_to(cr, centreX + 10.0, -10.0);
  cairo_line_to(cr, centreX + floorHalfWidth, floorY);
  cairo_line_to(cr, centreX - floorHalfWidth, floorY);
  cairo_close_path(cr);
  const CairoPattern beam(cairo_pattern_create_linear(0.0, -10.0, 0.0, floorY));
  cairo_pattern_add_color_stop_rgba(beam.get(), 0.0, 1.0, 0.86, 0.62, 0.02);
  cairo_pattern_add_color_stop_rgba(beam.get(), 1.0, 1.0, 0.86, 0.62, 0.16);
  cairo_set_source(cr, beam.get());
  cairo_fill(cr);

  cairo_save(cr);
  cairo_translate(cr, centreX, floorY);
  cairo_scale(cr, 1.0, 0.16);
  const CairoPattern pool(
      cairo_pattern_create_radial(0.0, 0.0, 0.0, 0.0, 0.0, floorHalfWidth * 1.1));
  cairo_pattern_add_color_stop_rgba(pool.get(), 0.0, 1.0, 0.82, 0.55, 0.30);
  cairo_pattern_add_color_stop_rgba(pool.get(), 0.6, 1.0, 0.78, 0.50, 0.10);
  cairo_pattern_add_color_stop_rgba(pool.get(), 1.0, 1.0, 0.78, 0.50, 0.0);
  cairo_set_source(cr, pool.get());
  cairo_arc(cr, 0.0, 0.0, floorHalfWidth * 1.1, 0.0, 2.0 * M_PI);
  cairo_fill(cr);
  cairo_restore(cr);
}

// The name in gilt over a dark drop shadow, centred on `centreX`.
void PaintGiltText(cairo_t* cr, const char* text, const TextStyle& style, double centreX,
                   double baseline) {
  SelectTextStyle(cr, style);
  const double left = centreX - MeasureText(cr, text, style.tracking) / 2.0;
  AppendText(cr, text, left + 1.5, baseline + 1.5, style.tracking);
  cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.65);
  cairo_fill(cr);
  AppendText(cr, text, left, baseline, style.tracking);
  const CairoPattern gilt(
      cairo_pattern_create_linear(0.0, baseline - style.size * 0.8, 0.0, baseline));
  cairo_pattern_add_color_stop_rgb(gilt.get(), 0.0, 1.0, 0.93, 0.72);
  cairo_pattern_add_color_stop_rgb(gilt.get(), 0.55, 0.93, 0.74, 0.40);
  cairo_pattern_add_color_stop_rgb(gilt.get(), 1.0, 0.78, 0.55, 0.26);
  cairo_set_source(cr, gilt.get());
  cairo_fill(cr);
}

void PaintCaption(cairo_t* cr, const char* text, double size, double centreX, double baseline) {
  const TextStyle caption{"DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL, size,
                          size * 0.22};
  SelectTextStyle(cr, caption);
  AppendCentredText(cr, text, centreX, baseline, caption.tracking);
  cairo_set_source_rgba(cr, kCream[0], kCream[1], kCream[2], 0.85);
  cairo_fill(cr);
}

// Five faint gilt lines across the picture with a few notes riding them.
void PaintStaff(cairo_t* cr, double width, double middleY) {
  constexpr double kGap = 4.0;
  const CairoPattern fade(cairo_pattern_create_linear(0.0, 0.0, width, 0.0));
  cairo_pattern_add_color_stop_rgba(fade.get(), 0.0, kGold[0], kGold[1], kGold[2], 0.0);
  cairo_pattern_add_color_stop_rgba(fade.get(), 0.2, kGold[0], kGold[1], kGold[2], 0.28);
  cairo_pattern_add_color_stop_rgba(fade.get(), 0.8, kGold[0], kGold[1], kGold[2], 0.28);
  cairo_pattern_add_color_stop_rgba(fade.get(), 1.0, kGold[0], kGold[1], kGold[2], 0.0);
  cairo_set_source(cr, fade.get());
  cairo_set_line_width(cr, 0.8);
  for (int line = -2; line <= 2; ++line) {
    cairo_move_to(cr, 0.0, middleY + line * kGap + 0.5);
    cairo_line_to(cr, width, middleY + line * kGap + 0.5);
    cairo_stroke(cr);
  }
  struct Note {
    double x;
    double step;  // half gaps above the middle line
  };
  constexpr Note kNotes[] = {{40.0, -1.0}, {62.0, 2.0}, {84.0, 0.0}, {106.0, 3.0}, {126.0, 1.0}};
  constexpr double kStem = 14.0;
  cairo_set_source_rgba(cr, kGold[0], kGold[1], kGold[2], 0.5);
  for (const Note& note : kNotes) {
    const double y = middleY - note.step * kGap / 2.0;
    cairo_save(cr);
    cairo_translate(cr, note.x, y);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 2.8, 2.0);
    cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, note.x + 2.1, y - kStem, 0.9, kStem);
    cairo_fill(cr);
  }
}

struct Standing {
  InstrumentShape shape;
  double x;           // centre of the tail on the floor
  double bodyLength;  // pixels
  double tilt;        // radians, top toward +x
};

void PaintStanding(cairo_t* cr, const Standing& standing, double floorY, const WoodTones& wood) {
  // A soft shadow on the floor first, then the instrument on it.
  cairo_save(cr);
  cairo_translate(cr, standing.x + 2.0, floorY + 1.0);
  cairo_scale(cr, standing.bodyLength * 0.36, 3.0);
  const CairoPattern shade(cairo_pattern_create_radial(0.0, 0.0, 0.0, 0.0, 0.0, 1.0));
  cairo_pattern_add_color_stop_rgba(shade.get(), 0.0, 0.0, 0.0, 0.0, 0.55);
  cairo_pattern_add_color_stop_rgba(shade.get(), 1.0, 0.0, 0.0, 0.0, 0.0);
  cairo_set_source(cr, shade.get());
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
  cairo_fill(cr);
  cairo_restore(cr);

  cairo_save(cr);
  cairo_translate(cr, standing.x, floorY);
  cairo_rotate(cr, standing.tilt);
  cairo_scale(cr, standing.bodyLength, standing.bodyLength);
  cairo_translate(cr, 0.0, -(1.0 + standing.shape.endpin));
  DrawInstrument(cr, standing.shape, wood);
  cairo_restore(cr);
}

void PaintWelcome(cairo_t* cr) {
  constexpr double kCentre = kWelcomeWidth / 2.0;
  constexpr double kFloorY = 286.0;
  PaintWall(cr, kWelcomeHeight);
  PaintSpotlight(cr, kCentre + 6.0, kFloorY, 70.0);
  const TextStyle title{"DejaVu Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD, 44.0, 1.0};
  PaintGiltText(cr, "QS3", title, kCentre, 62.0);
  PaintCaption(cr, "STRING QUARTET", 9.0, kCentre, 82.0);
  PaintStaff(cr, kWelcomeWidth, 112.0);
  // Back to front: the cello behind, then the viola and the two violins.
  const Standing kQuartet[] = {
      {kCello, 118.0, 84.0, 0.05},
      {kViola, 86.0, 52.0, 0.0},
      {kViolin, 58.0, 45.0, -0.04},
      {kViolin, 30.0, 45.0, -0.08},
  };
  const WoodTones wood = AmberVarnish();
  for (const Standing& standing : kQuartet) PaintStanding(cr, standing, kFloorY, wood);
}

// The violin leans with its scroll to the upper right, the bow crossing
// behind it, inside a square of `size` pixels at (x, y).
void PaintCrossedViolin(cairo_t* cr, double x, double y, double size) {
  const WoodTones wood = AmberVarnish();
  DrawBow(cr, x + size * 0.12, y + size * 0.12, x + size * 0.88, y + size * 0.88, size * 0.03,
          wood);
  InstrumentShape violin = kViolin;
  violin.detail = InstrumentDetail::kSimple;
  violin.neckScale = 1.3;
  const double body = size * 0.54;
  cairo_save(cr);
  cairo_translate(cr, x + size * 0.5, y + size * 0.5);
  cairo_rotate(cr, 0.62);
  cairo_scale(cr, body, body);
  cairo_translate(cr, 0.0, -((1.0 - violin.neckLength) / 2.0 + 0.08));
  DrawInstrument(cr, violin, wood);
  cairo_restore(cr);
}

void PaintHeader(cairo_t* cr) {
  PaintWall(cr, kHeaderHeight);
  const CairoPattern glow(cairo_pattern_create_radial(30.0, 24.0, 0.0, 30.0, 24.0, 40.0));
  cairo_pattern_add_color_stop_rgba(glow.get(), 0.0, 1.0, 0.80, 0.50, 0.30);
  cairo_pattern_add_color_stop_rgba(glow.get(), 1.0, 1.0, 0.80, 0.50, 0.0);
  cairo_set_source(cr, glow.get());
  cairo_paint(cr);
  PaintCrossedViolin(cr, 4.0, 3.5, 50.0);
  const TextStyle title{"DejaVu Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD, 26.0, 0.6};
  PaintGiltText(cr, "QS3", title, 100.0, 33.0);
  PaintCaption(cr, "STRING QUARTET", 6.5, 100.0, 45.0);
}

template <typename Painter>
std::vector<std::uint8_t> DrawBitmap(int width, int height, Painter&& paint) {
  const CairoSurface surface = MakeArgbSurface(width, height);
  const CairoContext cr = MakeContext(surface);
  paint(cr.get());
  return EncodeBmp24(surface.get());
}

}  // namespace

std::vector<std::uint8_t> DrawWelcomeBitmap() {
  return DrawBitmap(kWelcomeWidth, kWelcomeHeight, PaintWelcome);
}

std::vector<std::uint8_t> DrawHeaderBitmap() {
  return DrawBitmap(kHeaderWidth, kHeaderHeight, PaintHeader);
}

}  // namespace qs3::tools
