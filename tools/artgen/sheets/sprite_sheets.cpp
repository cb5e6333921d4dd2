#include "artgen/sheets/sprite_sheets.h"

#include "artgen/sheets/performer.h"
#include "artgen/sheets/poses.h"
#include "artgen/sheets/renderer.h"
#include "artgen/sheets/sheet_palette.h"

namespace qs3::tools {

namespace {

IndexedImage DrawSheet(const sheets::SheetLayout& layout, const Palette& palette) {
  IndexedImage sheet(layout.width, layout.height);
  sheet.palette = palette;
  constexpr int kColumns = 4;
  for (std::size_t i = 0; i < layout.cells.size(); ++i) {
    if (!layout.cells[i]) continue;
    const sheets::CellDrawing& drawing = *layout.cells[i];
    const sheets::Scene scene =
        sheets::BuildPerformer(sheets::PerformerLook(drawing.performer), drawing.pose);
    const IndexedImage cell =
        sheets::RenderCell(scene, sheets::PerformerPlacement(drawing.performer), palette);
    const int column = static_cast<int>(i) % kColumns;
    const int row = static_cast<int>(i) / kColumns;
    sheet.Paste(cell, column * sheets::kCellWidth, row * sheets::kCellHeight);
  }
  return sheet;
}

}  // namespace

SpriteSheets DrawSpriteSheets() {
  const Palette palette = sheets::SheetPalette();
  const auto layouts = sheets::SheetLayouts();
  return {DrawSheet(layouts[0], palette), DrawSheet(layouts[1], palette),
          DrawSheet(layouts[2], palette)};
}

}  // namespace qs3::tools
