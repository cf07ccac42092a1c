// Per-corner normals of a triangle mesh.
#pragma once

#include <vector>

#include "tools/modelgen/mesh.h"

// Unit normals, three per triangle in triangle order. A corner's normal is the area-weighted
// mean of the normals of the triangles around its position that meet its own triangle at less
// than crease_degrees, so the surface is shaded smooth across soft edges and stays sharp
// across creases.
std::vector<Vec3d> CornerNormals(const Mesh& mesh, double crease_degrees);
