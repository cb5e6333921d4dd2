// Who is drawn in which cell of the three sheets, and in what pose. Edit a
// pose here and re-run the art generator to redraw its frame.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "artgen/sheets/performer.h"
#include "artgen/sheets/renderer.h"

namespace qs3::tools::sheets {

// Performers by their number on stage: 0 first violin, 1 second violin,
// 2 viola, 3 cello.
constexpr int kPerformers = 4;

const Appearance& PerformerLook(int performer);
const Placement& PerformerPlacement(int performer);

struct CellDrawing {
  int performer;
  Pose pose;
};

struct SheetLayout {
  int width;
  int height;
  std::vector<std::optional<CellDrawing>> cells;  // by rectangle index; empty cells stay blank
};

// Sheets 0, 1 and 2.
std::array<SheetLayout, 3> SheetLayouts();

}  // namespace qs3::tools::sheets
