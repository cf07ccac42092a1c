// Real spherical harmonics, orthonormal over the sphere, with +Y as the pole (cos theta = y)
// and the azimuth measured as in the scene's direction convention (phi = atan2(-z, x)).
#pragma once

#include "common/vec3.h"

namespace veltrane {

constexpr int kMaxShBands = 8;

// The bands * bands values of bands 0 .. bands - 1 at unit direction d, basis function (l, m)
// at index l * (l + 1) + m. bands is 1 .. kMaxShBands.
void EvaluateShBasis(Vec3d d, int bands, double* out);

}  // namespace veltrane
