#include "artgen/sheets/instruments.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "artgen/sheets/shapes.h"

namespace qs3::tools::sheets {

const InstrumentSize kViolin{.bodyLength = 0.356,
                             .lowerBout = 0.103,
                             .ribs = 0.031,
                             .arching = 0.016,
                             .neckLength = 0.130,
                             .bridgeAt = 0.161,
                             .bridgeHeight = 0.033,
                             .fingerboardOver = 0.140,
                             .boardWidth = 0.042,
                             .bowLength = 0.65,
                             .endpin = 0.0,
                             .varnish = Material::kVarnishViolin};
const InstrumentSize kViola{.bodyLength = 0.405,
                            .lowerBout = 0.118,
                            .ribs = 0.037,
                            .arching = 0.018,
                            .neckLength = 0.145,
                            .bridgeAt = 0.183,
                            .bridgeHeight = 0.036,
                            .fingerboardOver = 0.155,
                            .boardWidth = 0.045,
                            .bowLength = 0.65,
                            .endpin = 0.0,
                            .varnish = Material::kVarnishViolin};
const InstrumentSize kCello{.bodyLength = 0.755,
                            .lowerBout = 0.220,
                            .ribs = 0.120,
                            .arching = 0.028,
                            .neckLength = 0.280,
                            .bridgeAt = 0.345,
                            .bridgeHeight = 0.090,
                            .fingerboardOver = 0.300,
                            .boardWidth = 0.072,
                            .bowLength = 0.60,
                            .endpin = 0.30,
                            .varnish = Material::kVarnishCello};

namespace {

constexpr double kPi = std::numbers::pi;

struct ProfileNode {
  double t;
  double w;
};

// Half width of the body along its length, as a fraction of the lower bout:
// lower bout, corners, waist, corners, upper bout.
constexpr std::array<ProfileNode, 15> kOutline{{{0.00, 0.62},
                                                {0.05, 0.82},
                                                {0.12, 0.95},
                                                {0.22, 1.00},
                                                {0.32, 0.95},
                                                {0.39, 0.82},
                                                {0.43, 0.66},
                                                {0.50, 0.56},
                                                {0.57, 0.60},
                                                {0.62, 0.72},
                                                {0.67, 0.80},
                                                {0.77, 0.82},
                                                {0.86, 0.76},
                                                {0.94, 0.60},
                                                {1.00, 0.46}}};

// Hermite interpolation through the outline with finite-difference slopes.
double OutlineAt(double t) {
  t = std::clamp(t, 0.0, 1.0);
  std::size_t i = 0;
  while (i + 2 < kOutline.size() && kOutline[i + 1].t < t) ++i;
  const auto slope = [](std::size_t k) {
    const std::size_t lo = k == 0 ? 0 : k - 1;
    const std::size_t hi = std::min(k + 1, kOutline.size() - 1);
    return (kOutline[hi].w - kOutline[lo].w) / (kOutline[hi].t - kOutline[lo].t);
  };
  const double h = kOutline[i + 1].t - kOutline[i].t;
  const double f = (t - kOutline[i].t) / h;
  const double f2 = f * f;
  const double f3 = f2 * f;
  const double w = (2 * f3 - 3 * f2 + 1) * kOutline[i].w + (f3 - 2 * f2 + f) * h * slope(i) +
                   (-2 * f3 + 3 * f2) * kOutline[i + 1].w + (f3 - f2) * h * slope(i + 1);
  // Round off both ends of the body.
  const double end = std::min(t, 1.0 - t);
  const double round =
      end < 0.08 ? std::sqrt(std::max(0.0, 1.0 - std::pow(1.0 - end / 0.08, 2.0))) : 1.0;
  return w * round;
}

double Scale(const InstrumentSize& size) {
  return size.bodyLength / kViolin.bodyLength;
}

// Height of the top plate above the rib middle, at fraction t along and
// s (-1..1) across.
double TopHeight(const InstrumentSize& size, double t, double s) {
  const double across = std::pow(std::max(0.0, 1.0 - s * s), 1.3);
  const double along = 1.0 - std::pow(std::abs(2.0 * t - 1.0), 6.0);
  return size.ribs / 2.0 + size.arching * across * along;
}

double BoardTop(const InstrumentSize& size, double along) {
  const double start = size.bodyLength - size.fingerboardOver;
  const double nut = size.bodyLength + size.neckLength;
  const double k = Scale(size);
  const double f = std::clamp((along - start) / (nut - start), 0.0, 1.0);
  return size.ribs / 2.0 + Lerp(size.arching + 0.017 * k, 0.011 * k, f);
}

double StringSpread(const InstrumentSize& size, double along) {
  const double k = std::sqrt(Scale(size));
  const double nut = size.bodyLength + size.neckLength;
  const double f = std::clamp((along - size.bridgeAt) / (nut - size.bridgeAt), 0.0, 1.0);
  return Lerp(0.0255 * k, 0.0085 * k, f);
}

double StringHeight(const InstrumentSize& size, double along) {
  const double nut = size.bodyLength + size.neckLength;
  const double atBridge = TopHeight(size, size.bridgeAt / size.bodyLength, 0.0) + size.bridgeHeight;
  const double atNut = BoardTop(size, nut) + 0.0015;
  if (along <= size.bridgeAt) {
    const double tail = 0.11 * Scale(size);
    const double atTail = size.ribs / 2.0 + size.arching * 0.4 + 0.012 * Scale(size);
    return Lerp(atTail, atBridge, std::clamp((along - tail) / (size.bridgeAt - tail), 0.0, 1.0));
  }
  return Lerp(atBridge, atNut, (along - size.bridgeAt) / (nut - size.bridgeAt));
}

Look Varnish(const InstrumentSize& size, double tone) {
  return {size.varnish, tone, 0.8, true};
}

// The f-holes: two slanting slots beside the bridge.
bool InFHole(const InstrumentSize& size, double along, double across) {
  const double k = Scale(size);
  const double d = along - size.bridgeAt;
  const double length = 0.036 * k;
  if (std::abs(d) > length) return false;
  const double centre = (0.033 - 0.12 * d / k) * size.lowerBout / 0.103;
  const double curl = 0.004 * k * std::sin(d / length * kPi);
  const double width = (std::abs(d) > 0.8 * length ? 0.0045 : 0.0022) * k;
  return std::abs(std::abs(across) - centre - (across > 0 ? curl : -curl)) < width;
}

void AddBody(Scene& scene, const PlacedInstrument& placed) {
  const InstrumentSize& size = *placed.size;
  const Frame f = placed.frame;
  const double length = size.bodyLength;
  const double half = size.lowerBout;
  // Top plate with its f-holes.
  scene.push_back(Surface{[f, &size, length, half](double u, double v) {
                            const double s = v * 2.0 - 1.0;
                            return f.At(s * half * OutlineAt(u), u * length, TopHeight(size, u, s));
                          },
                          [&size, length, half](double u, double v) {
                            const double across = (v * 2.0 - 1.0) * half * OutlineAt(u);
                            if (InFHole(size, u * length, across))
                              return Look{Material::kEbony, 0.2, 0.0, true};
                            return Varnish(size, 1.05);
                          }});
  // Back plate.
  scene.push_back(Surface{[f, &size, length, half](double u, double v) {
                            const double s = v * 2.0 - 1.0;
                            return f.At(s * half * OutlineAt(u), u * length,
                                        -TopHeight(size, u, s));
                          },
                          [&size](double, double) { return Varnish(size, 0.8); }});
  // Ribs all round.
  scene.push_back(Surface{[f, &size, length, half](double u, double v) {
                            const double side = u < 0.5 ? 1.0 : -1.0;
                            const double t = u < 0.5 ? u * 2.0 : (1.0 - u) * 2.0;
                            return f.At(side * half * OutlineAt(t), t * length,
                                        (v * 2.0 - 1.0) * size.ribs / 2.0);
                          },
                          [&size](double, double) { return Varnish(size, 0.75); }});
}

// A slab along the instrument's y axis: half width and top height as
// functions of the distance along, a fixed thickness below the top.
template <typename Width, typename TopAt>
void AddSlab(Scene& scene, const Frame& f, double from, double to, Width width, TopAt top,
             double thickness, Look look) {
  const auto along = [from, to](double u) { return Lerp(from, to, u); };
  scene.push_back(Surface{[=](double u, double v) {
                            const double a = along(u);
                            const double s = v * 2.0 - 1.0;
                            return f.At(s * width(a), a, top(a) + 0.1 * thickness * (1.0 - s * s));
                          },
                          [look](double, double) { return look; }});
  for (const double side : {-1.0, 1.0}) {
    scene.push_back(Surface{[=](double u, double v) {
                              const double a = along(u);
                              return f.At(side * width(a), a, top(a) - v * thickness);
                            },
                            [look](double, double) { return look; }});
  }
  for (const double a : {from, to}) {
    scene.push_back(Surface{[=](double u, double v) {
                              return f.At((u * 2.0 - 1.0) * width(a), a, top(a) - v * thickness);
                            },
                            [look](double, double) { return look; }});
  }
}

void AddNeck(Scene& scene, const PlacedInstrument& placed) {
  const InstrumentSize& size = *placed.size;
  const Frame f = placed.frame;
  const double k = Scale(size);
  const double nut = placed.NutAt();
  const double boardStart = size.bodyLength - size.fingerboardOver;
  // Neck: a rounded bar under the fingerboard, from the heel to the nut.
  AddTube(scene,
          {{f.At(0.0, size.bodyLength - 0.012 * k, size.ribs / 2.0 - 0.002 * k), 0.014 * k},
           {f.At(0.0, size.bodyLength + 0.02 * k,
                 BoardTop(size, size.bodyLength + 0.02 * k) - 0.017 * k),
            0.012 * k},
           {f.At(0.0, nut, BoardTop(size, nut) - 0.014 * k), 0.0105 * k}},
          f.z, 1.0, PlainTube(Varnish(size, 0.9)));
  // Fingerboard.
  const double boardWide = size.boardWidth / 2.0;
  const double boardNarrow = 0.012 * k;
  AddSlab(
      scene, f, boardStart, nut,
      [=](double a) { return Lerp(boardWide, boardNarrow, (a - boardStart) / (nut - boardStart)); },
      [&size](double a) { return BoardTop(size, a); }, 0.006 * k,
      Look{Material::kEbony, 1.0, 0.25, true});
}

void AddPegboxAndScroll(Scene& scene, const PlacedInstrument& placed) {
  const InstrumentSize& size = *placed.size;
  const Frame f = placed.frame;
  const double k = Scale(size);
  const double nut = placed.NutAt();
  // Pegbox, leaning back from the nut.
  const double boxEnd = nut + 0.07 * k;
  const double nutTop = BoardTop(size, nut);
  const auto boxTop = [=](double a) { return nutTop - 0.004 * k - (a - nut) * 0.3; };
  AddSlab(
      scene, f, nut, boxEnd,
      [=](double a) { return Lerp(0.0125, 0.0105, (a - nut) / (boxEnd - nut)) * k; }, boxTop,
      0.022 * k, Varnish(size, 0.95));
  // Pegs, alternately to each side, with their heads.
  for (int peg = 0; peg < 4; ++peg) {
    const double a = nut + (0.014 + 0.015 * peg) * k;
    const double side = peg % 2 == 0 ? 1.0 : -1.0;
    const double c = boxTop(a) - 0.011 * k;
    const Vec3 root = f.At(0.0, a, c);
    const double reach = std::sqrt(k);
    const Vec3 end = f.At(side * (0.012 * k + 0.026 * reach), a - 0.004 * k, c + 0.003 * k);
    AddTube(scene, {{root, 0.0035 * reach}, {end, 0.0035 * reach}}, f.z, 1.0,
            PlainTube(Look{Material::kEbony, 1.0, 0.5, true}));
    AddEllipsoid(scene, Frame{end, f.x, f.y, f.z}, Vec3{0.004, 0.011, 0.008} * reach,
                 Plain(Look{Material::kEbony, 1.0, 0.5, true}));
  }
  // Scroll: a round volute with a darker groove.
  const Vec3 scroll = f.At(0.0, boxEnd + 0.012 * k, boxTop(boxEnd) - 0.014 * k);
  AddEllipsoid(scene, Frame{scroll, f.x, f.y, f.z}, {0.0135 * k, 0.02 * k, 0.021 * k},
               [&size](double lon, double lat) {
                 const bool swirl = std::abs(std::sin(lat * 3.0 + lon)) < 0.25;
                 return Varnish(size, swirl ? 0.55 : 0.95);
               });
}

const Look kEbonyFitting{Material::kEbony, 1.0, 0.6, true};

void AddTailpieceAndBridge(Scene& scene, const PlacedInstrument& placed) {
  const InstrumentSize& size = *placed.size;
  const Frame f = placed.frame;
  const double k = Scale(size);
  // Tailpiece, rising toward the bridge.
  const double tailFrom = 0.004 * k;
  const double tailTo = 0.11 * k;
  AddSlab(
      scene, f, tailFrom, tailTo,
      [=](double a) {
        return Lerp(0.021, 0.012, (a - tailFrom) / (tailTo - tailFrom)) * std::sqrt(k);
      },
      [=, &size](double a) {
        return size.ribs / 2.0 + Lerp(0.004, 0.012, (a - tailFrom) / (tailTo - tailFrom)) * k +
               size.arching * 0.4;
      },
      0.004 * k, kEbonyFitting);
  // Bridge: a thin pale plate standing on the top.
  const double bridgeHalf = 0.021 * std::sqrt(k) * 1.2;
  scene.push_back(Surface{[=, &size](double u, double v) {
                            const double s = u * 2.0 - 1.0;
                            const double foot = TopHeight(size, size.bridgeAt / size.bodyLength,
                                                          s * bridgeHalf / size.lowerBout);
                            const double crown = size.bridgeHeight * (1.0 - 0.2 * s * s);
                            return f.At(s * bridgeHalf * (1.0 - 0.15 * v), size.bridgeAt,
                                        foot + v * crown);
                          },
                          [](double, double) {
                            return Look{Material::kPaleWood, 1.0, 0.0, true};
                          }});
}

// Strings from the tailpiece over the bridge to the nut.
void AddStrings(Scene& scene, const PlacedInstrument& placed) {
  const InstrumentSize& size = *placed.size;
  const Frame f = placed.frame;
  const double k = Scale(size);
  const double tail = 0.11 * k;
  const double nut = placed.NutAt();
  const Look wire{Material::kMetal, 0.45, 0.3, true};
  for (int string = 0; string < 4; ++string) {
    const double across = -1.0 + string * (2.0 / 3.0);
    const auto point = [&](double a) {
      return f.At(across * StringSpread(size, a), a, StringHeight(size, a));
    };
    const double thickness = 0.0009 * std::sqrt(k);
    AddTube(scene, {{point(tail), thickness}, {point(size.bridgeAt), thickness}}, f.z, 1.0,
            PlainTube(wire));
    AddTube(scene, {{point(size.bridgeAt), thickness}, {point(nut), thickness}}, f.z, 1.0,
            PlainTube(wire));
  }
}

// The cello's endpin, or the chinrest of violin and viola.
void AddEndpinOrChinrest(Scene& scene, const PlacedInstrument& placed) {
  const InstrumentSize& size = *placed.size;
  const Frame f = placed.frame;
  const double k = Scale(size);
  if (size.endpin > 0.0) {
    AddTube(scene, {{f.At(0.0, 0.01, 0.0), 0.006}, {f.At(0.0, -size.endpin, 0.0), 0.004}}, f.z, 1.0,
            PlainTube(Look{Material::kMetal, 0.9, 0.8, true}));
    AddSphere(scene, f.At(0.0, 0.0, 0.0), 0.012, kEbonyFitting);
  } else {
    // Chinrest, over the lowest string's side of the tailpiece.
    AddEllipsoid(scene,
                 Frame{f.At(0.04 * k, 0.035 * k, size.ribs / 2.0 + size.arching * 0.3 + 0.008), f.x,
                       f.y, f.z},
                 {0.036 * k, 0.03 * k, 0.011}, Plain(kEbonyFitting));
  }
}

}  // namespace

Vec3 PlacedInstrument::OnStrings(double along, double across) const {
  return frame.At(across * StringSpread(*size, along), along, StringHeight(*size, along));
}

Vec3 PlacedInstrument::OnBoard(double along) const {
  return frame.At(0.0, along, BoardTop(*size, along));
}

double PlacedInstrument::ContactAt() const {
  return size->bridgeAt + 0.075 * (NutAt() - size->bridgeAt);
}

void AddInstrument(Scene& scene, const PlacedInstrument& instrument) {
  AddBody(scene, instrument);
  AddNeck(scene, instrument);
  AddPegboxAndScroll(scene, instrument);
  AddTailpieceAndBridge(scene, instrument);
  AddStrings(scene, instrument);
  AddEndpinOrChinrest(scene, instrument);
}

void AddBow(Scene& scene, const PlacedBow& bow) {
  const Vec3 toFrog = Normalize(bow.frog - bow.tip);
  const Vec3 up = Normalize(bow.stickSide - toFrog * Dot(bow.stickSide, toFrog));
  const Vec3 across = Cross(toFrog, up);
  const Look stick{Material::kBowStick, 1.05, 0.6, true};
  // Hair, a pale ribbon.
  AddTube(scene, {{bow.frog, 0.0048}, {bow.tip, 0.0042}}, up, 0.8,
          PlainTube(Look{Material::kBowHair, 1.0, 0.2, true}));
  // Stick: from the screw button past the frog, bending toward the hair
  // in the middle, up to the head at the tip.
  const Vec3 button = bow.frog + toFrog * 0.055 + up * 0.018;
  const Vec3 middle = Lerp(bow.frog, bow.tip, 0.5) + up * 0.010;
  AddTube(scene,
          {{button, 0.0055},
           {bow.frog + up * 0.019, 0.006},
           {middle, 0.0052},
           {bow.tip + up * 0.012 + toFrog * 0.01, 0.0044},
           {bow.tip + up * 0.016, 0.004}},
          across, 1.0, [stick](double along, double) {
            // The winding near the frog is silver.
            return along > 0.06 && along < 0.14 ? Look{Material::kMetal, 0.85, 0.7, true} : stick;
          });
  AddSphere(scene, button + toFrog * 0.004, 0.0055, Look{Material::kMetal, 1.0, 0.8, true});
  // Frog: an ebony block between stick and hair.
  AddBox(scene, Frame{bow.frog + toFrog * 0.02 + up * 0.008, across, toFrog, up},
         {0.0065, 0.022, 0.009}, 0.1, Look{Material::kEbony, 1.0, 0.6, true});
  // Tip plate.
  AddBox(scene, Frame{bow.tip + up * 0.007, across, toFrog, up}, {0.0045, 0.004, 0.009}, 0.0,
         Look{Material::kShirt, 0.9, 0.3, true});
}

void AddChair(Scene& scene) {
  const Look wood{Material::kChairWood, 1.0, 0.5, true};
  const Look velvet{Material::kChairSeat, 1.0, 0.0, true};
  AddBox(scene, Frame{{0.0, 0.445, -0.03}}, {0.22, 0.035, 0.21}, 0.25, velvet);
  for (const double x : {-1.0, 1.0}) {
    for (const double z : {-1.0, 1.0}) {
      AddTube(
          scene,
          {{{x * 0.19, 0.41, -0.03 + z * 0.18}, 0.017}, {{x * 0.205, 0.0, -0.03 + z * 0.2}, 0.013}},
          {0.0, 0.0, 1.0}, 1.0, PlainTube(wood));
    }
    // Back posts, leaning back a little.
    AddTube(scene, {{{x * 0.19, 0.42, -0.22}, 0.016}, {{x * 0.18, 0.93, -0.30}, 0.014}},
            {0.0, 0.0, 1.0}, 1.0, PlainTube(wood));
  }
  const Frame back = RotatedFrame({0.0, 0.79, -0.275}, RotationX(-0.15));
  AddBox(scene, back, {0.18, 0.12, 0.014}, 0.3, velvet);
  AddTube(
      scene,
      {{{-0.19, 0.92, -0.3}, 0.018}, {{0.0, 0.935, -0.315}, 0.018}, {{0.19, 0.92, -0.3}, 0.018}},
      {0.0, 1.0, 0.0}, 1.0, PlainTube(wood));
}

}  // namespace qs3::tools::sheets
