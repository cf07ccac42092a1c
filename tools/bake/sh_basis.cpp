#include "tools/bake/sh_basis.h"

#include <algorithm>
#include <cmath>

namespace veltrane {
namespace {
constexpr double kPi = 3.14159265358979323846;

double Factorial(int n) {
  double f = 1.0;
  for (int i = 2; i <= n; ++i) f *= i;
  return f;
}
}  // namespace

void EvaluateShBasis(Vec3d d, int bands, double* out) {
  const double x = std::clamp(d.y, -1.0, 1.0);
  const double sin_theta = std::sqrt(std::max(0.0, 1.0 - x * x));
  const double phi = std::atan2(-d.z, d.x);
  // Associated Legendre functions P_l^m(x), m >= 0, by the standard recurrences.
  double p[kMaxShBands][kMaxShBands] = {};
  double pmm = 1.0;
  for (int m = 0; m < bands; ++m) {
    if (m > 0) pmm *= -(2.0 * m - 1.0) * sin_theta;
    p[m][m] = pmm;
    if (m + 1 < bands) p[m + 1][m] = x * (2.0 * m + 1.0) * pmm;
    for (int l = m + 2; l < bands; ++l) {
      p[l][m] = ((2.0 * l - 1.0) * x * p[l - 1][m] - (l + m - 1.0) * p[l - 2][m]) / (l - m);
    }
  }
  for (int l = 0; l < bands; ++l) {
    for (int m = -l; m <= l; ++m) {
      const int am = std::abs(m);
      const double k = std::sqrt((2.0 * l + 1.0) / (4.0 * kPi) * Factorial(l - am) / Factorial(l + am));
      double v;
      if (m == 0) {
        v = k * p[l][0];
      } else if (m > 0) {
        v = std::sqrt(2.0) * k * std::cos(m * phi) * p[l][m];
      } else {
        v = std::sqrt(2.0) * k * std::sin(am * phi) * p[l][am];
      }
      out[l * (l + 1) + m] = v;
    }
  }
}

}  // namespace veltrane
