#include "relight/vec4.h"

#include <cmath>

#include "common/direction.h"
#include "relight/globals.h"

namespace {

void SetColumn(Matrix& m, float x, float y, float z, float w) {
  m.Allocate(4, 1);
  m.data[0][0] = x;
  m.data[1][0] = y;
  m.data[2][0] = z;
  m.data[3][0] = w;
}

}  // namespace

void TransformLightEyeDir(const Vec4& source, Vec4& destination) {
  Matrix origin, origin_image;
  SetColumn(origin, 0.0f, 0.0f, 0.0f, 1.0f);
  origin_image.Multiply(light_eye_transform, origin);

  Matrix point, point_image;
  SetColumn(point, source.x, source.y, source.z, source.w);
  point_image.Multiply(light_eye_transform, point);

  destination.x = point_image.data[0][0] - origin_image.data[0][0];
  destination.y = point_image.data[1][0] - origin_image.data[1][0];
  destination.z = point_image.data[2][0] - origin_image.data[2][0];
  destination.w = point_image.data[3][0] - origin_image.data[3][0];
}

double VecLength(const Vec4& v) {
  double x = v.x, y = v.y, z = v.z;
  return std::sqrt(x * x + y * y + z * z);
}

void VecScale(Vec4& v, float factor) {
  v.x = v.x * factor;
  v.y = v.y * factor;
  v.z = v.z * factor;
}

void VecNormalize(Vec4& v) {
  double length = VecLength(v);
  if (length == 0.0) return;
  VecScale(v, static_cast<float>(1.0 / length));
}

Vec4 DirectionFromAngles(double theta_rad, double phi_rad) {
  const veltrane::Vec3d d = veltrane::SphericalDirection(theta_rad, phi_rad);
  return Vec4{static_cast<float>(d.x), static_cast<float>(d.y), static_cast<float>(d.z), 1.0f};
}
