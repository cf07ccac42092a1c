// Surface extraction from a scalar field by marching tetrahedra.
#pragma once

#include <functional>

#include "tools/modelgen/mesh.h"

// Samples field on a regular grid of cubes of edge `cell` covering [lo, hi] and returns the
// surface field = 0 around the region field < 0, wound counter-clockwise seen from where the
// field is positive. Every cube is split into the same six tetrahedra around its main diagonal,
// so neighbouring cubes agree on their shared faces and the result is a closed 2-manifold as
// long as the field is positive on the grid's border. Crossing points are shared by the
// triangles of all tetrahedra around a grid edge.
Mesh MarchTetrahedra(const std::function<double(Vec3d)>& field, Vec3d lo, Vec3d hi, double cell);
