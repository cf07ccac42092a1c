// Direction sets over the upper hemisphere (theta from +Y in [0, 90) degrees): the SRBF
// centres, the fitting samples and the held-out test directions.
#pragma once

#include <cstdint>
#include <vector>

#include "common/vec3.h"

namespace veltrane {

struct SphereAngles {
  float theta_deg;  // polar angle from +Y
  float phi_deg;    // azimuth, from +X towards -Z
};

// Van der Corput radical inverse of i in base 2, in [0, 1).
double RadicalInverse2(uint32_t i);

// The Hammersley set (i / n, radical inverse of i) mapped to the hemisphere with equal area:
// cos theta = 1 - i / n, phi = 360 * radical inverse. Point 0 is the zenith.
std::vector<SphereAngles> HemiHammersley(int n);

// n directions on a Fibonacci spiral, equal area over theta in [0, 90).
std::vector<Vec3d> FibonacciHemisphere(int n);

// n directions with theta in [theta_lo, theta_hi) degrees, equal area, one jittered sample per
// stratum of a sqrt(n)-ish grid in (cos theta, phi); the jitter comes from a fixed seed, so the
// set is the same on every run.
std::vector<Vec3d> JitteredBand(int n, double theta_lo_deg, double theta_hi_deg, uint64_t seed);

// A small deterministic generator (SplitMix64) for the jitter of fixed sample sets.
class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Uniform();  // [0, 1)

 private:
  uint64_t state_;
};

}  // namespace veltrane
