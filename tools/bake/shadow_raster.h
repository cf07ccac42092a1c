// Shadow coverage on the table-top light map: occluder triangles are carried along the light
// direction onto the table plane and rasterised with an exact point-in-triangle test at texel
// centres.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/vec3.h"
#include "tools/bake/table_top_map.h"

namespace veltrane {

using Triangle3 = std::array<Vec3d, 3>;

// Which texels are evaluated: grid cell (i, j) is the map texel (x0 + i * step, r0 + j * step)
// of a map_width x map_height light map. The full map is {W, H, W, H, 0, 0, 1}.
struct TexelGrid {
  int width = 0, height = 0;
  int map_width = 0, map_height = 0;
  double x0 = 0.0, r0 = 0.0, step = 1.0;
};

TexelGrid FullGrid(int width, int height);
// Every step-th texel in both directions, starting in the middle of the first step.
TexelGrid SubsampledGrid(int width, int height, int step);

// The parts of triangles on or above the plane y = plane_y (the rest cannot shade the top),
// as triangles.
std::vector<Triangle3> ClipAbovePlane(const std::vector<Triangle3>& triangles, double plane_y);

// Marks the grid cells covered by the 2-D triangle (a, b, c), given in grid coordinates
// (cell (i, j) has its centre at (i, j)). A cell whose centre lies on an edge counts as
// covered. Every covered cell gets stamp[cell] = id; the first time a cell receives id,
// count[cell] is increased by one.
void RasteriseTriangle(const double a[2], const double b[2], const double c[2], int width,
                       int height, uint32_t id, uint32_t* stamp, uint8_t* count);

// Projects each triangle (all on or above the plane) along light direction l (l.y > 0) onto
// the table plane and rasterises it into the grid with RasteriseTriangle: afterwards count[cell]
// is one higher for every cell that the light from l cannot reach.
//
// With front_faces_only, triangles whose winding (counter-clockwise seen from outside) turns
// them away from the light are skipped: for closed surfaces every blocked ray leaves the solid
// through a face turned towards the light, so those faces alone cast the whole shadow.
void AccumulateShadow(const std::vector<Triangle3>& triangles, bool front_faces_only,
                      const TableTopMap& map, Vec3d l, const TexelGrid& grid, uint32_t id,
                      uint32_t* stamp, uint8_t* count);

}  // namespace veltrane
