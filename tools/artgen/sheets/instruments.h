// The string instruments, the bow and the chair, built in performer space.
#pragma once

#include "artgen/sheets/renderer.h"
#include "artgen/sheets/vec3.h"

namespace qs3::tools::sheets {

// Sizes of one member of the violin family, metres.
struct InstrumentSize {
  double bodyLength;       // tail edge to neck edge of the body
  double lowerBout;        // half width at the widest
  double ribs;             // rib height
  double arching;          // height of the plates' arch
  double neckLength;       // body edge to nut
  double bridgeAt;         // distance of the bridge from the tail edge
  double bridgeHeight;     // above the top plate
  double fingerboardOver;  // how far the fingerboard reaches over the body
  double boardWidth;       // at its free end
  double bowLength;        // hair length of its bow
  double endpin;           // length of the endpin (0: none, held at the chin)
  Material varnish;
};

extern const InstrumentSize kViolin;
extern const InstrumentSize kViola;
extern const InstrumentSize kCello;

// Where an instrument lies: the frame's origin is the middle of the tail
// edge at rib mid-height; y runs along the body toward the scroll, z out of
// the top plate, x toward the lowest string.
struct PlacedInstrument {
  const InstrumentSize* size;
  Frame frame;

  // A point on the strings `along` metres from the tail, `across` toward the
  // lowest string (about -1 highest .. +1 lowest string).
  Vec3 OnStrings(double along, double across) const;
  // The top of the fingerboard's middle at `along`.
  Vec3 OnBoard(double along) const;
  double NutAt() const { return size->bodyLength + size->neckLength; }
  double ContactAt() const;  // where the bow meets the strings
};

void AddInstrument(Scene& scene, const PlacedInstrument& instrument);

// A bow from the hair's end at the frog to its end at the tip; `stickSide`
// points from the hair toward the stick.
struct PlacedBow {
  Vec3 frog;
  Vec3 tip;
  Vec3 stickSide;
};

void AddBow(Scene& scene, const PlacedBow& bow);

// An upholstered concert chair centred under the performer.
void AddChair(Scene& scene);

}  // namespace qs3::tools::sheets
