#include "tools/bake/sphere_sets.h"

#include <algorithm>
#include <cmath>

namespace veltrane {
namespace {
constexpr double kPi = 3.14159265358979323846;
}

uint64_t SplitMix64::Next() {
  uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

double SplitMix64::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double RadicalInverse2(uint32_t i) {
  i = (i << 16) | (i >> 16);
  i = ((i & 0x55555555u) << 1) | ((i & 0xAAAAAAAAu) >> 1);
  i = ((i & 0x33333333u) << 2) | ((i & 0xCCCCCCCCu) >> 2);
  i = ((i & 0x0F0F0F0Fu) << 4) | ((i & 0xF0F0F0F0u) >> 4);
  i = ((i & 0x00FF00FFu) << 8) | ((i & 0xFF00FF00u) >> 8);
  return static_cast<double>(i) * (1.0 / 4294967296.0);
}

std::vector<SphereAngles> HemiHammersley(int n) {
  std::vector<SphereAngles> out;
  for (int i = 0; i < n; ++i) {
    const double cos_theta = 1.0 - static_cast<double>(i) / n;
    const double theta = std::acos(cos_theta) * (180.0 / kPi);
    const double phi = 360.0 * RadicalInverse2(static_cast<uint32_t>(i));
    out.push_back({static_cast<float>(theta), static_cast<float>(phi)});
  }
  return out;
}

std::vector<Vec3d> FibonacciHemisphere(int n) {
  const double golden_angle = kPi * (3.0 - std::sqrt(5.0));
  std::vector<Vec3d> out;
  for (int i = 0; i < n; ++i) {
    const double y = 1.0 - (i + 0.5) / n;
    const double r = std::sqrt(std::max(0.0, 1.0 - y * y));
    const double phi = golden_angle * i;
    out.push_back({r * std::cos(phi), y, -r * std::sin(phi)});
  }
  return out;
}

std::vector<Vec3d> JitteredBand(int n, double theta_lo_deg, double theta_hi_deg, uint64_t seed) {
  std::vector<Vec3d> out;
  if (n <= 0) return out;
  SplitMix64 rng(seed);
  const double y_hi = std::cos(theta_lo_deg * kPi / 180.0);
  const double y_lo = std::cos(theta_hi_deg * kPi / 180.0);
  // Strata: rows in cos theta, columns in phi, enough cells for n; n of them are used, spread
  // evenly through the cell order.
  const int rows = std::max(1, static_cast<int>(std::floor(std::sqrt(n / 4.0))));
  const int cols = (n + rows - 1) / rows;
  const int cells = rows * cols;
  for (int k = 0; k < n; ++k) {
    const int cell = static_cast<int>(static_cast<long long>(k) * cells / n);
    const int row = cell / cols, col = cell % cols;
    const double y = y_hi - (y_hi - y_lo) * (row + rng.Uniform()) / rows;
    const double phi = 2.0 * kPi * (col + rng.Uniform()) / cols;
    const double r = std::sqrt(std::max(0.0, 1.0 - y * y));
    out.push_back({r * std::cos(phi), y, -r * std::sin(phi)});
  }
  return out;
}

}  // namespace veltrane
