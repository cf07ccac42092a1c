// The SRBF basis as the viewer evaluates it: centre directions from the description's angles,
// and the Gaussian kernel of the angle between a light direction and each centre. Both go
// through the viewer's own code (relight/center_directions.h, relight/srbf_kernel.h), so that
// the fitted maps are weighted at run time by exactly the values they were fitted to.
#pragma once

#include <vector>

#include "common/vec3.h"
#include "tools/bake/sphere_sets.h"

namespace veltrane {

// Unit direction of a centre given in degrees, rounded as the viewer rounds it (identity
// light-eye transform).
Vec3d CentreDirection(const SphereAngles& centre);

// K x N matrix, row by row: kernel value of centre i for direction k (the directions and
// centres rounded to float, the dot products through Matrix::Multiply as in the viewer).
std::vector<double> SrbfDesignMatrix(const std::vector<Vec3d>& directions,
                                     const std::vector<Vec3d>& centres, float sigma);

// One row: the N kernel values for direction l.
void SrbfKernelRow(Vec3d l, const std::vector<Vec3d>& centres, float sigma, float* out);

// K x 25 (bands 0 to 4) real spherical-harmonic design matrix, row by row.
std::vector<double> ShDesignMatrix(const std::vector<Vec3d>& directions, int bands);

}  // namespace veltrane
