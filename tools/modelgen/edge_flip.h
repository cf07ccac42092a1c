// Improving the triangles of a closed manifold mesh without changing its shape.
#pragma once

#include "tools/modelgen/mesh.h"

// Flips the diagonal of pairs of nearly coplanar triangles (within flat_degrees of each other)
// where the other diagonal gives a better worst triangle, until no such pair is left. The
// vertex count, the genus and the orientation stay as they were. Returns the number of flips.
int ImproveByEdgeFlips(Mesh& mesh, double flat_degrees);
