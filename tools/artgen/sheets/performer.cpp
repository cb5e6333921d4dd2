#include "artgen/sheets/performer.h"

#include <algorithm>
#include <cmath>

#include "artgen/sheets/body.h"
#include "artgen/sheets/instruments.h"

namespace qs3::tools::sheets {

namespace {

constexpr double kUpperArm = 0.29;
constexpr double kForearm = 0.265;

// The cello stands on its endpin; violin and viola are held at the chin.
bool IsCello(const Appearance& look) {
  return look.instrument->endpin > 0.0;
}

// Two-bone reach: the elbow that puts the wrist on its target, bent toward
// `pole`. A target out of reach is pulled in along the arm.
Vec3 SolveElbow(Vec3 shoulder, Vec3& wrist, Vec3 pole) {
  const Vec3 reach = wrist - shoulder;
  const Vec3 dir = Normalize(reach);
  const double distance =
      std::clamp(Length(reach), kUpperArm - kForearm + 0.01, kUpperArm + kForearm - 0.002);
  wrist = shoulder + dir * distance;
  const double along =
      (kUpperArm * kUpperArm - kForearm * kForearm + distance * distance) / (2.0 * distance);
  const double out = std::sqrt(std::max(0.0, kUpperArm * kUpperArm - along * along));
  const Vec3 bend = Normalize(pole - dir * Dot(pole, dir));
  return shoulder + dir * along + bend * out;
}

// Violin and viola rest on the left collarbone under the jaw, the scroll out
// to the left and forward; the cello stands on its endpin between the knees.
PlacedInstrument PlaceInstrument(const Appearance& look, const Rig& rig, const Pose& pose) {
  if (IsCello(look)) {
    const Vec3 pin{0.0, 0.0, 0.64};
    const Vec3 along = Normalize({0.17, 1.0, -0.45 - pose.raise});
    const Vec3 front = Normalize(Vec3{0.0, 0.45, 1.0} - along * Dot({0.0, 0.45, 1.0}, along));
    const Frame frame{pin + along * look.instrument->endpin, Cross(along, front), along, front};
    return {look.instrument, frame};
  }
  const Vec3 along = rig.chest * Normalize({0.62, 0.12 + pose.raise, 0.78});
  const Vec3 roughTop = rig.chest * Vec3{-0.55, 0.83, 0.0};
  const Vec3 top = Normalize(roughTop - along * Dot(roughTop, along));
  const Frame frame{rig.Chest(0.05, 1.05, 0.03), Normalize(Cross(top, along)), along, top};
  return {look.instrument, frame};
}

PlacedBow PlaceBow(const PlacedInstrument& instrument, const Pose& pose) {
  const double hair = instrument.size->bowLength;
  if (!pose.bowOnString) {
    const Vec3 toTip = Normalize(pose.towardTip);
    return {pose.frog, pose.frog + toTip * hair, pose.stickSide};
  }
  const Frame& f = instrument.frame;
  const double tilt = 0.38 * pose.string;
  const Vec3 toFrog = Normalize(f.x * -std::cos(tilt) + f.z * std::sin(tilt));
  const Vec3 away = Normalize(f.z * std::cos(tilt) + f.x * std::sin(tilt));
  const Vec3 contact = instrument.OnStrings(instrument.ContactAt(), pose.string) + away * 0.004;
  const Vec3 frog = contact + toFrog * (0.03 + pose.bowAt * (hair - 0.06));
  // The stick leans toward the fingerboard, so that it shows beside the hair.
  const double lean = instrument.size->endpin > 0.0 ? 1.2 : 0.35;
  return {frog, frog - toFrog * hair, Normalize(away + f.y * lean)};
}

void AddBowArm(Scene& scene, const Appearance& look, const Rig& rig, const PlacedBow& bow) {
  const Vec3 toFrog = Normalize(bow.frog - bow.tip);
  const Vec3 side = Normalize(bow.stickSide - toFrog * Dot(bow.stickSide, toFrog));
  const Vec3 grip = bow.frog + side * 0.019 - toFrog * 0.005;
  Vec3 wrist = grip + toFrog * 0.05 + side * 0.055;
  const Vec3 shoulder = rig.Shoulder(-1.0);
  const Vec3 pole = IsCello(look) ? Vec3{-1.0, -0.5, -0.2} : Vec3{-1.0, -0.6, -0.4};
  const Vec3 elbow = SolveElbow(shoulder, wrist, pole);
  AddArm(scene, look, shoulder, elbow, wrist);
  AddBowHand(scene, look, grip, wrist, toFrog, side);
}

void AddFingeringArm(Scene& scene, const Appearance& look, const Rig& rig,
                     const PlacedInstrument& instrument, const Pose& pose) {
  const Frame& f = instrument.frame;
  const bool cello = IsCello(look);
  const double k = instrument.size->bodyLength / kViolin.bodyLength;
  const double along = instrument.NutAt() - (cello ? 0.1 : 0.045) + pose.fingerAt;
  const Vec3 neck = instrument.OnBoard(along);
  const Vec3 palm = cello ? neck + f.x * 0.04 - f.z * 0.012 : neck + f.x * 0.022 - f.z * 0.024;
  Vec3 tips[3];
  for (int finger = 0; finger < 3; ++finger) {
    const double a = along - (0.005 + 0.021 * finger) * std::sqrt(k);
    tips[finger] = instrument.OnStrings(a, 0.6 - 0.4 * finger) + f.z * 0.006;
  }
  Vec3 wrist = cello ? palm + f.x * 0.03 - f.z * 0.035 - f.y * 0.04
                     : palm - f.z * 0.04 - f.y * 0.035 + f.x * 0.01;
  const Vec3 shoulder = rig.Shoulder(1.0);
  const Vec3 pole = cello ? Vec3{1.0, -0.3, -0.3} : Vec3{-0.2, -1.0, 0.1};
  const Vec3 elbow = SolveElbow(shoulder, wrist, pole);
  AddArm(scene, look, shoulder, elbow, wrist);
  AddNeckHand(scene, look, wrist, palm, tips);
}

}  // namespace

Scene BuildPerformer(const Appearance& look, const Pose& pose) {
  Scene scene;
  AddChair(scene);
  const Rig rig = MakeRig(pose);
  AddLegs(scene, look);
  AddTorso(scene, rig, look);
  AddHead(scene, rig, look, pose);
  const PlacedInstrument instrument = PlaceInstrument(look, rig, pose);
  AddInstrument(scene, instrument);
  const PlacedBow bow = PlaceBow(instrument, pose);
  AddBow(scene, bow);
  AddBowArm(scene, look, rig, bow);
  AddFingeringArm(scene, look, rig, instrument, pose);
  return scene;
}

}  // namespace qs3::tools::sheets
