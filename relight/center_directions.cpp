#include "relight/center_directions.h"

#include <cmath>

#include "relight/description.h"
#include "relight/globals.h"
#include "relight/matrix.h"

namespace {

float ZeroIfTiny(float v) { return std::fabs(static_cast<double>(v)) < 0.0001 ? 0.0f : v; }

}  // namespace

Vec4 LightFrameCenterDirection(float theta_rad, float phi_rad) {
  const Vec4 d = DirectionFromAngles(theta_rad, phi_rad);
  return Vec4{ZeroIfTiny(d.x), ZeroIfTiny(d.y), ZeroIfTiny(d.z), 1.0f};
}

void PrepareCenterDirections(const RelightDescription& description, int count) {
  Matrix theta;
  Matrix phi;
  theta.Allocate(1, count);
  phi.Allocate(1, count);
  G_SRBF_center_dir.Allocate(3, count);
  for (int i = 0; i < count; ++i) {
    theta.data[0][i] = description.srbf_centers[i]->theta;
    phi.data[0][i] = description.srbf_centers[i]->phi;
  }
  theta.Scale(kCenterRadiansPerDegree);
  phi.Scale(kCenterRadiansPerDegree);

  for (int i = 0; i < count; ++i) {
    const Vec4 d = LightFrameCenterDirection(theta.data[0][i], phi.data[0][i]);
    G_SRBF_center_dir.data[0][i] = d.x;
    G_SRBF_center_dir.data[1][i] = d.y;
    G_SRBF_center_dir.data[2][i] = d.z;
  }
  for (int i = 0; i < count; ++i) {
    Vec4 source = {G_SRBF_center_dir.data[0][i], G_SRBF_center_dir.data[1][i], G_SRBF_center_dir.data[2][i], 1.0f};
    Vec4 eye = {};
    TransformLightEyeDir(source, eye);
    VecNormalize(eye);
    G_SRBF_center_dir.data[0][i] = eye.x;
    G_SRBF_center_dir.data[1][i] = eye.y;
    G_SRBF_center_dir.data[2][i] = eye.z;
  }
}
