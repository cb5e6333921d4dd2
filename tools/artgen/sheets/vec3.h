// Small 3-D vector and rotation helpers for the sprite renderer. Performer
// space: x toward the player's left, y up, z toward the audience; metres.
#pragma once

#include <cmath>

namespace qs3::tools::sheets {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a) {
  return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(double s, Vec3 a) {
  return a * s;
}
inline Vec3 operator/(Vec3 a, double s) {
  return {a.x / s, a.y / s, a.z / s};
}
inline Vec3& operator+=(Vec3& a, Vec3 b) {
  return a = a + b;
}

inline double Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) {
  return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a) {
  const double length = Length(a);
  return length > 1e-12 ? a / length : Vec3{0.0, 1.0, 0.0};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, double t) {
  return a + (b - a) * t;
}
inline double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}
inline double Clamp01(double v) {
  return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}
inline double SmoothStep(double edge0, double edge1, double v) {
  const double t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}

// Rotation matrix, rows applied to column vectors.
struct Mat3 {
  Vec3 r0{1.0, 0.0, 0.0};
  Vec3 r1{0.0, 1.0, 0.0};
  Vec3 r2{0.0, 0.0, 1.0};

  Vec3 operator*(Vec3 v) const { return {Dot(r0, v), Dot(r1, v), Dot(r2, v)}; }
  Mat3 operator*(const Mat3& m) const {
    const Vec3 c0{m.r0.x, m.r1.x, m.r2.x};
    const Vec3 c1{m.r0.y, m.r1.y, m.r2.y};
    const Vec3 c2{m.r0.z, m.r1.z, m.r2.z};
    return {{Dot(r0, c0), Dot(r0, c1), Dot(r0, c2)},
            {Dot(r1, c0), Dot(r1, c1), Dot(r1, c2)},
            {Dot(r2, c0), Dot(r2, c1), Dot(r2, c2)}};
  }
};

// Turns about the x axis: positive tips +y toward +z (a forward bow of the head).
inline Mat3 RotationX(double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {{1.0, 0.0, 0.0}, {0.0, c, -s}, {0.0, s, c}};
}
// Turns about the vertical: positive turns +z (the face) toward +x.
inline Mat3 RotationY(double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {{c, 0.0, s}, {0.0, 1.0, 0.0}, {-s, 0.0, c}};
}
// Turns about the z axis: positive tips +y toward +x.
inline Mat3 RotationZ(double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {{c, s, 0.0}, {-s, c, 0.0}, {0.0, 0.0, 1.0}};
}

// An orthonormal frame placed in space: local (a, b, c) maps to
// origin + a·x + b·y + c·z.
struct Frame {
  Vec3 origin;
  Vec3 x{1.0, 0.0, 0.0};
  Vec3 y{0.0, 1.0, 0.0};
  Vec3 z{0.0, 0.0, 1.0};

  Vec3 At(double a, double b, double c) const { return origin + x * a + y * b + z * c; }
  Vec3 Dir(double a, double b, double c) const { return x * a + y * b + z * c; }
};

// Frame whose x, y, z are the rotated unit axes.
inline Frame RotatedFrame(Vec3 origin, const Mat3& m) {
  return {origin, m * Vec3{1.0, 0.0, 0.0}, m * Vec3{0.0, 1.0, 0.0}, m * Vec3{0.0, 0.0, 1.0}};
}

// A frame with `forward` as its y axis and `up` bent square to it as z.
inline Frame AxisFrame(Vec3 origin, Vec3 along, Vec3 up) {
  const Vec3 y = Normalize(along);
  const Vec3 z = Normalize(up - y * Dot(up, y));
  return {origin, Cross(y, z), y, z};
}

}  // namespace qs3::tools::sheets
