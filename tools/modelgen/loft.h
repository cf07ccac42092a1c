// Closed or open solids made of horizontal rings of vertices joined by bands of quads: boxes,
// slabs and turned (lathe) pieces.
#pragma once

#include <vector>

#include "tools/modelgen/mesh.h"

// One horizontal ring; its points run counter-clockwise seen from above (+y).
using Ring = std::vector<Vec3d>;

enum class Cap {
  kOpen,     // left open (the end is hidden inside another piece)
  kPolygon,  // closed by a fan of triangles from the ring's first point
  kCentre,   // closed by a fan from an extra point at the ring's centre, `cap_offset` above it
};

struct LoftEnd {
  Cap cap = Cap::kOpen;
  double cap_offset = 0;
};

// Appends to `mesh` the rings (listed bottom to top, all with the same point count) and the
// bands between them, closing the bottom and top as asked, all wound counter-clockwise seen
// from outside. Positions are appended ring by ring, then the cap centres; triangles are the
// bottom cap, the bands from the bottom up, then the top cap.
void AppendLoft(Mesh& mesh, const std::vector<Ring>& rings, LoftEnd bottom, LoftEnd top);

// A ring of `sides` points on a circle of `radius` around (cx, y, cz).
Ring CircleRing(double cx, double y, double cz, double radius, int sides);

// The four corners of the rectangle [x0, x1] x [z0, z1] at height y: (x0, z1), (x1, z1),
// (x1, z0), (x0, z0).
Ring RectangleRing(double x0, double x1, double y, double z0, double z1);
