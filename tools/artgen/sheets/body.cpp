#include "artgen/sheets/body.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "artgen/sheets/shapes.h"

namespace qs3::tools::sheets {

namespace {

constexpr double kPi = std::numbers::pi;

// A horizontal slice of the torso, before the upper body turns.
struct Slice {
  double y;
  double halfWidth;
  double halfDepth;
  double centreZ;
};

constexpr std::array<Slice, 7> kSuitTorso{{{0.50, 0.165, 0.115, -0.02},
                                           {0.62, 0.152, 0.105, -0.02},
                                           {0.74, 0.148, 0.100, -0.025},
                                           {0.86, 0.168, 0.110, -0.025},
                                           {0.950, 0.192, 0.095, -0.035},
                                           {1.000, 0.125, 0.070, -0.035},
                                           {1.030, 0.055, 0.050, -0.035}}};

constexpr std::array<Slice, 7> kGownTorso{{{0.50, 0.172, 0.120, -0.02},
                                           {0.62, 0.140, 0.098, -0.02},
                                           {0.72, 0.118, 0.086, -0.02},
                                           {0.84, 0.142, 0.108, -0.008},
                                           {0.940, 0.168, 0.086, -0.035},
                                           {0.995, 0.105, 0.060, -0.035},
                                           {1.020, 0.050, 0.045, -0.035}}};

// Distance of angle `a` from the front of a slice (pi / 2), 0..pi.
double FromFront(double a) {
  const double d = std::fmod(std::abs(a - kPi / 2.0), 2.0 * kPi);
  return d > kPi ? 2.0 * kPi - d : d;
}

Look Cloth(Material m, double tone = 1.0) {
  return {m, tone, 0.05, true};
}
Look Skin(const Appearance& look, double tone = 1.0) {
  return {look.skin, tone, 0.12, true};
}

// Jacket with shirt front, lapels, bow tie and a pocket square.
Look SuitFront(const Appearance& look, double u, double a) {
  const double off = FromFront(a);
  const double opening = 0.55 * SmoothStep(0.42, 0.9, u);
  if (u > 0.86 && u < 0.93 && off < 0.3) return {Material::kEbony, 1.0, 0.4, true};
  if (off < opening || (u > 0.93 && off < 1.1)) return Cloth(Material::kShirt);
  if (u > 0.40 && u < 0.43 && off < 0.05) return {Material::kEbony, 1.0, 0.6, true};
  if (off < opening + 0.13 && u > 0.40) return {look.clothes, 1.25, 0.35, true};
  const double pocket = a - (kPi / 2.0 - 0.8);
  if (u > 0.66 && u < 0.69 && std::abs(pocket) < 0.11) return Cloth(Material::kShirt);
  return Cloth(look.clothes);
}

// Bodice with its neckline: lower in front, bare shoulders when the arms are.
Look GownFront(const Appearance& look, double u, double a) {
  const double off = FromFront(a);
  const double front = std::max(0.0, std::cos(off));
  const double neckline = look.bareArms ? 0.93 - 0.15 * front * front : 0.97 - 0.1 * front * front;
  if (u > neckline) return Skin(look);
  if (u > 0.38 && u < 0.41) return Cloth(look.clothes, 0.65);  // waistband
  return {look.clothes, 1.0, 0.15, true};
}

// Hairline height (latitude) around the head, by longitude from the face:
// high on the forehead, receding at the temples, above the ears, down to
// the nape; long hair comes down over the ears.
double Hairline(HairStyle style, double longitude) {
  struct Point {
    double lon;
    double lat;
  };
  static constexpr std::array<Point, 7> kShort{
      {{0.0, 0.6}, {0.55, 0.56}, {0.9, 0.5}, {1.3, 0.32}, {1.75, 0.25}, {2.3, -0.3}, {kPi, -0.65}}};
  static constexpr std::array<Point, 7> kSwept{{{0.0, 0.7},
                                                {0.55, 0.64},
                                                {0.9, 0.52},
                                                {1.3, 0.32},
                                                {1.75, 0.25},
                                                {2.3, -0.3},
                                                {kPi, -0.65}}};
  static constexpr std::array<Point, 7> kBun{{{0.0, 0.62},
                                              {0.55, 0.56},
                                              {0.9, 0.45},
                                              {1.3, 0.25},
                                              {1.75, 0.1},
                                              {2.3, -0.35},
                                              {kPi, -0.6}}};
  static constexpr std::array<Point, 7> kLong{
      {{0.0, 0.62}, {0.4, 0.55}, {0.9, 0.38}, {1.2, -0.1}, {1.6, -0.8}, {2.3, -1.2}, {kPi, -1.3}}};
  const auto& line = style == HairStyle::kLong    ? kLong
                     : style == HairStyle::kBun   ? kBun
                     : style == HairStyle::kSwept ? kSwept
                                                  : kShort;
  const double lon = std::abs(longitude);
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (lon <= line[i].lon) {
      const double f = (lon - line[i - 1].lon) / (line[i].lon - line[i - 1].lon);
      return Lerp(line[i - 1].lat, line[i].lat, f);
    }
  }
  return line.back().lat;
}

// How far the hair stands off the skull, as a fraction of its radius:
// fuller on the crown; long hair falls wider below the ears.
double HairVolume(HairStyle style, double lon, double lat) {
  const double crown = std::pow(std::max(0.0, std::sin(lat)), 1.5);
  switch (style) {
    case HairStyle::kLong:
      return 0.07 + 0.09 * crown +
             0.22 * std::max(0.0, -std::sin(lat)) * SmoothStep(0.9, 1.5, std::abs(lon));
    case HairStyle::kBun:
      return 0.035 + 0.05 * crown;
    case HairStyle::kSwept:
      return 0.04 + 0.1 * crown * SmoothStep(-0.5, 0.8, std::cos(lon) + 0.3);
    case HairStyle::kShort:
      break;
  }
  return 0.045 + 0.11 * crown;
}

// The skull: an ellipsoid with a narrower jaw and a fuller back.
Vec3 HeadPoint(const Frame& frame, Vec3 radii, double lon, double lat) {
  const double c = std::cos(lat);
  const double below = std::max(0.0, -std::sin(lat));
  const double jaw = 1.0 - 0.3 * std::pow(below, 1.4) * (0.55 + 0.45 * std::cos(lon));
  const double back = std::cos(lon) < 0.0 ? 1.08 : 1.0;
  return frame.At(radii.x * c * std::sin(lon) * jaw, radii.y * std::sin(lat),
                  radii.z * c * std::cos(lon) * back);
}

bool Near(double lon, double lat, double lon0, double lat0, double rLon, double rLat) {
  const double a = (lon - lon0) / rLon;
  const double b = (lat - lat0) / rLat;
  return a * a + b * b < 1.0;
}

Look FaceLook(const Appearance& look, const Pose& pose, double lon, double lat) {
  for (const double side : {-1.0, 1.0}) {
    if (pose.eyesClosed) {
      if (Near(lon, lat, side * 0.42, 0.04, 0.14, 0.022)) return Skin(look, 0.45);
    } else if (Near(lon, lat, side * 0.42, 0.06, 0.13, 0.045)) {
      return {Material::kHairDark, 0.35, 0.3, true};
    }
    if (Near(lon, lat, side * 0.43, 0.2, 0.2, 0.028)) return {look.hair, 0.75, 0.0, true};
  }
  // The spot from above leaves the eyes in soft shade.
  for (const double side : {-1.0, 1.0}) {
    if (Near(lon, lat, side * 0.42, 0.08, 0.24, 0.11)) return Skin(look, 0.88);
  }
  if (Near(lon, lat, 0.0, -0.47, 0.2, 0.032)) {
    return look.outfit == Outfit::kGown ? Look{Material::kDressRed, 0.8, 0.3, true}
                                        : Skin(look, 0.6);
  }
  return Skin(look);
}

void AddHair(Scene& scene, const Frame& head, Vec3 radii, const Appearance& look, const Rig& rig) {
  const HairStyle style = look.hairStyle;
  const Material hair = look.hair;
  scene.push_back(Surface{[head, radii, style](double u, double v) {
                            const double lon = (u * 2.0 - 1.0) * kPi;
                            const double lat = (v - 0.5) * kPi;
                            return HeadPoint(head, radii * (1.0 + HairVolume(style, lon, lat)), lon,
                                             lat);
                          },
                          [style, hair](double u, double v) {
                            const double lon = (u * 2.0 - 1.0) * kPi;
                            const double lat = (v - 0.5) * kPi;
                            const double strands = 0.96 + 0.05 * std::sin(lon * 18.0 + lat * 3.0);
                            return Look{hair, strands, 0.3, lat > Hairline(style, lon)};
                          },
                          true});
  if (style == HairStyle::kBun) {
    AddEllipsoid(scene, Frame{head.At(0.0, 0.06, -0.1), head.x, head.y, head.z},
                 {0.05, 0.045, 0.042}, [hair](double lon, double lat) {
                   return Look{hair, 0.95 + 0.08 * std::sin(lon * 7.0 + lat * 9.0), 0.3, true};
                 });
  }
  if (style == HairStyle::kLong) {
    // The fall of the hair down the back, over the shoulder blades.
    AddTube(scene,
            {{head.At(0.0, 0.0, -0.05), 0.085},
             {rig.Chest(0.0, 1.0, -0.1), 0.125},
             {rig.Chest(0.0, 0.88, -0.13), 0.13},
             {rig.Chest(0.0, 0.8, -0.13), 0.09}},
            rig.chest * Vec3{0.0, 0.0, 1.0}, 0.4, [hair](double along, double around) {
              return Look{hair, 0.94 + 0.07 * std::sin(around * 10.0 + along * 3.0), 0.3, true};
            });
  }
  if (look.beard) {
    // A trimmed beard on jaw and chin with a moustache.
    scene.push_back(Surface{[head, radii](double u, double v) {
                              const double lon = (u * 2.0 - 1.0) * kPi;
                              const double lat = (v - 0.5) * kPi;
                              return HeadPoint(head, radii * 1.045, lon, lat);
                            },
                            [hair](double u, double v) {
                              const double lon = (u * 2.0 - 1.0) * kPi;
                              const double lat = (v - 0.5) * kPi;
                              const double a = std::abs(lon);
                              const bool jaw = lat < -0.3 && a < 1.45;
                              const bool sideburn = a > 1.2 && a < 1.5 && lat < 0.15;
                              const bool moustache = lat > -0.44 && lat < -0.33 && a < 0.34;
                              const bool mouth = Near(lon, lat, 0.0, -0.49, 0.2, 0.05);
                              return Look{hair, 1.0, 0.1, (jaw || sideburn || moustache) && !mouth};
                            },
                            true});
  }
}

// The skirt in one piece: from the hips over the lap and the knees, then
// down to the floor in soft folds. Its cross-section is a flat ellipse,
// wide across the body.
void AddSkirt(Scene& scene, const Appearance& look) {
  const double spread = look.kneeSpread;
  const std::vector<Vec3> path{{0.0, 0.60, -0.02}, {0.0, 0.615, 0.18}, {0.0, 0.58, 0.40},
                               {0.0, 0.42, 0.475}, {0.0, 0.20, 0.47},  {0.0, 0.0, 0.46}};
  const std::vector<double> widths{0.17,          0.19,           spread + 0.08,
                                   spread + 0.09, spread + 0.115, spread + 0.15};
  const std::vector<double> depths{0.10, 0.085, 0.085, 0.07, 0.09, 0.12};
  constexpr double kKnee = 0.4;  // where along the path the knees are
  const Material cloth = look.clothes;
  struct Row {
    double u = -1.0;
    Vec3 centre;
    Vec3 normal;
    double width = 0.0;
    double depth = 0.0;
  };
  scene.push_back(
      Surface{[=, row = Row{}](double u, double v) mutable {
                if (u != row.u) {
                  const Vec3 tangent = Normalize(SplineAt(path, std::min(1.0, u + 1e-3)) -
                                                 SplineAt(path, std::max(0.0, u - 1e-3)));
                  row = {u,
                         SplineAt(path, u),
                         {0.0, tangent.z, -tangent.y},
                         SplineAt(widths, u),
                         SplineAt(depths, u)};
                }
                const double a = v * 2.0 * kPi;
                const double x = row.width * std::cos(a);
                const double fall = SmoothStep(kKnee, 1.0, u);
                const double knee = std::exp(-std::pow((std::abs(x) - spread) / 0.07, 2.0) -
                                             std::pow((u - kKnee) / 0.12, 2.0));
                const double wave = std::sin(11.0 * a);
                const double depth = row.depth * (1.0 + 0.035 * fall * wave) + 0.025 * knee;
                return row.centre + Vec3{x * (1.0 + 0.02 * fall * wave), 0.0, 0.0} +
                       row.normal * (depth * std::sin(a));
              },
              [cloth](double, double) {
                return Look{cloth, 1.0, 0.15, true};
              }});
}

}  // namespace

Rig MakeRig(const Pose& pose) {
  Rig rig;
  rig.chest = RotationZ(pose.lean) * RotationX(pose.bend) * RotationY(pose.twist);
  rig.head =
      rig.chest * RotationY(pose.headTurn) * RotationX(pose.headNod) * RotationZ(pose.headTilt);
  return rig;
}

void AddTorso(Scene& scene, const Rig& rig, const Appearance& look) {
  const auto& slices = look.outfit == Outfit::kSuit ? kSuitTorso : kGownTorso;
  std::vector<double> ys, widths, depths, centres;
  for (const Slice& s : slices) {
    ys.push_back(s.y);
    widths.push_back(s.halfWidth);
    depths.push_back(s.halfDepth);
    centres.push_back(s.centreZ);
  }
  // Points come row by row at one u: the slice there is kept.
  struct Ring {
    double u = -1.0;
    double y = 0.0;
    double width = 0.0;
    double depth = 0.0;
    double centre = 0.0;
  };
  scene.push_back(Surface{
      [=, ring = Ring{}](double u, double v) mutable {
        if (u != ring.u) {
          ring = {u, SplineAt(ys, u), SplineAt(widths, u), SplineAt(depths, u),
                  SplineAt(centres, u)};
        }
        const double a = v * 2.0 * kPi;
        return rig.Chest(ring.width * std::cos(a), ring.y, ring.centre + ring.depth * std::sin(a));
      },
      [look](double u, double v) {
        const double a = v * 2.0 * kPi;
        return look.outfit == Outfit::kSuit ? SuitFront(look, u, a) : GownFront(look, u, a);
      }});
  // Neck, with a shirt collar round its foot.
  const Frame head = rig.HeadFrame();
  AddTube(scene, {{rig.Chest(0.0, 0.97, -0.035), 0.05}, {head.At(0.0, -0.06, -0.025), 0.045}},
          head.z, 1.0, PlainTube(Skin(look)));
  if (look.outfit == Outfit::kSuit) {
    AddTube(scene, {{rig.Chest(0.0, 0.985, -0.035), 0.056}, {rig.Chest(0.0, 1.04, -0.03), 0.053}},
            head.z, 1.0, PlainTube(Cloth(Material::kShirt)));
  }
}

void AddHead(Scene& scene, const Rig& rig, const Appearance& look, const Pose& pose) {
  const Frame head = rig.HeadFrame();
  const bool gown = look.outfit == Outfit::kGown;
  const Vec3 radii = gown ? Vec3{0.075, 0.103, 0.092} : Vec3{0.08, 0.108, 0.096};
  scene.push_back(Surface{[head, radii](double u, double v) {
                            return HeadPoint(head, radii, (u * 2.0 - 1.0) * kPi, (v - 0.5) * kPi);
                          },
                          [look, pose](double u, double v) {
                            return FaceLook(look, pose, (u * 2.0 - 1.0) * kPi, (v - 0.5) * kPi);
                          }});
  // Nose and ears.
  AddEllipsoid(scene, Frame{head.At(0.0, -0.026, radii.z * 0.95), head.x, head.y, head.z},
               {0.012, 0.026, 0.018}, Plain(Skin(look)));
  for (const double side : {-1.0, 1.0}) {
    AddEllipsoid(scene,
                 Frame{head.At(side * radii.x * 0.97, -0.005, -0.012), head.x, head.y, head.z},
                 {0.013, 0.029, 0.019}, Plain(Skin(look, 0.95)));
  }
  AddHair(scene, head, radii, look, rig);
}

void AddLegs(Scene& scene, const Appearance& look) {
  // A gown hides legs and shoes.
  if (look.outfit == Outfit::kGown) {
    AddSkirt(scene, look);
    return;
  }
  const double spread = look.kneeSpread;
  const Look cloth = Cloth(look.clothes);
  const Look shoe{Material::kEbony, 1.0, 1.0, true};
  for (const double side : {-1.0, 1.0}) {
    const Vec3 hip{side * 0.09, 0.54, 0.0};
    const Vec3 knee{side * spread, 0.555, 0.42};
    const Vec3 ankle{side * (spread + 0.02), 0.09, 0.45};
    AddLimb(scene, hip, knee, 0.088, 0.064, cloth);
    AddLimb(scene, knee, ankle, 0.06, 0.045, cloth);
    const Frame foot = RotatedFrame({side * (spread + 0.03), 0.037, 0.51}, RotationY(side * 0.2));
    AddEllipsoid(scene, foot, {0.045, 0.037, 0.115}, Plain(shoe));
  }
}

void AddArm(Scene& scene, const Appearance& look, Vec3 shoulder, Vec3 elbow, Vec3 wrist) {
  const bool sleeve = !look.bareArms;
  const bool suit = look.outfit == Outfit::kSuit;
  const Look upper = sleeve ? Cloth(look.clothes) : Skin(look);
  AddSphere(scene, shoulder, sleeve ? (suit ? 0.06 : 0.052) : 0.048, upper);
  AddLimb(scene, shoulder, elbow, sleeve ? 0.052 : 0.042, sleeve ? 0.046 : 0.034, upper);
  const Vec3 along = Normalize(wrist - elbow);
  if (sleeve) {
    const Vec3 cuffStart = wrist - along * (suit ? 0.05 : 0.035);
    AddLimb(scene, elbow, cuffStart, 0.046, 0.04, upper);
    if (suit)
      AddLimb(scene, cuffStart, wrist - along * 0.01, 0.037, 0.035, Cloth(Material::kShirt));
    AddLimb(scene, cuffStart, wrist, 0.03, 0.027, Skin(look));
  } else {
    AddLimb(scene, elbow, wrist, 0.034, 0.026, Skin(look));
  }
}

void AddBowHand(Scene& scene, const Appearance& look, Vec3 grip, Vec3 wrist, Vec3 toFrog,
                Vec3 stickSide) {
  const Look skin = Skin(look);
  const Vec3 palmAt = Lerp(wrist, grip, 0.55) + stickSide * 0.008;
  AddEllipsoid(scene, AxisFrame(palmAt, grip - wrist, stickSide), {0.04, 0.045, 0.02}, Plain(skin));
  const Vec3 across = Normalize(Cross(toFrog, stickSide));
  // Fingers draped over the stick, the thumb under it.
  AddEllipsoid(scene, AxisFrame(grip + stickSide * 0.004 - toFrog * 0.012, across, stickSide),
               {0.024, 0.038, 0.017}, Plain(skin));
  AddSphere(scene, grip - stickSide * 0.012 + toFrog * 0.01, 0.011, skin);
}

void AddNeckHand(Scene& scene, const Appearance& look, Vec3 wrist, Vec3 palm,
                 const Vec3 (&tips)[3]) {
  const Look skin = Skin(look);
  AddLimb(scene, wrist, palm, 0.027, 0.03, skin);
  for (const Vec3& tip : tips) {
    const Vec3 knuckle = Lerp(palm, tip, 0.35) + Normalize(palm - wrist) * 0.02;
    AddTube(scene, {{palm, 0.013}, {knuckle, 0.011}, {tip, 0.008}}, {0.0, 1.0, 0.0}, 1.0,
            PlainTube(skin));
    AddSphere(scene, tip, 0.008, skin);
  }
}

}  // namespace qs3::tools::sheets
