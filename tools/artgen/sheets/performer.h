// A seated string player: looks that stay with the performer, and the pose
// of one frame.
#pragma once

#include "artgen/sheets/instruments.h"
#include "artgen/sheets/renderer.h"
#include "artgen/sheets/sheet_palette.h"
#include "artgen/sheets/vec3.h"

namespace qs3::tools::sheets {

enum class Outfit { kSuit, kGown };
enum class HairStyle { kShort, kSwept, kBun, kLong };

struct Appearance {
  const InstrumentSize* instrument;
  Outfit outfit;
  Material clothes;
  Material skin;
  Material hair;
  HairStyle hairStyle;
  bool bareArms;
  bool beard;
  double kneeSpread;  // half the distance between the knees, metres
};

// One frame of a performer. Angles in radians; "left" is the player's own
// left, which the audience sees on its right.
struct Pose {
  double lean = 0.0;      // upper body toward the left
  double bend = 0.0;      // upper body forward
  double twist = 0.0;     // chest turned toward the left
  double headTilt = 0.0;  // head tipped toward the left shoulder
  double headNod = 0.0;   // head bowed forward
  double headTurn = 0.0;  // face turned toward the left
  bool eyesClosed = false;

  // Bow on the strings: where along the hair it touches (0 at the frog, 1
  // at the tip) and on which string (-1 highest .. +1 lowest).
  bool bowOnString = true;
  double bowAt = 0.5;
  double string = 0.0;
  // Bow in the air: the hair's end at the frog, the direction toward the
  // tip and the side of the stick, all in performer space.
  Vec3 frog;
  Vec3 towardTip{0.0, 1.0, 0.0};
  Vec3 stickSide{0.0, 0.0, 1.0};

  double raise = 0.0;     // scroll lifted (violin, viola) or instrument tipped back (cello)
  double fingerAt = 0.0;  // left hand moved from its first position toward the bridge, metres
};

Scene BuildPerformer(const Appearance& appearance, const Pose& pose);

}  // namespace qs3::tools::sheets
