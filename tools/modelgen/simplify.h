// Edge-collapse simplification of closed manifold meshes by quadric error.
#pragma once

#include "tools/modelgen/mesh.h"

// Collapses edges of the closed 2-manifold `mesh`, cheapest quadric error first, until it has
// `target_vertices` positions. A collapse is taken only when it keeps the mesh a closed
// 2-manifold of the same genus (the endpoints share exactly the two neighbours of the edge's
// triangles), turns no triangle over and leaves no triangle of lower quality than
// `min_quality` (1 for equilateral, 0 for degenerate) unless it was already worse. Returns
// false, with the mesh as far as it got, when no allowed collapse is left before the target.
bool SimplifyMesh(Mesh& mesh, int target_vertices, double min_quality);

// 4 sqrt(3) area / sum of squared edge lengths: 1 for an equilateral triangle, 0 when flat.
double TriangleQuality(Vec3d a, Vec3d b, Vec3d c);
