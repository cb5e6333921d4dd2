#include "artgen/sheets/poses.h"

#include <span>

namespace qs3::tools::sheets {

namespace {

const std::array<Appearance, kPerformers> kLooks{{
    {.instrument = &kViolin,  // first violin
     .outfit = Outfit::kSuit,
     .clothes = Material::kSuitBlack,
     .skin = Material::kSkinWarm,
     .hair = Material::kHairDark,
     .hairStyle = HairStyle::kShort,
     .bareArms = false,
     .beard = false,
     .kneeSpread = 0.15},
    {.instrument = &kViolin,  // second violin
     .outfit = Outfit::kGown,
     .clothes = Material::kDressRed,
     .skin = Material::kSkinFair,
     .hair = Material::kHairAuburn,
     .hairStyle = HairStyle::kLong,
     .bareArms = true,
     .beard = false,
     .kneeSpread = 0.13},
    {.instrument = &kViola,
     .outfit = Outfit::kGown,
     .clothes = Material::kDressGreen,
     .skin = Material::kSkinFair,
     .hair = Material::kHairBlonde,
     .hairStyle = HairStyle::kBun,
     .bareArms = false,
     .beard = false,
     .kneeSpread = 0.13},
    {.instrument = &kCello,
     .outfit = Outfit::kSuit,
     .clothes = Material::kSuitNavy,
     .skin = Material::kSkinFair,
     .hair = Material::kHairGrey,
     .hairStyle = HairStyle::kSwept,
     .bareArms = false,
     .beard = true,
     .kneeSpread = 0.25},
}};

// Turned a little toward each other: the cellist at the left of the stage
// faces right, the viola at the right faces left. Every frame of a performer
// uses the same placement, so chair and feet never move within the cell.
const std::array<Placement, kPerformers> kPlacements{{
    {.yaw = -0.05, .anchorX = 76.0, .floorY = 248.0, .feetZ = 0.5},
    {.yaw = 0.12, .anchorX = 74.0, .floorY = 248.0, .feetZ = 0.5},
    {.yaw = -0.22, .anchorX = 77.0, .floorY = 248.0, .feetZ = 0.5},
    {.yaw = 0.35, .anchorX = 60.0, .floorY = 248.0, .feetZ = 0.5},
}};

// Pose helpers: Sway {lean, bend, twist} of the upper body and Gaze {tilt,
// nod, turn, eyes closed} of the head, in radians (see Pose).
struct Sway {
  double lean;
  double bend;
  double twist;
};

struct Gaze {
  double tilt;
  double nod;
  double turn;
  bool closed;
};

Pose WithBody(Pose pose, Sway sway, Gaze gaze) {
  pose.lean = sway.lean;
  pose.bend = sway.bend;
  pose.twist = sway.twist;
  pose.headTilt = gaze.tilt;
  pose.headNod = gaze.nod;
  pose.headTurn = gaze.turn;
  pose.eyesClosed = gaze.closed;
  return pose;
}

Pose OnString(double bowAt, double string, Sway sway, Gaze gaze, double fingerAt = 0.0) {
  Pose pose;
  pose.bowAt = bowAt;
  pose.string = string;
  pose.fingerAt = fingerAt;
  return WithBody(pose, sway, gaze);
}

Pose InAir(Vec3 frog, Vec3 towardTip, Vec3 stickSide, Sway sway, Gaze gaze, double fingerAt = 0.0) {
  Pose pose;
  pose.bowOnString = false;
  pose.frog = frog;
  pose.towardTip = towardTip;
  pose.stickSide = stickSide;
  pose.fingerAt = fingerAt;
  return WithBody(pose, sway, gaze);
}

// --- First violin -----------------------------------------------------------

// Frog, middle, tip, middle on the way back: the body leans into the down
// bow and comes back with the up bow.
std::array<Pose, 4> FirstViolinPlaying() {
  return {OnString(0.1, 0.35, {0.04, 0.03, 0.0}, {0.3, 0.1, 0.3, false}),
          OnString(0.5, 0.1, {0.0, 0.06, 0.02}, {0.32, 0.14, 0.3, false}, 0.01),
          OnString(0.92, -0.15, {-0.05, 0.04, 0.04}, {0.36, 0.16, 0.32, true}, 0.02),
          OnString(0.5, -0.3, {-0.01, 0.0, 0.0}, {0.3, 0.08, 0.28, false}, 0.01)};
}

// The broad strokes of the last phrase: a whole down bow leaning back, a
// whole up bow leaning in.
std::array<Pose, 2> FirstViolinCadence() {
  return {OnString(0.97, -0.1, {-0.08, -0.06, 0.06}, {0.38, -0.05, 0.3, true}),
          OnString(0.15, 0.3, {0.07, 0.12, -0.03}, {0.28, 0.2, 0.28, false})};
}

Pose ViolinBowRaised(Sway sway, Gaze gaze, double lift = 0.0) {
  return InAir({-0.28, 1.09 + lift, 0.3}, {-0.22, 1.0, -0.1 + lift}, {-1.0, 0.0, -0.3}, sway, gaze);
}

Pose FirstViolinEnding() {
  return ViolinBowRaised({-0.04, -0.05, 0.0}, {0.26, -0.12, 0.28, true});
}

// Savouring the last chord: the raised bow sways over the silence.
std::array<Pose, 2> FirstViolinAfterglow() {
  return {ViolinBowRaised({-0.06, -0.07, 0.0}, {0.24, -0.16, 0.26, true}, 0.03),
          ViolinBowRaised({-0.02, -0.03, 0.0}, {0.28, -0.08, 0.3, true}, -0.03)};
}

// --- Second violin ----------------------------------------------------------

std::array<Pose, 4> SecondViolinPlaying() {
  return {OnString(0.12, 0.2, {0.03, 0.02, 0.0}, {0.3, 0.12, 0.3, false}),
          OnString(0.5, 0.0, {0.0, 0.04, 0.0}, {0.32, 0.14, 0.32, false}, 0.01),
          OnString(0.9, -0.2, {-0.04, 0.03, 0.03}, {0.34, 0.16, 0.32, false}, 0.02),
          OnString(0.5, -0.05, {0.0, 0.0, 0.0}, {0.3, 0.1, 0.3, true})};
}

// Bow raised, the left hand still trembling on the last note.
std::array<Pose, 2> SecondViolinEnding() {
  return {ViolinBowRaised({-0.03, -0.04, 0.0}, {0.27, -0.1, 0.3, true}),
          ViolinBowRaised({-0.03, -0.04, 0.0}, {0.28, -0.09, 0.3, true}, 0.012)};
}

// --- Viola ------------------------------------------------------------------

std::array<Pose, 4> ViolaPlaying() {
  return {OnString(0.2, 0.45, {0.05, 0.04, 0.0}, {0.3, 0.12, 0.3, false}),
          OnString(0.5, 0.2, {0.0, 0.07, 0.02}, {0.32, 0.16, 0.3, true}, 0.01),
          OnString(0.9, 0.0, {-0.06, 0.05, 0.04}, {0.36, 0.18, 0.32, true}, 0.02),
          OnString(0.5, 0.3, {0.0, 0.02, 0.0}, {0.3, 0.1, 0.3, false})};
}

Pose ViolaEnding() {
  return ViolinBowRaised({-0.04, -0.05, 0.0}, {0.26, -0.12, 0.28, true});
}

// The bow comes down in two steps and rests on the lap.
std::array<Pose, 2> ViolaClosing() {
  return {InAir({-0.3, 0.84, 0.3}, {0.05, 0.9, 0.35}, {-1.0, 0.0, -0.3}, {-0.02, 0.0, 0.0},
                {0.28, 0.05, 0.25, false}),
          InAir({-0.2, 0.67, 0.32}, {-0.2, -0.85, 0.45}, {0.3, 0.0, -1.0}, {0.0, 0.04, 0.0},
                {0.25, 0.1, 0.2, false})};
}

// --- Cello ------------------------------------------------------------------

std::array<Pose, 4> CelloPlaying() {
  return {OnString(0.2, 0.3, {0.05, 0.12, 0.0}, {-0.1, 0.2, 0.3, false}),
          OnString(0.5, 0.1, {0.0, 0.14, -0.03}, {-0.05, 0.22, 0.25, false}, 0.01),
          OnString(0.9, -0.1, {-0.06, 0.12, -0.06}, {0.0, 0.24, 0.15, true}, 0.02),
          OnString(0.5, 0.2, {0.0, 0.1, 0.0}, {-0.08, 0.18, 0.28, false})};
}

Pose CelloEnding() {
  return InAir({-0.3, 0.98, 0.36}, {-0.15, 1.0, 0.08}, {-1.0, 0.0, -0.3}, {-0.05, -0.02, -0.05},
               {0.05, -0.15, 0.1, true});
}

std::array<Pose, 2> CelloClosing() {
  return {InAir({-0.27, 0.8, 0.35}, {-0.3, 0.8, 0.5}, {-1.0, 0.0, -0.3}, {-0.03, 0.06, 0.0},
                {0.0, 0.05, 0.1, false}),
          InAir({-0.24, 0.66, 0.34}, {-0.35, -0.85, 0.35}, {0.3, 0.0, -1.0}, {0.0, 0.08, 0.0},
                {-0.05, 0.1, 0.15, false})};
}

using Cells = std::vector<std::optional<CellDrawing>>;

// Puts a run of poses into consecutive cells.
void Put(Cells& cells, std::size_t first, int performer, std::span<const Pose> poses) {
  for (std::size_t i = 0; i < poses.size(); ++i)
    cells[first + i] = CellDrawing{performer, poses[i]};
}

}  // namespace

const Appearance& PerformerLook(int performer) {
  return kLooks[performer];
}
const Placement& PerformerPlacement(int performer) {
  return kPlacements[performer];
}

std::array<SheetLayout, 3> SheetLayouts() {
  // Performer numbers.
  constexpr int kFirstViolin = 0;
  constexpr int kSecondViolin = 1;
  constexpr int kViolist = 2;
  constexpr int kCellist = 3;
  SheetLayout sheet0{640, 768, Cells(12)};
  SheetLayout sheet1{640, 768, Cells(12)};
  SheetLayout sheet2{640, 512, Cells(8)};

  // Sheet 0: first violin playing (0-3), its cadence (4-5) and afterglow
  // (6-7); the viola's (8) and the cellist's (9) raised bows.
  Put(sheet0.cells, 0, kFirstViolin, FirstViolinPlaying());
  Put(sheet0.cells, 4, kFirstViolin, FirstViolinCadence());
  Put(sheet0.cells, 6, kFirstViolin, FirstViolinAfterglow());
  sheet0.cells[8] = CellDrawing{kViolist, ViolaEnding()};
  sheet0.cells[9] = CellDrawing{kCellist, CelloEnding()};

  // Sheet 1: second violin playing (0-3) and ending (4-5); the viola's
  // closing (6-7) and playing (8-11).
  Put(sheet1.cells, 0, kSecondViolin, SecondViolinPlaying());
  Put(sheet1.cells, 4, kSecondViolin, SecondViolinEnding());
  Put(sheet1.cells, 6, kViolist, ViolaClosing());
  Put(sheet1.cells, 8, kViolist, ViolaPlaying());

  // Sheet 2: the cellist playing (0-3) and closing (4-5); the first
  // violin's raised bow (6).
  Put(sheet2.cells, 0, kCellist, CelloPlaying());
  Put(sheet2.cells, 4, kCellist, CelloClosing());
  sheet2.cells[6] = CellDrawing{kFirstViolin, FirstViolinEnding()};
  return {sheet0, sheet1, sheet2};
}

}  // namespace qs3::tools::sheets
