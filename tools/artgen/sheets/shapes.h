// Parametric building blocks for performers, chairs and instruments.
#pragma once

#include <functional>
#include <vector>

#include "artgen/sheets/renderer.h"
#include "artgen/sheets/vec3.h"

namespace qs3::tools::sheets {

// Look by angles on an ellipsoid: longitude 0 faces the frame's +z and
// grows toward +x; latitude +pi/2 is the frame's +y pole.
using AngleLook = std::function<Look(double longitude, double latitude)>;

// Look along a tube: `along` 0..1 from the first node to the last, `around`
// 0..2 pi starting on the side of the tube's up hint.
using TubeLook = std::function<Look(double along, double around)>;

// Uniform Catmull-Rom through the values, t in 0..1 over all segments.
double SplineAt(const std::vector<double>& values, double t);
Vec3 SplineAt(const std::vector<Vec3>& points, double t);

AngleLook Plain(Look look);
TubeLook PlainTube(Look look);

void AddEllipsoid(Scene& scene, const Frame& frame, Vec3 radii, AngleLook look);
void AddSphere(Scene& scene, Vec3 centre, double radius, Look look);

struct TubeNode {
  Vec3 centre;
  double radius;
};

// A smooth tube through the nodes (Catmull-Rom), its cross-section an
// ellipse `flatness` times as wide toward the up hint as across it.
void AddTube(Scene& scene, std::vector<TubeNode> nodes, Vec3 upHint, double flatness,
             TubeLook look);

// A straight limb between two joints, with a ball at each end.
void AddLimb(Scene& scene, Vec3 from, Vec3 to, double fromRadius, double toRadius, Look look);

// A box of half sizes along the frame's axes whose faces bulge by `puff`
// (cushions, slabs).
void AddBox(Scene& scene, const Frame& frame, Vec3 half, double puff, Look look);

}  // namespace qs3::tools::sheets
