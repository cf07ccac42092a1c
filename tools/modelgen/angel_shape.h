// The angel as an implicit shape: negative inside, positive outside.
//
// Shape units: the figure stands on y = 0 with its head near y = 0.92, faces -z and spreads
// its wings along x and back towards +z. AngelShapeBounds encloses it with a margin, so the
// field is positive on the bounds' faces.
#pragma once

#include "common/vec3.h"

using veltrane::Vec3d;

double AngelField(Vec3d p);

struct Bounds {
  Vec3d lo, hi;
};
Bounds AngelShapeBounds();
