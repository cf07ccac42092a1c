// Fewer shadow casters for a large mesh: vertex clustering on a grid. Every corner moves to the
// mean of the corners in its grid cell; triangles whose corners fall into fewer than three
// cells vanish, and repeated ones are kept once. The cell starts at first_cell and doubles
// by a factor of the square root of 2 until at most budget triangles remain, so no corner moves by more than a cell's diagonal:
// the light's disc blurs the shadow over many texels, and a cell of a few texels does not show.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/bake/shadow_raster.h"

namespace veltrane {

// Triangles the shadow stage takes as they are; a mesh with more is clustered down to this.
constexpr size_t kShadowTriangleBudget = 1500;

// The clustered triangles; *cell receives the cell size used (0 when nothing was done because
// the triangles were already within budget).
std::vector<Triangle3> ClusterTriangles(const std::vector<Triangle3>& triangles, size_t budget,
                                        double first_cell, double* cell);

}  // namespace veltrane
