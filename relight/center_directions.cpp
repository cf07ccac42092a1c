#include "relight/center_directions.h"

#include <cmath>

#include "relight/description.h"
#include "relight/globals.h"
#include "relight/matrix.h"
#include "relight/vec4.h"

namespace {

float ZeroIfTiny(double v) { return std::fabs(v) < 0.0001 ? 0.0f : static_cast<float>(v); }

}  // namespace

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
  theta.Scale(0.017453292f);
  phi.Scale(0.017453292f);

  for (int i = 0; i < count; ++i) {
    double t = theta.data[0][i];
    double p = phi.data[0][i];
    G_SRBF_center_dir.data[0][i] = static_cast<float>(std::cos(p) * std::sin(t));
    G_SRBF_center_dir.data[1][i] = static_cast<float>(std::cos(t));
    G_SRBF_center_dir.data[2][i] = static_cast<float>(-(std::sin(p) * std::sin(t)));
  }
  for (int r = 0; r < 3; ++r) {
    for (int i = 0; i < count; ++i) G_SRBF_center_dir.data[r][i] = ZeroIfTiny(G_SRBF_center_dir.data[r][i]);
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
