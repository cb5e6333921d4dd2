#include "artgen/sheets/renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "artgen/raster.h"

namespace qs3::tools::sheets {

namespace {

constexpr int kSuper = 3;                  // samples per cell pixel along each axis
constexpr double kPixelsPerMetre = 135.0;  // performer scale in cell pixels
constexpr double kPitch = 0.26;            // the audience looks down on the stage a little
constexpr double kSpacing = 1.0;           // most supersampled pixels between neighbouring splats
constexpr double kShadowCell = 0.005;      // metres per shadow-map texel

const Vec3 kKeyLight = Normalize({-0.35, 1.0, 0.5});   // the spot: above, in front, from the left
const Vec3 kRimLight = Normalize({0.45, 0.75, -0.6});  // a back light that rims the tops

struct Sample {
  Vec3 position;  // stage space
  Vec3 normal;    // stage space, facing the audience's eye
  Look look;
};

struct Camera {
  Mat3 turn;
  double scale = kPixelsPerMetre * kSuper;
  double cosPitch = std::cos(kPitch);
  double sinPitch = std::sin(kPitch);
  double offsetX = 0.0;
  double offsetY = 0.0;

  explicit Camera(const Placement& placement) : turn(RotationY(placement.yaw)) {
    const Vec3 feet = turn * Vec3{0.0, 0.0, placement.feetZ};
    offsetX = placement.anchorX * kSuper;
    offsetY = placement.floorY * kSuper + scale * (feet.y * cosPitch - feet.z * sinPitch);
  }
  Vec3 ToEye() const { return {0.0, sinPitch, cosPitch}; }
  double ScreenX(Vec3 stage) const { return offsetX + scale * stage.x; }
  double ScreenY(Vec3 stage) const {
    return offsetY - scale * (stage.y * cosPitch - stage.z * sinPitch);
  }
  double Nearness(Vec3 stage) const { return stage.z * cosPitch + stage.y * sinPitch; }
};

// Depth of the geometry as seen from the spot, for its shadows. It covers a
// fixed box around the performer, larger than any pose reaches.
class ShadowMap {
 public:
  ShadowMap()
      : towardLight_(kKeyLight),
        across_(Normalize(Cross({0.0, 0.0, 1.0}, kKeyLight))),
        up_(Cross(towardLight_, across_)) {
    minA_ = minB_ = std::numeric_limits<double>::max();
    double maxA = -minA_;
    double maxB = -minB_;
    for (const double x : {-1.2, 1.2}) {
      for (const double y : {-0.2, 2.2}) {
        for (const double z : {-1.2, 1.4}) {
          const Vec3 corner{x, y, z};
          minA_ = std::min(minA_, Dot(corner, across_));
          maxA = std::max(maxA, Dot(corner, across_));
          minB_ = std::min(minB_, Dot(corner, up_));
          maxB = std::max(maxB, Dot(corner, up_));
        }
      }
    }
    width_ = static_cast<int>((maxA - minA_) / kShadowCell) + 2;
    height_ = static_cast<int>((maxB - minB_) / kShadowCell) + 2;
    depth_.assign(static_cast<std::size_t>(width_) * height_, -std::numeric_limits<float>::max());
  }

  // Each sample covers a 2 x 2 block of texels, so that no texel under a
  // surface is left empty when the light grazes it.
  void Add(Vec3 position) {
    const auto depth = static_cast<float>(Dot(position, towardLight_));
    const int a = Column(position);
    const int b = Row(position);
    for (int y = b; y <= std::min(b + 1, height_ - 1); ++y) {
      for (int x = a; x <= std::min(a + 1, width_ - 1); ++x) {
        float& d = depth_[static_cast<std::size_t>(y) * width_ + x];
        d = std::max(d, depth);
      }
    }
  }

  // Fraction 0..1 of the spot that reaches the point (3 x 3 filtered).
  double LitFraction(Vec3 position, Vec3 normal) const {
    const Vec3 p = position + normal * 0.006;
    const double own = Dot(p, towardLight_) + 0.018;
    const int a = Column(p);
    const int b = Row(p);
    int lit = 0;
    for (int db = -1; db <= 1; ++db) {
      for (int da = -1; da <= 1; ++da) {
        const int x = std::clamp(a + da, 0, width_ - 1);
        const int y = std::clamp(b + db, 0, height_ - 1);
        if (depth_[static_cast<std::size_t>(y) * width_ + x] <= own) ++lit;
      }
    }
    return lit / 9.0;
  }

 private:
  int Column(Vec3 p) const {
    return std::clamp(static_cast<int>((Dot(p, across_) - minA_) / kShadowCell), 0, width_ - 1);
  }
  int Row(Vec3 p) const {
    return std::clamp(static_cast<int>((Dot(p, up_) - minB_) / kShadowCell), 0, height_ - 1);
  }

  Vec3 towardLight_;
  Vec3 across_;
  Vec3 up_;
  double minA_ = 0.0;
  double minB_ = 0.0;
  int width_ = 1;
  int height_ = 1;
  std::vector<float> depth_;
};

// The nearest sample under each supersampled pixel.
struct Raster {
  int width = kCellWidth * kSuper;
  int height = kCellHeight * kSuper;
  std::vector<float> nearness = std::vector<float>(static_cast<std::size_t>(width) * height,
                                                   -std::numeric_limits<float>::max());
  std::vector<Sample> samples = std::vector<Sample>(static_cast<std::size_t>(width) * height);

  bool Covered(std::size_t index) const { return nearness[index] > -1e30f; }
};

// Length of the surface along u and along v at its most stretched: the
// longest step of a coarse probe grid, times the number of steps.
std::array<double, 2> ProbeExtents(const Surface& surface) {
  constexpr int kProbe = 12;
  std::array<std::array<Vec3, kProbe + 1>, kProbe + 1> grid;
  for (int i = 0; i <= kProbe; ++i) {
    for (int j = 0; j <= kProbe; ++j)
      grid[i][j] = surface.at(double(i) / kProbe, double(j) / kProbe);
  }
  double stepU = 0.0;
  double stepV = 0.0;
  for (int k = 0; k <= kProbe; ++k) {
    for (int m = 0; m < kProbe; ++m) {
      stepU = std::max(stepU, Length(grid[m + 1][k] - grid[m][k]));
      stepV = std::max(stepV, Length(grid[k][m + 1] - grid[k][m]));
    }
  }
  return {stepU * kProbe, stepV * kProbe};
}

// Normal of a sampled grid from its neighbours, turned toward the eye: only
// the side that faces the audience can be seen.
Vec3 GridNormal(const std::vector<Vec3>& points, int nu, int nv, int i, int j, Vec3 toEye,
                Vec3 fallback) {
  const Vec3 du = points[std::min(i + 1, nu - 1) * nv + j] - points[std::max(i - 1, 0) * nv + j];
  const Vec3 dv = points[i * nv + std::min(j + 1, nv - 1)] - points[i * nv + std::max(j - 1, 0)];
  const Vec3 cross = Cross(du, dv);
  // Poles and creases have no tangent plane of their own: they borrow one.
  const Vec3 normal = Length(cross) > 1e-14 ? Normalize(cross) : fallback;
  return Dot(normal, toEye) < 0.0 ? -normal : normal;
}

// Samples one surface densely enough to leave no holes and splats every
// sample into the shadow map and the raster.
void SplatSurface(const Surface& surface, const Camera& camera, ShadowMap& shadows, Raster& raster,
                  std::vector<Vec3>& points) {
  const auto [lengthU, lengthV] = ProbeExtents(surface);
  const double spacing = kSpacing / camera.scale;
  const int nu = std::clamp(static_cast<int>(std::ceil(lengthU / spacing)) + 2, 3, 6000);
  const int nv = std::clamp(static_cast<int>(std::ceil(lengthV / spacing)) + 2, 3, 6000);
  points.resize(static_cast<std::size_t>(nu) * nv);
  for (int i = 0; i < nu; ++i) {
    for (int j = 0; j < nv; ++j) {
      points[i * nv + j] = camera.turn * surface.at(double(i) / (nu - 1), double(j) / (nv - 1));
    }
  }
  Vec3 lastNormal{0.0, 0.0, 1.0};
  for (int i = 0; i < nu; ++i) {
    for (int j = 0; j < nv; ++j) {
      const Vec3 p = points[i * nv + j];
      const int x = static_cast<int>(std::floor(camera.ScreenX(p) + 0.5));
      const int y = static_cast<int>(std::floor(camera.ScreenY(p) + 0.5));
      const bool onRaster = x >= 0 && y >= 0 && x < raster.width && y < raster.height;
      const std::size_t index = onRaster ? static_cast<std::size_t>(y) * raster.width + x : 0;
      const auto near = static_cast<float>(camera.Nearness(p));
      const bool nearest = onRaster && near > raster.nearness[index];
      // Hidden samples still cast shadows; their looks matter only for holes.
      if (!nearest && !surface.mayHide) {
        shadows.Add(p);
        continue;
      }
      const Look look = surface.look(double(i) / (nu - 1), double(j) / (nv - 1));
      if (!look.visible) continue;
      shadows.Add(p);
      if (!nearest) continue;
      lastNormal = GridNormal(points, nu, nv, i, j, camera.ToEye(), lastNormal);
      raster.nearness[index] = near;
      raster.samples[index] = {p, lastNormal, look};
    }
  }
}

// Light level of a sample, before occlusion.
double LightLevel(const Sample& s, const ShadowMap& shadows, Vec3 toEye) {
  const double wrapped = std::max(0.0, (Dot(s.normal, kKeyLight) + 0.25) / 1.25);
  const double lit = 0.3 + 0.7 * shadows.LitFraction(s.position, s.normal);
  // The spot is centred on the players' heads and falls off toward the floor.
  const double spot = std::clamp(0.6 + 0.4 * s.position.y / 1.25, 0.6, 1.05);
  const double facing = std::max(0.0, Dot(s.normal, toEye));
  const double rim = (1.0 - facing) * (1.0 - facing) * std::max(0.0, Dot(s.normal, kRimLight));
  const Vec3 half = Normalize(kKeyLight + toEye);
  double specular = 0.0;
  if (s.look.gloss > 0.0) {
    const double c = std::max(0.0, Dot(s.normal, half));
    const double c4 = c * c * c * c;
    const double c32 = c4 * c4 * c4 * c4 * c4 * c4 * c4 * c4;
    specular = s.look.gloss * c32 * c4 * lit;
  }
  return (0.24 + 0.62 * wrapped * lit * spot + 0.3 * rim) * s.look.tone + specular;
}

// Darkening of a pixel close beside the edge of something nearer: keeps a
// sleeve apart from a jacket of the same cloth.
double Occlusion(const Raster& raster, int x, int y) {
  static constexpr std::array<std::array<int, 2>, 8> kDirections{
      {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}}};
  const float own = raster.nearness[static_cast<std::size_t>(y) * raster.width + x];
  double strongest = 0.0;
  for (const auto& direction : kDirections) {
    for (int reach = 1; reach <= 3; ++reach) {
      const int nx = x + direction[0] * reach * kSuper / 2;
      const int ny = y + direction[1] * reach * kSuper / 2;
      if (nx < 0 || ny < 0 || nx >= raster.width || ny >= raster.height) break;
      const double step = raster.nearness[static_cast<std::size_t>(ny) * raster.width + nx] - own;
      if (step < 0.03) continue;
      strongest = std::max(strongest, (1.0 - reach / 4.0) * std::min(1.0, (step - 0.03) / 0.06));
    }
  }
  return strongest;
}

// The colour of one supersample: its material at the light it gets.
Colour Shade(const Raster& raster, const ShadowMap& shadows, const Camera& camera, int px, int py) {
  const Sample& s = raster.samples[static_cast<std::size_t>(py) * raster.width + px];
  const double level =
      LightLevel(s, shadows, camera.ToEye()) * (1.0 - 0.3 * Occlusion(raster, px, py));
  return MaterialColour(s.look.material, level);
}

// Averages the supersamples of every cell pixel into premultiplied ARGB, so
// that partly covered edge pixels blend into the black stage.
CairoSurface Resolve(const Raster& raster, const ShadowMap& shadows, const Camera& camera) {
  CairoSurface surface = MakeArgbSurface(kCellWidth, kCellHeight);
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  constexpr double kCount = kSuper * kSuper;
  for (int y = 0; y < kCellHeight; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < kCellWidth; ++x) {
      Colour sum;
      int covered = 0;
      for (int py = y * kSuper; py < (y + 1) * kSuper; ++py) {
        for (int px = x * kSuper; px < (x + 1) * kSuper; ++px) {
          if (!raster.Covered(static_cast<std::size_t>(py) * raster.width + px)) continue;
          const Colour c = Shade(raster, shadows, camera, px, py);
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
          ++covered;
        }
      }
      const auto channel = [&](double v) {
        return static_cast<std::uint32_t>(std::lround(v / kCount));
      };
      const auto alpha = static_cast<std::uint32_t>(std::lround(255.0 * covered / kCount));
      row[x] = alpha << 24 | channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

}  // namespace

IndexedImage RenderCell(const Scene& scene, const Placement& placement, const Palette& palette) {
  const Camera camera(placement);
  ShadowMap shadows;
  Raster raster;
  std::vector<Vec3> points;
  for (const Surface& surface : scene) SplatSurface(surface, camera, shadows, raster, points);
  const CairoSurface surface = Resolve(raster, shadows, camera);
  return QuantizeSurface(surface.get(), palette, QuantizeOptions{});
}

}  // namespace qs3::tools::sheets
