// What the viewer draws of a large object: on a software rasteriser every triangle costs
// setup time whether it covers a pixel or not, so an object of more than
// kDisplayTriangleBudget triangles is drawn from a vertex-clustered copy: vertices in one grid
// cell become one (mean position, mean normal), triangles that collapse vanish. The cell is the
// smallest (from 1/128 of the object's largest extent, growing by the square root of 2) that
// brings the count within budget; at the start-up view an object fills some 150 pixels, so the
// cells stay near a pixel.
#pragma once

#include <cstddef>

#include "scene/object_mesh.h"

namespace veltrane {

constexpr size_t kDisplayTriangleBudget = 8192;

// The mesh itself when within budget, else its clustered copy.
ObjectMesh DisplayMesh(const ObjectMesh& mesh, size_t budget);

}  // namespace veltrane
