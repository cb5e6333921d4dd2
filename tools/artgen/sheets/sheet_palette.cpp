#include "artgen/sheets/sheet_palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qs3::tools::sheets {

namespace {

struct Key {
  double level;
  Colour colour;
};

struct Ramp {
  Material material;
  int shades;  // palette entries the ramp gets
  std::array<Key, 5> keys;
};

// Keys at levels 0, 0.25, 0.5, 0.75, 1. Dark clothes keep a lit charcoal or
// tint in their shadows so that they still read on the black stage.
constexpr std::array<Ramp, static_cast<int>(Material::kCount)> kRamps{{
    {Material::kSkinFair,
     16,
     {{{0.0, {34, 16, 12}},
       {0.25, {104, 56, 40}},
       {0.5, {176, 110, 84}},
       {0.75, {232, 172, 138}},
       {1.0, {255, 232, 210}}}}},
    {Material::kSkinWarm,
     14,
     {{{0.0, {30, 14, 8}},
       {0.25, {88, 46, 26}},
       {0.5, {150, 90, 56}},
       {0.75, {206, 146, 98}},
       {1.0, {250, 214, 170}}}}},
    {Material::kHairDark,
     10,
     {{{0.0, {10, 7, 5}},
       {0.25, {28, 19, 14}},
       {0.5, {50, 34, 24}},
       {0.75, {82, 58, 42}},
       {1.0, {150, 122, 100}}}}},
    {Material::kHairAuburn,
     10,
     {{{0.0, {20, 6, 4}},
       {0.25, {64, 20, 10}},
       {0.5, {120, 44, 20}},
       {0.75, {176, 84, 38}},
       {1.0, {240, 170, 110}}}}},
    {Material::kHairBlonde,
     10,
     {{{0.0, {34, 24, 10}},
       {0.25, {100, 76, 36}},
       {0.5, {170, 136, 70}},
       {0.75, {220, 190, 118}},
       {1.0, {255, 240, 196}}}}},
    {Material::kHairGrey,
     10,
     {{{0.0, {26, 26, 28}},
       {0.25, {72, 72, 76}},
       {0.5, {128, 128, 132}},
       {0.75, {184, 184, 188}},
       {1.0, {246, 246, 250}}}}},
    {Material::kSuitBlack,
     18,
     {{{0.0, {14, 14, 20}},
       {0.25, {30, 32, 42}},
       {0.5, {52, 56, 72}},
       {0.75, {92, 98, 124}},
       {1.0, {178, 186, 214}}}}},
    {Material::kSuitNavy,
     14,
     {{{0.0, {12, 14, 26}},
       {0.25, {24, 30, 52}},
       {0.5, {42, 52, 86}},
       {0.75, {76, 90, 136}},
       {1.0, {160, 176, 220}}}}},
    {Material::kShirt,
     12,
     {{{0.0, {40, 40, 48}},
       {0.25, {104, 104, 116}},
       {0.5, {170, 170, 182}},
       {0.75, {222, 222, 230}},
       {1.0, {255, 255, 255}}}}},
    {Material::kDressRed,
     18,
     {{{0.0, {34, 4, 10}},
       {0.25, {88, 10, 24}},
       {0.5, {148, 20, 36}},
       {0.75, {206, 44, 54}},
       {1.0, {255, 146, 132}}}}},
    {Material::kDressGreen,
     16,
     {{{0.0, {4, 26, 24}},
       {0.25, {10, 62, 56}},
       {0.5, {20, 108, 94}},
       {0.75, {48, 160, 136}},
       {1.0, {170, 238, 214}}}}},
    {Material::kVarnishViolin,
     20,
     {{{0.0, {36, 12, 4}},
       {0.25, {102, 40, 10}},
       {0.5, {170, 78, 20}},
       {0.75, {222, 130, 46}},
       {1.0, {255, 224, 160}}}}},
    {Material::kVarnishCello,
     18,
     {{{0.0, {30, 8, 6}},
       {0.25, {82, 24, 14}},
       {0.5, {138, 46, 24}},
       {0.75, {192, 86, 48}},
       {1.0, {255, 200, 160}}}}},
    {Material::kEbony,
     10,
     {{{0.0, {6, 6, 8}},
       {0.25, {16, 16, 19}},
       {0.5, {28, 28, 32}},
       {0.75, {48, 47, 52}},
       {1.0, {140, 138, 146}}}}},
    {Material::kBowStick,
     8,
     {{{0.0, {30, 12, 8}},
       {0.25, {64, 28, 16}},
       {0.5, {104, 48, 26}},
       {0.75, {146, 76, 42}},
       {1.0, {220, 150, 100}}}}},
    {Material::kBowHair,
     8,
     {{{0.0, {90, 86, 74}},
       {0.25, {146, 140, 120}},
       {0.5, {196, 190, 168}},
       {0.75, {230, 226, 206}},
       {1.0, {255, 254, 244}}}}},
    {Material::kChairWood,
     10,
     {{{0.0, {20, 12, 8}},
       {0.25, {44, 26, 16}},
       {0.5, {74, 44, 26}},
       {0.75, {114, 72, 42}},
       {1.0, {196, 144, 100}}}}},
    {Material::kChairSeat,
     10,
     {{{0.0, {24, 6, 10}},
       {0.25, {50, 12, 20}},
       {0.5, {80, 22, 32}},
       {0.75, {116, 38, 50}},
       {1.0, {190, 110, 116}}}}},
    {Material::kMetal,
     10,
     {{{0.0, {40, 40, 44}},
       {0.25, {90, 90, 96}},
       {0.5, {150, 150, 156}},
       {0.75, {206, 206, 212}},
       {1.0, {255, 255, 255}}}}},
    {Material::kPaleWood,
     6,
     {{{0.0, {60, 44, 26}},
       {0.25, {120, 94, 60}},
       {0.5, {180, 150, 104}},
       {0.75, {226, 200, 150}},
       {1.0, {252, 240, 208}}}}},
}};

constexpr bool RampsInMaterialOrder() {
  for (std::size_t i = 0; i < kRamps.size(); ++i) {
    if (static_cast<std::size_t>(kRamps[i].material) != i) return false;
  }
  return true;
}

constexpr int TotalShades() {
  int total = 0;
  for (const Ramp& ramp : kRamps) total += ramp.shades;
  return total;
}

static_assert(RampsInMaterialOrder(), "a material finds its ramp by its number");
static_assert(TotalShades() <= 254, "the ramps must fit entries 1..254");

const Ramp& RampOf(Material material) {
  return kRamps[static_cast<int>(material)];
}

}  // namespace

Colour MaterialColour(Material material, double level) {
  const auto& keys = RampOf(material).keys;
  const double t = std::clamp(level, 0.0, 1.0);
  std::size_t upper = 1;
  while (upper + 1 < keys.size() && keys[upper].level < t) ++upper;
  const Key& a = keys[upper - 1];
  const Key& b = keys[upper];
  const double f = (t - a.level) / (b.level - a.level);
  return {a.colour.r + (b.colour.r - a.colour.r) * f, a.colour.g + (b.colour.g - a.colour.g) * f,
          a.colour.b + (b.colour.b - a.colour.b) * f};
}

Palette SheetPalette() {
  Palette palette{};
  int next = 1;
  for (const Ramp& ramp : kRamps) {
    for (int shade = 0; shade < ramp.shades; ++shade) {
      const Colour c =
          MaterialColour(ramp.material, static_cast<double>(shade) / (ramp.shades - 1));
      palette[next++] = {static_cast<std::uint8_t>(std::lround(c.r)),
                         static_cast<std::uint8_t>(std::lround(c.g)),
                         static_cast<std::uint8_t>(std::lround(c.b))};
    }
  }
  // Spare entries: a neutral grey ramp, useful where two materials blend.
  const int spare = 255 - next;
  for (int i = 0; next < 255; ++i) {
    const auto grey = static_cast<std::uint8_t>(24 + (200 * i) / std::max(1, spare - 1));
    palette[next++] = {grey, grey, grey};
  }
  palette[255] = {0, 0, 0};
  return palette;
}

}  // namespace qs3::tools::sheets
