// The one palette shared by the three sprite sheets: a ramp of shades per
// material, from its deepest shadow to its spot-lit highlight.
#pragma once

#include <cstdint>

#include "common/indexed_image.h"

namespace qs3::tools::sheets {

enum class Material : std::uint8_t {
  kSkinFair,
  kSkinWarm,
  kHairDark,
  kHairAuburn,
  kHairBlonde,
  kHairGrey,
  kSuitBlack,
  kSuitNavy,
  kShirt,
  kDressRed,
  kDressGreen,
  kVarnishViolin,
  kVarnishCello,
  kEbony,
  kBowStick,
  kBowHair,
  kChairWood,
  kChairSeat,
  kMetal,
  kPaleWood,
  kCount,
};

struct Colour {
  double r = 0.0;  // 0..255
  double g = 0.0;
  double b = 0.0;
};

// The material's colour at a light level: 0 is its deepest shadow, about
// 0.7 its colour under the spot, 1 its brightest highlight.
Colour MaterialColour(Material material, double level);

// Entry 0 is black (the transparent stage); 1..254 hold the ramps; 255 is
// never used by a pixel.
Palette SheetPalette();

}  // namespace qs3::tools::sheets
