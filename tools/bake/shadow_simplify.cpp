#include "tools/bake/shadow_simplify.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace veltrane {
namespace {

struct TripleHash {
  size_t operator()(const std::array<uint32_t, 3>& t) const {
    uint64_t h = t[0] * 0x9e3779b97f4a7c15ull;
    h ^= t[1] + 0x7f4a7c159e3779b9ull + (h << 6) + (h >> 2);
    h ^= t[2] + 0x94d049bb133111ebull + (h << 6) + (h >> 2);
    return static_cast<size_t>(h);
  }
};

std::vector<Triangle3> ClusterOnce(const std::vector<Triangle3>& triangles, Vec3d origin, double cell) {
  std::unordered_map<uint64_t, uint32_t> ids;
  std::vector<Vec3d> sums;
  std::vector<uint32_t> counts;
  std::vector<std::array<uint32_t, 3>> corners(triangles.size());
  ids.reserve(triangles.size());
  for (size_t t = 0; t < triangles.size(); ++t) {
    for (int c = 0; c < 3; ++c) {
      const Vec3d p = triangles[t][c];
      const uint64_t i = static_cast<uint64_t>(std::floor((p.x - origin.x) / cell)) & 0x1fffff;
      const uint64_t j = static_cast<uint64_t>(std::floor((p.y - origin.y) / cell)) & 0x1fffff;
      const uint64_t k = static_cast<uint64_t>(std::floor((p.z - origin.z) / cell)) & 0x1fffff;
      const auto inserted = ids.emplace(i | j << 21 | k << 42, static_cast<uint32_t>(sums.size()));
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
  std::unordered_set<std::array<uint32_t, 3>, TripleHash> seen;
  std::vector<Triangle3> out;
  for (const auto& t : corners) {
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
    std::array<uint32_t, 3> key = t;
    std::sort(key.begin(), key.end());
    if (!seen.insert(key).second) continue;
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
