// The parts of a seated performer's body and clothes.
#pragma once

#include "artgen/sheets/performer.h"
#include "artgen/sheets/renderer.h"
#include "artgen/sheets/vec3.h"

namespace qs3::tools::sheets {

// The upper body turns about the small of the back, the head about the
// base of the neck. Chest coordinates are those of an upright body; they
// are drawn a little taller than given, for a seated body's proportions.
struct Rig {
  static constexpr double kStretch = 1.12;
  Vec3 waist{0.0, 0.56, -0.03};
  Mat3 chest;
  Mat3 head;

  Vec3 Chest(double x, double y, double z) const {
    return waist + chest * Vec3{x, (y - waist.y) * kStretch, z - waist.z};
  }
  Vec3 NeckBase() const { return Chest(0.0, 1.02, -0.035); }
  Frame HeadFrame() const { return RotatedFrame(NeckBase() + head * Vec3{0.0, 0.135, 0.03}, head); }
  Vec3 Shoulder(double side) const { return Chest(side * 0.175, 0.955, -0.035); }
};

Rig MakeRig(const Pose& pose);

void AddTorso(Scene& scene, const Rig& rig, const Appearance& look);
void AddHead(Scene& scene, const Rig& rig, const Appearance& look, const Pose& pose);
void AddLegs(Scene& scene, const Appearance& look);
// An arm from the shoulder through the elbow to the wrist.
void AddArm(Scene& scene, const Appearance& look, Vec3 shoulder, Vec3 elbow, Vec3 wrist);

// The bow hand: fingers over the stick at `grip`, wrist toward `wrist`.
void AddBowHand(Scene& scene, const Appearance& look, Vec3 grip, Vec3 wrist, Vec3 toFrog,
                Vec3 stickSide);
// The hand on the neck: the palm at `palm` beside the neck, fingertips on the strings.
void AddNeckHand(Scene& scene, const Appearance& look, Vec3 wrist, Vec3 palm,
                 const Vec3 (&tips)[3]);

}  // namespace qs3::tools::sheets
