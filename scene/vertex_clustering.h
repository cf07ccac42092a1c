// What the two vertex-clustering simplifiers share (the viewer's level of detail for a large
// object, scene/object_display.cpp, and the baker's shadow casters, tools/bake/shadow_simplify.cpp):
// the grid cell a point falls in, and the choice of which clustered triangles remain.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace veltrane {

// The key of the grid cell of edge `cell` that holds (x, y, z), the grid starting at origin;
// 21 bits a coordinate.
inline uint64_t GridCellKey(double x, double y, double z, const double origin[3], double cell) {
  const double p[3] = {x, y, z};
  uint64_t key = 0;
  for (int i = 2; i >= 0; --i) {
    key = key << 21 | (static_cast<uint64_t>(std::floor((p[i] - origin[i]) / cell)) & 0x1fffff);
  }
  return key;
}

// Keeps a triangle of cluster ids when its three corners lie in three clusters and no triangle
// with the same three was kept before (in either winding).
class ClusteredTriangles {
 public:
  bool Keep(const std::array<uint32_t, 3>& corners) {
    if (corners[0] == corners[1] || corners[1] == corners[2] || corners[0] == corners[2]) return false;
    std::array<uint32_t, 3> key = corners;
    std::sort(key.begin(), key.end());
    return seen_.insert(key).second;
  }

 private:
  struct Hash {
    size_t operator()(const std::array<uint32_t, 3>& t) const {
      uint64_t h = t[0] * 0x9e3779b97f4a7c15ull;
      h ^= t[1] + 0x7f4a7c159e3779b9ull + (h << 6) + (h >> 2);
      h ^= t[2] + 0x94d049bb133111ebull + (h << 6) + (h >> 2);
      return static_cast<size_t>(h);
    }
  };
  std::unordered_set<std::array<uint32_t, 3>, Hash> seen_;
};

}  // namespace veltrane
