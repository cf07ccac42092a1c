#include <cmath>

#include "codec/dct_transform.h"

namespace veltrane {
namespace {

// basis[u][x] = C(u) / 2 * cos((2x + 1) u pi / 16), C(0) = 1 / sqrt(2), C(k) = 1.
struct DctBasis {
  double m[8][8];
  DctBasis() {
    const double pi = std::acos(-1.0);
    for (int u = 0; u < 8; ++u) {
      const double c = u == 0 ? std::sqrt(0.5) : 1.0;
      for (int x = 0; x < 8; ++x) m[u][x] = 0.5 * c * std::cos((2 * x + 1) * u * pi / 16);
    }
  }
};

const DctBasis& Basis() {
  static const DctBasis basis;
  return basis;
}

}  // namespace

void ForwardDctBlock(const float* in, size_t in_stride, double coeff[64]) {
  const auto& b = Basis().m;
  double rows[8][8];  // rows[y][u]: each row transformed along x
  for (int y = 0; y < 8; ++y) {
    const float* row = in + static_cast<size_t>(y) * in_stride;
    for (int u = 0; u < 8; ++u) {
      double sum = 0;
      for (int x = 0; x < 8; ++x) sum += b[u][x] * row[x];
      rows[y][u] = sum;
    }
  }
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double sum = 0;
      for (int y = 0; y < 8; ++y) sum += b[v][y] * rows[y][u];
      coeff[8 * v + u] = sum;
    }
  }
}

}  // namespace veltrane
