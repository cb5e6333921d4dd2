// qs3_contact_sheet: one PNG that shows every picture the saver ships, read
// back from the PackedDib files through the saver's own decoder.
//
//   qs3_contact_sheet RESOURCE_DIR OUT.png
//
// Each sprite-sheet frame appears with its rectangle number and role; below
// them the quartet stands in stage order in its playing and ending poses,
// and the settings art is shown whole and as the settings window composes it.
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "artgen/raster.h"
#include "common/indexed_image.h"
#include "graphics/packed_dib.h"

namespace {

namespace fs = std::filesystem;
using qs3::tools::CairoContext;
using qs3::tools::CairoSurface;

constexpr int kCellW = 160;
constexpr int kCellH = 256;
constexpr int kGap = 12;
constexpr int kLabelH = 30;
constexpr int kMargin = 24;

struct Picture {
  qs3::PackedDib dib;
  CairoSurface colour;  // index 0 drawn black, as the colour bitmaps show it
};

std::optional<Picture> LoadPicture(const fs::path& path) {
  std::string error;
  const auto bytes = qs3::tools::ReadBytes(path, error);
  qs3::PackedDibStatus status = qs3::PackedDibStatus::Ok;
  auto dib = bytes ? qs3::DecodePackedDib(*bytes, status) : std::nullopt;
  if (!dib) {
    std::fprintf(stderr, "qs3_contact_sheet: %s: %s\n", path.string().c_str(),
                 bytes ? qs3::DescribePackedDibStatus(status) : error.c_str());
    return std::nullopt;
  }
  const int w = dib->header.biWidth;
  const int h = dib->header.biHeight;
  CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      const std::uint8_t index = dib->IndexAt(x, y);
      const qs3::RgbQuad& c = dib->colours[index];
      row[x] = index == 0
                   ? 0u
                   : (static_cast<std::uint32_t>(c.rgbRed) << 16) | (c.rgbGreen << 8) | c.rgbBlue;
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return Picture{std::move(*dib), std::move(surface)};
}

void Text(cairo_t* cr, double x, double y, double size, const std::string& text,
          bool bold = false) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_set_source_rgb(cr, 0.86, 0.86, 0.82);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

// Copies a w x h block of `picture` from (sx, sy) to (dx, dy).
void Blit(cairo_t* cr, const Picture& picture, int sx, int sy, int w, int h, double dx, double dy) {
  cairo_save(cr);
  cairo_rectangle(cr, dx, dy, w, h);
  cairo_clip(cr);
  cairo_set_source_surface(cr, picture.colour.get(), dx - sx, dy - sy);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
}

void CellFrame(cairo_t* cr, double x, double y) {
  cairo_set_source_rgb(cr, 0.32, 0.32, 0.36);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, x - 0.5, y - 0.5, kCellW + 1, kCellH + 1);
  cairo_stroke(cr);
}

struct SheetInfo {
  const char* file;
  const char* title;
  std::vector<const char*> roles;  // one per cell
};

const std::array<SheetInfo, 3> kSheets = {{
    {"sheet0.pdib",
     "114 - SpriteSheet 0",
     {"1st violin play", "1st violin play", "1st violin play", "1st violin play",
      "1st vn end-point", "1st vn end-point", "1st vn final", "1st vn final", "viola ending pose",
      "cello ending pose", "(empty)", "(empty)"}},
    {"sheet1.pdib",
     "115 - SpriteSheet 1",
     {"2nd violin play", "2nd violin play", "2nd violin play", "2nd violin play", "2nd vn final",
      "2nd vn final", "viola closing 1", "viola closing 2", "viola play", "viola play",
      "viola play", "viola play"}},
    {"sheet2.pdib",
     "113 - SpriteSheet 2",
     {"cello play", "cello play", "cello play", "cello play", "cello closing 1", "cello closing 2",
      "1st vn ending pose", "(empty)"}},
}};

double DrawSheet(cairo_t* cr, const Picture& picture, const SheetInfo& info, double left,
                 double top) {
  Text(cr, left, top + 18, 18, info.title, true);
  top += kLabelH;
  for (std::size_t cell = 0; cell < info.roles.size(); ++cell) {
    const double x = left + static_cast<double>(cell % 4) * (kCellW + kGap);
    const double y = top + static_cast<double>(cell / 4) * (kCellH + kLabelH);
    CellFrame(cr, x, y);
    Blit(cr, picture, kCellW * static_cast<int>(cell % 4), kCellH * static_cast<int>(cell / 4),
         kCellW, kCellH, x, y);
    Text(cr, x, y + kCellH + 16, 12, "rect " + std::to_string(cell) + ": " + info.roles[cell]);
  }
  return top + static_cast<double>((info.roles.size() + 3) / 4) * (kCellH + kLabelH);
}

struct Frame {
  int sheet;  // index into kSheets
  int rect;
};

// Left to right the stage reads cello, second violin, first violin, viola.
void DrawLineUp(cairo_t* cr, const std::array<Picture, 3>& sheets,
                const std::array<Frame, 4>& frames, const std::string& title, double left,
                double top) {
  Text(cr, left, top + 18, 16, title, true);
  top += kLabelH;
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_rectangle(cr, left, top, 4 * kCellW, kCellH);
  cairo_fill(cr);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const Frame f = frames[i];
    Blit(cr, sheets[static_cast<std::size_t>(f.sheet)], kCellW * (f.rect % 4),
         kCellH * (f.rect / 4), kCellW, kCellH, left + static_cast<double>(i) * kCellW, top);
  }
}

struct Look {
  int x, y, sx, sy, w, h;
};

// A button as the settings window composes it: the background it covers,
// AND the mask (index 0 keeps the background), OR the colour.
void DrawButton(cairo_t* cr, const Picture& art, const Look& look, double left, double top) {
  for (int y = 0; y < look.h; ++y)
    for (int x = 0; x < look.w; ++x) {
      const bool opaque = art.dib.IndexAt(look.sx + x, look.sy + y) != 0;
      Blit(cr, art, opaque ? look.sx + x : look.x + x, opaque ? look.sy + y : look.y + 224 + y, 1,
           1, left + look.x + x, top + look.y + y);
    }
}

void DrawSettingsWindow(cairo_t* cr, const Picture& art, bool musicOn, bool pressed,
                        const std::string& title, double left, double top) {
  Text(cr, left, top + 18, 14, title, true);
  top += kLabelH;
  Blit(cr, art, 0, 224, 344, 288, left, top);
  const int offset = pressed ? 32 : 0;
  DrawButton(cr, art, {120, 239, 160, 0 + offset, 96, 32}, left, top);
  DrawButton(cr, art, {223, 239, 160, 64, 96, 32}, left, top);
  DrawButton(cr, art, {60, 187, musicOn ? 80 : 0, 66 + offset, 80, 28}, left, top);
}

bool Render(const fs::path& resourceDir, const fs::path& out) {
  std::array<std::optional<Picture>, 3> loaded;
  for (std::size_t i = 0; i < kSheets.size(); ++i)
    loaded[i] = LoadPicture(resourceDir / kSheets[i].file);
  auto art = LoadPicture(resourceDir / "dialog_art.pdib");
  if (!loaded[0] || !loaded[1] || !loaded[2] || !art) return false;
  const std::array<Picture, 3> sheets{std::move(*loaded[0]), std::move(*loaded[1]),
                                      std::move(*loaded[2])};

  const int sheetW = 4 * kCellW + 3 * kGap;
  const int width = 2 * kMargin + 3 * sheetW + 2 * 3 * kGap;
  const int sheetsBottom = kMargin + kLabelH + 3 * (kCellH + kLabelH);
  const int lowerPart =
      std::max({2 * (kCellH + kLabelH) + 10, kLabelH + 560, 2 * (288 + kLabelH) + 12});
  const int height = sheetsBottom + 16 + lowerPart + kMargin;
  CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  CairoContext context(cairo_create(surface.get()));
  cairo_t* cr = context.get();
  cairo_set_source_rgb(cr, 0.13, 0.13, 0.15);
  cairo_paint(cr);

  double bottom = 0;
  for (std::size_t i = 0; i < kSheets.size(); ++i)
    bottom = std::max(bottom,
                      DrawSheet(cr, sheets[i], kSheets[i],
                                kMargin + static_cast<double>(i) * (sheetW + 3 * kGap), kMargin));
  const double stageTop = bottom + 16;
  DrawLineUp(cr, sheets, {{{2, 0}, {1, 0}, {0, 0}, {1, 8}}},
             "On stage: playing (cello, 2nd violin, 1st violin, viola)", kMargin, stageTop);
  DrawLineUp(cr, sheets, {{{0, 9}, {1, 4}, {2, 6}, {0, 8}}},
             "On stage: the ending cue - four bows raised", kMargin,
             stageTop + kCellH + kLabelH + 10);
  const double artLeft = kMargin + 4 * kCellW + 40;
  Text(cr, artLeft, stageTop + 18, 16, "102 - settings art", true);
  Blit(cr, *art, 0, 0, 344, 560, artLeft, stageTop + kLabelH);
  DrawSettingsWindow(cr, *art, false, false, "Settings window: music off", artLeft + 344 + 30,
                     stageTop);
  DrawSettingsWindow(cr, *art, true, true, "Music on, OK and switch pressed", artLeft + 344 + 30,
                     stageTop + 288 + kLabelH + 12);

  cairo_surface_flush(surface.get());
  if (cairo_surface_write_to_png(surface.get(), out.string().c_str()) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "qs3_contact_sheet: cannot write %s\n", out.string().c_str());
    return false;
  }
  std::printf("contact sheet: %s (%d x %d)\n", out.string().c_str(), width, height);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qs3_contact_sheet RESOURCE_DIR OUT.png\n");
    return 2;
  }
  return Render(argv[1], argv[2]) ? 0 : 1;
}
