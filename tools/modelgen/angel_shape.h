// The angel as an implicit shape: negative inside, positive outside.
//
// Shape units: the figure stands on y = 0 with its head near y = 0.92, faces -z and spreads
// its wings along x and back towards +z. AngelShapeBounds encloses it with a margin, so the
// field is positive on the bounds' faces.
#pragma once

#include "tools/modelgen/vec3.h"

double AngelField(Vec3 p);

struct Bounds {
  Vec3 lo, hi;
};
Bounds AngelShapeBounds();
