#include "tools/bake/srbf_basis.h"

#include "relight/center_directions.h"
#include "relight/matrix.h"
#include "relight/srbf_kernel.h"
#include "relight/vec4.h"
#include "tools/bake/sh_basis.h"

namespace veltrane {
namespace {

// The centres as the viewer holds them: a 3 x N table of float directions, one per column.
void CentreTable(const std::vector<Vec3d>& centres, Matrix* table) {
  table->Allocate(3, static_cast<int>(centres.size()));
  for (size_t i = 0; i < centres.size(); ++i) {
    table->data[0][i] = static_cast<float>(centres[i].x);
    table->data[1][i] = static_cast<float>(centres[i].y);
    table->data[2][i] = static_cast<float>(centres[i].z);
  }
}

void KernelRow(Vec3d l, const Matrix& centres, float sigma, float* out) {
  const float light[3] = {static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(l.z)};
  EvaluateSrbfKernels(light, centres, sigma, centres.cols, out);
}

}  // namespace

Vec3d CentreDirection(const SphereAngles& centre) {
  Vec4 d = LightFrameCenterDirection(centre.theta_deg * kCenterRadiansPerDegree,
                                     centre.phi_deg * kCenterRadiansPerDegree);
  VecNormalize(d);
  return {d.x, d.y, d.z};
}

std::vector<double> SrbfDesignMatrix(const std::vector<Vec3d>& directions,
                                     const std::vector<Vec3d>& centres, float sigma) {
  const size_t n = centres.size();
  Matrix table;
  CentreTable(centres, &table);
  std::vector<float> row(n);
  std::vector<double> phi(directions.size() * n);
  for (size_t k = 0; k < directions.size(); ++k) {
    KernelRow(directions[k], table, sigma, row.data());
    for (size_t i = 0; i < n; ++i) phi[k * n + i] = row[i];
  }
  return phi;
}

void SrbfKernelRow(Vec3d l, const std::vector<Vec3d>& centres, float sigma, float* out) {
  Matrix table;
  CentreTable(centres, &table);
  KernelRow(l, table, sigma, out);
}

std::vector<double> ShDesignMatrix(const std::vector<Vec3d>& directions, int bands) {
  const size_t n = static_cast<size_t>(bands) * bands;
  std::vector<double> phi(directions.size() * n);
  for (size_t k = 0; k < directions.size(); ++k) EvaluateShBasis(directions[k], bands, &phi[k * n]);
  return phi;
}

}  // namespace veltrane
