// Double-precision 3-vectors for the offline geometry: the baker's directions and projections,
// the model generator's meshes.
#pragma once

#include <cmath>

namespace veltrane {

struct Vec3d {
  double x = 0.0, y = 0.0, z = 0.0;
};

inline Vec3d operator+(Vec3d a, Vec3d b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3d operator-(Vec3d a, Vec3d b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3d operator*(Vec3d a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3d operator*(double s, Vec3d a) { return a * s; }
inline Vec3d& operator+=(Vec3d& a, Vec3d b) { return a = a + b; }
inline double Dot(Vec3d a, Vec3d b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3d Cross(Vec3d a, Vec3d b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3d a) { return std::sqrt(Dot(a, a)); }
// The zero vector stays zero rather than turning into NaNs.
inline Vec3d Normalized(Vec3d a) {
  const double len = Length(a);
  return len > 0 ? a * (1.0 / len) : Vec3d{};
}
inline Vec3d Lerp(Vec3d a, Vec3d b, double t) { return a + (b - a) * t; }

// Twice the area vector of triangle abc; its direction is the counter-clockwise normal.
inline Vec3d TriangleNormalArea(Vec3d a, Vec3d b, Vec3d c) { return Cross(b - a, c - a); }

}  // namespace veltrane
