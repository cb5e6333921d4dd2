#include "artgen/sheets/shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace qs3::tools::sheets {

namespace {

constexpr double kPi = std::numbers::pi;

// Uniform Catmull-Rom through the points, t in 0..1 over all segments.
template <typename T>
T CatmullRom(const std::vector<T>& points, double t) {
  const int segments = static_cast<int>(points.size()) - 1;
  const double position = std::clamp(t, 0.0, 1.0) * segments;
  const int i = std::min(static_cast<int>(position), segments - 1);
  const double f = position - i;
  const T& p1 = points[i];
  const T& p2 = points[i + 1];
  const T p0 = i > 0 ? points[i - 1] : p1 + (p1 - p2);
  const T p3 = i + 2 <= segments ? points[i + 2] : p2 + (p2 - p1);
  const double f2 = f * f;
  const double f3 = f2 * f;
  return 0.5 * ((2.0 * p1) + (p2 - p0) * f + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * f2 +
                (3.0 * p1 - p0 - 3.0 * p2 + p3) * f3);
}

}  // namespace

double SplineAt(const std::vector<double>& values, double t) {
  return CatmullRom(values, t);
}
Vec3 SplineAt(const std::vector<Vec3>& points, double t) {
  return CatmullRom(points, t);
}

AngleLook Plain(Look look) {
  return [look](double, double) { return look; };
}

TubeLook PlainTube(Look look) {
  return [look](double, double) { return look; };
}

void AddEllipsoid(Scene& scene, const Frame& frame, Vec3 radii, AngleLook look) {
  scene.push_back(Surface{
      [frame, radii, lastU = -1.0, sinLon = 0.0, cosLon = 1.0](double u, double v) mutable {
        if (u != lastU) {
          lastU = u;
          sinLon = std::sin((u * 2.0 - 1.0) * kPi);
          cosLon = std::cos((u * 2.0 - 1.0) * kPi);
        }
        const double latitude = (v - 0.5) * kPi;
        const double c = std::cos(latitude);
        return frame.At(radii.x * c * sinLon, radii.y * std::sin(latitude), radii.z * c * cosLon);
      },
      [look = std::move(look)](double u, double v) {
        return look((u * 2.0 - 1.0) * kPi, (v - 0.5) * kPi);
      }});
}

void AddSphere(Scene& scene, Vec3 centre, double radius, Look look) {
  AddEllipsoid(scene, Frame{centre}, {radius, radius, radius}, Plain(look));
}

void AddTube(Scene& scene, std::vector<TubeNode> nodes, Vec3 upHint, double flatness,
             TubeLook look) {
  std::vector<Vec3> centres;
  std::vector<double> radii;
  for (const TubeNode& node : nodes) {
    centres.push_back(node.centre);
    radii.push_back(node.radius);
  }
  // Points come row by row at one u, so the ring at that u is kept.
  struct Ring {
    double u = -1.0;
    Vec3 centre;
    Vec3 normal;
    Vec3 binormal;
    double radius = 0.0;
  };
  scene.push_back(
      Surface{[centres, radii, upHint, flatness, ring = Ring{}](double u, double v) mutable {
                if (u != ring.u) {
                  const double step = 1e-3;
                  const Vec3 tangent = Normalize(CatmullRom(centres, std::min(1.0, u + step)) -
                                                 CatmullRom(centres, std::max(0.0, u - step)));
                  Vec3 side = upHint - tangent * Dot(upHint, tangent);
                  if (Length(side) < 1e-6) side = Cross(tangent, {1.0, 0.0, 0.0});
                  ring.u = u;
                  ring.centre = CatmullRom(centres, u);
                  ring.normal = Normalize(side);
                  ring.binormal = Cross(tangent, ring.normal);
                  ring.radius = std::max(0.0, CatmullRom(radii, u));
                }
                const double around = v * 2.0 * kPi;
                return ring.centre + ring.normal * (ring.radius * flatness * std::cos(around)) +
                       ring.binormal * (ring.radius * std::sin(around));
              },
              [look = std::move(look)](double u, double v) { return look(u, v * 2.0 * kPi); }});
}

void AddLimb(Scene& scene, Vec3 from, Vec3 to, double fromRadius, double toRadius, Look look) {
  AddTube(scene, {{from, fromRadius}, {to, toRadius}}, {0.0, 0.0, 1.0}, 1.0, PlainTube(look));
  AddSphere(scene, from, fromRadius, look);
  AddSphere(scene, to, toRadius, look);
}

void AddBox(Scene& scene, const Frame& frame, Vec3 half, double puff, Look look) {
  // Each face: the axis it faces along, and the two axes it spans.
  struct Face {
    int normalAxis;
    double sign;
  };
  static constexpr Face kFaces[] = {{0, 1.0}, {0, -1.0}, {1, 1.0}, {1, -1.0}, {2, 1.0}, {2, -1.0}};
  for (const Face face : kFaces) {
    scene.push_back(Surface{[frame, half, puff, face](double u, double v) {
                              const double s = u * 2.0 - 1.0;
                              const double t = v * 2.0 - 1.0;
                              const double bulge = 1.0 + puff * (1.0 - s * s) * (1.0 - t * t);
                              double local[3];
                              const double sizes[3] = {half.x, half.y, half.z};
                              const int a = (face.normalAxis + 1) % 3;
                              const int b = (face.normalAxis + 2) % 3;
                              local[face.normalAxis] = face.sign * sizes[face.normalAxis] * bulge;
                              local[a] = s * sizes[a];
                              local[b] = t * sizes[b];
                              return frame.At(local[0], local[1], local[2]);
                            },
                            [look](double, double) { return look; }});
  }
}

}  // namespace qs3::tools::sheets
