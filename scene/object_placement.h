// Where an imported object stands: like the built-in angel, on the table top, centred on the
// angel's footprint and as large as fits the angel's bounding box with its proportions kept.
#pragma once

#include "scene/object_mesh.h"

namespace veltrane {

struct ObjectPlacement {
  double scale = 1.0;     // times the size that fits the angel's box
  double turn_deg = 0.0;  // about the vertical (+Y), counter-clockwise seen from above
};

// The built-in angel's bounding box (positions of the angel's faces).
ObjectBounds AngelBounds();

// Turns the mesh about +Y, scales it uniformly so that its box fits the angel's box (times
// placement.scale), moves the box's centre over the angel's footprint centre and its bottom onto
// the table top. Normals turn with it. The mesh must have a box of nonzero size in at least one
// direction.
void PlaceLikeAngel(const ObjectPlacement& placement, ObjectMesh* mesh);

}  // namespace veltrane
