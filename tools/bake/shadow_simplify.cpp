#include "tools/bake/shadow_simplify.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "scene/vertex_clustering.h"

namespace veltrane {
namespace {

std::vector<Triangle3> ClusterOnce(const std::vector<Triangle3>& triangles, Vec3d origin, double cell) {
  std::unordered_map<uint64_t, uint32_t> ids;
  std::vector<Vec3d> sums;
  std::vector<uint32_t> counts;
  std::vector<std::array<uint32_t, 3>> corners(triangles.size());
  ids.reserve(triangles.size());
  const double grid_origin[3] = {origin.x, origin.y, origin.z};
  for (size_t t = 0; t < triangles.size(); ++t) {
    for (int c = 0; c < 3; ++c) {
      const Vec3d p = triangles[t][c];
      const auto inserted = ids.emplace(GridCellKey(p.x, p.y, p.z, grid_origin, cell), static_cast<uint32_t>(sums.size()));
      if (inserted.second) {
        sums.push_back({});
        counts.push_back(0);
      }
      const uint32_t id = inserted.first->second;
      sums[id] += p;
      ++counts[id];
      corners[t][c] = id;
    }
  }
  ClusteredTriangles kept;
  std::vector<Triangle3> out;
  for (const auto& t : corners) {
    if (!kept.Keep(t)) continue;
    Triangle3 triangle;
    for (int c = 0; c < 3; ++c) triangle[c] = sums[t[c]] * (1.0 / counts[t[c]]);
    out.push_back(triangle);
  }
  return out;
}

}  // namespace

std::vector<Triangle3> ClusterTriangles(const std::vector<Triangle3>& triangles, size_t budget,
                                        double first_cell, double* cell) {
  *cell = 0.0;
  if (triangles.size() <= budget || !(first_cell > 0.0)) return triangles;
  Vec3d origin = triangles[0][0];
  for (const Triangle3& t : triangles) {
    for (const Vec3d& p : t) origin = {std::min(origin.x, p.x), std::min(origin.y, p.y), std::min(origin.z, p.z)};
  }
  std::vector<Triangle3> out;
  for (double size = first_cell;; size *= 1.4142135623730951) {
    out = ClusterOnce(triangles, origin, size);
    *cell = size;
    if (out.size() <= budget) return out;
  }
}

}  // namespace veltrane
