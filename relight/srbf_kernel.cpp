#include "relight/srbf_kernel.h"

#include <cmath>

#include "relight/globals.h"

float SrbfKernelValue(float dot, float sigma) {
  double d = dot;
  if (std::isnan(d)) return 0.0f;
  if (d > 1.0) d = 1.0;
  if (d < -1.0) d = -1.0;
  double theta = std::acos(d);
  double sigma2 = static_cast<double>(sigma) * sigma;
  if (sigma2 == 0.0) return theta == 0.0 ? 1.0f : 0.0f;
  return static_cast<float>(std::exp(-(theta * theta) / (2.0 * sigma2)));
}

void EvaluateSrbfKernels(const float light_dir[3], int count, float* out) {
  EvaluateSrbfKernels(light_dir, G_SRBF_center_dir, srbf_spread, count, out);
}

void EvaluateSrbfKernels(const float light_dir[3], const Matrix& centers, float sigma, int count, float* out) {
  if (count <= 0) return;
  Matrix light;
  light.Allocate(1, 3);
  for (int k = 0; k < 3; ++k) light.data[0][k] = light_dir[k];
  Matrix dots;
  dots.Multiply(light, centers);
  int known = count < dots.cols ? count : dots.cols;
  for (int i = 0; i < known; ++i) out[i] = SrbfKernelValue(dots.data[0][i], sigma);
  for (int i = known; i < count; ++i) out[i] = 0.0f;
}
