// Assembles the settings art: the background below row 224, the button looks
// above it, one palette fitted to both.
#include "artgen/dialog/dialog_art.h"

#include <cstdint>
#include <functional>
#include <vector>

#include "artgen/dialog/dialog_layout.h"
#include "artgen/dialog/error_diffusion.h"
#include "artgen/dialog/palette_builder.h"
#include "artgen/raster.h"

namespace qs3::tools {

namespace {

using dialog::LookState;
using dialog::Rect;

// Look pixels with less coverage than this stay transparent (index 0).
// Everything above is composed over the very background that the button
// will cover, so its anti-aliased rim blends exactly where it is shown.
constexpr std::uint32_t kLookCoverage = 24;

struct LookPlacement {
  int sourceX;
  int sourceY;
  Rect button;
  std::function<void(cairo_t*)> draw;
};

std::uint32_t* Row(cairo_surface_t* surface, int y) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                          static_cast<std::ptrdiff_t>(y) *
                                              cairo_image_surface_get_stride(surface));
}

CairoSurface DrawBackgroundSurface() {
  CairoSurface surface = MakeArgbSurface(dialog::kArtWidth, dialog::kBackgroundHeight);
  const CairoContext cr = MakeContext(surface);
  dialog::DrawBackground(cr.get());
  cairo_surface_flush(surface.get());
  return surface;
}

// Draws one look and writes it into the art, opaque where it covers enough.
void PlaceLook(cairo_surface_t* art, cairo_surface_t* background, const LookPlacement& look) {
  const int width = look.button.width;
  const int height = look.button.height;
  const CairoSurface drawn = MakeArgbSurface(width, height);
  look.draw(MakeContext(drawn).get());
  cairo_surface_flush(drawn.get());

  const CairoSurface composed = MakeArgbSurface(width, height);
  {
    const CairoContext cr = MakeContext(composed);
    cairo_set_source_surface(cr.get(), background, -look.button.x, -look.button.y);
    cairo_paint(cr.get());
    cairo_set_source_surface(cr.get(), drawn.get(), 0.0, 0.0);
    cairo_paint(cr.get());
  }
  cairo_surface_flush(composed.get());
  cairo_surface_flush(art);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* coverage = Row(drawn.get(), y);
    const std::uint32_t* colour = Row(composed.get(), y);
    std::uint32_t* target = Row(art, look.sourceY + y) + look.sourceX;
    for (int x = 0; x < width; ++x) {
      if ((coverage[x] >> 24) >= kLookCoverage) target[x] = colour[x] | 0xFF000000u;
    }
  }
  cairo_surface_mark_dirty(art);
}

std::vector<LookPlacement> Looks() {
  using dialog::kCancelButton;
  using dialog::kMusicSwitch;
  using dialog::kOkButton;
  using dialog::kPressedOffset;
  const auto plaque = [](const char* caption, LookState state) {
    return [=](cairo_t* cr) { dialog::DrawPlaqueLook(cr, caption, state); };
  };
  const auto toggle = [](bool on, LookState state) {
    return [=](cairo_t* cr) { dialog::DrawSwitchLook(cr, on, state); };
  };
  return {
      {160, 0, kOkButton, plaque("OK", LookState::kNormal)},
      {160, kPressedOffset, kOkButton, plaque("OK", LookState::kPressed)},
      {160, 64, kCancelButton, plaque("Cancel", LookState::kNormal)},
      {160, 64 + kPressedOffset, kCancelButton, plaque("Cancel", LookState::kPressed)},
      {0, 66, kMusicSwitch, toggle(false, LookState::kNormal)},
      {0, 66 + kPressedOffset, kMusicSwitch, toggle(false, LookState::kPressed)},
      {80, 66, kMusicSwitch, toggle(true, LookState::kNormal)},
      {80, 66 + kPressedOffset, kMusicSwitch, toggle(true, LookState::kPressed)},
  };
}

}  // namespace

IndexedImage DrawDialogArt() {
  const CairoSurface background = DrawBackgroundSurface();
  const CairoSurface art = MakeArgbSurface(dialog::kArtWidth, dialog::kArtHeight);
  {
    const CairoContext cr = MakeContext(art);
    cairo_set_source_surface(cr.get(), background.get(), 0.0, dialog::kBackgroundTop);
    cairo_paint(cr.get());
  }
  for (const LookPlacement& look : Looks()) PlaceLook(art.get(), background.get(), look);

  QuantizeOptions options;
  options.alphaCutoff = 128;  // every pixel is now either fully opaque or empty
  const Palette palette = FitPalette(art.get(), options.lastIndex);
  IndexedImage image = QuantizeSurface(art.get(), palette, options);
  // The looks keep the plain mapping (crisp edges); the background is
  // mapped again with error diffusion for its soft light.
  DiffuseRows(art.get(), dialog::kBackgroundTop, dialog::kArtHeight, image);
  return image;
}

}  // namespace qs3::tools
