#include "tools/bake/srbf_basis.h"

#include <cmath>

#include "relight/srbf_kernel.h"
#include "tools/bake/sh_basis.h"

namespace veltrane {
namespace {

// The dot product as the viewer forms it: single precision, accumulated in the order x, y, z.
float ViewerDot(Vec3d l, Vec3d c) {
  float sum = static_cast<float>(l.x) * static_cast<float>(c.x);
  sum += static_cast<float>(l.y) * static_cast<float>(c.y);
  sum += static_cast<float>(l.z) * static_cast<float>(c.z);
  return sum;
}

}  // namespace

Vec3d CentreDirection(const SphereAngles& centre) {
  const float theta = centre.theta_deg * 0.017453292f;
  const float phi = centre.phi_deg * 0.017453292f;
  float v[3] = {static_cast<float>(std::cos(phi) * std::sin(theta)),
                static_cast<float>(std::cos(theta)),
                static_cast<float>(-(std::sin(phi) * std::sin(theta)))};
  for (float& c : v) {
    if (std::fabs(static_cast<double>(c)) < 0.0001) c = 0.0f;
  }
  const float factor = static_cast<float>(
      1.0 / std::sqrt(static_cast<double>(v[0]) * v[0] + static_cast<double>(v[1]) * v[1] +
                      static_cast<double>(v[2]) * v[2]));
  return {static_cast<float>(v[0] * factor), static_cast<float>(v[1] * factor),
          static_cast<float>(v[2] * factor)};
}

std::vector<double> SrbfDesignMatrix(const std::vector<Vec3d>& directions,
                                     const std::vector<Vec3d>& centres, float sigma) {
  const size_t n = centres.size();
  std::vector<double> phi(directions.size() * n);
  for (size_t k = 0; k < directions.size(); ++k) {
    for (size_t i = 0; i < n; ++i) {
      phi[k * n + i] = SrbfKernelValue(ViewerDot(directions[k], centres[i]), sigma);
    }
  }
  return phi;
}

void SrbfKernelRow(Vec3d l, const std::vector<Vec3d>& centres, float sigma, float* out) {
  for (size_t i = 0; i < centres.size(); ++i) out[i] = SrbfKernelValue(ViewerDot(l, centres[i]), sigma);
}

std::vector<double> ShDesignMatrix(const std::vector<Vec3d>& directions, int bands) {
  const size_t n = static_cast<size_t>(bands) * bands;
  std::vector<double> phi(directions.size() * n);
  for (size_t k = 0; k < directions.size(); ++k) EvaluateShBasis(directions[k], bands, &phi[k * n]);
  return phi;
}

}  // namespace veltrane
