// Double-precision 3-vectors for the baker's geometry (light directions, projections).
#pragma once

#include <cmath>

namespace veltrane {

struct Vec3d {
  double x = 0.0, y = 0.0, z = 0.0;
};

inline Vec3d operator+(Vec3d a, Vec3d b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3d operator-(Vec3d a, Vec3d b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3d operator*(double s, Vec3d a) { return {s * a.x, s * a.y, s * a.z}; }
inline double Dot(Vec3d a, Vec3d b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3d Cross(Vec3d a, Vec3d b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3d Normalized(Vec3d a) { return (1.0 / std::sqrt(Dot(a, a))) * a; }

// The scene's direction convention: polar angle theta from +Y, azimuth phi, in degrees.
inline Vec3d DirectionFromDegrees(double theta_deg, double phi_deg) {
  const double t = theta_deg * 0.017453292519943295, p = phi_deg * 0.017453292519943295;
  return {std::sin(t) * std::cos(p), std::cos(t), -std::sin(t) * std::sin(p)};
}

}  // namespace veltrane
