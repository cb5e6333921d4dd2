// A small point-splatting renderer: parametric surfaces are sampled densely
// in performer space, lit by an overhead spot with shadows and a rim light,
// and reduced with anti-aliasing to one palette-indexed 160 x 256 cell.
#pragma once

#include <functional>
#include <vector>

#include "artgen/sheets/sheet_palette.h"
#include "artgen/sheets/vec3.h"
#include "common/indexed_image.h"

namespace qs3::tools::sheets {

// How a point of a surface looks.
struct Look {
  Material material = Material::kEbony;
  double tone = 1.0;    // scales the light level: painted darks below 1, sheens above
  double gloss = 0.0;   // strength of the mirror highlight of the spot
  bool visible = true;  // false cuts a hole in the surface
};

// A surface patch over the unit square (u, v) of its parameters.
struct Surface {
  std::function<Vec3(double u, double v)> at;
  std::function<Look(double u, double v)> look;
  bool mayHide = false;  // true when `look` can cut holes (hairlines): shadows then ask it too
};

using Scene = std::vector<Surface>;

// Where a performer stands in the cell.
struct Placement {
  double yaw = 0.0;       // radians; positive turns the performer toward the screen's right
  double anchorX = 80.0;  // cell x of the performer-space origin
  double floorY = 248.0;  // cell y of the floor at depth `feetZ`
  double feetZ = 0.45;    // performer-space z whose floor point lands on floorY
};

constexpr int kCellWidth = 160;
constexpr int kCellHeight = 256;

// Renders the scene into one cell. Pixels the scene does not cover, or
// covers by less than the palette quantiser's cut-off, stay index 0.
IndexedImage RenderCell(const Scene& scene, const Placement& placement, const Palette& palette);

}  // namespace qs3::tools::sheets
