#include "scene/object_display.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "scene/vertex_clustering.h"

namespace veltrane {
namespace {

ObjectMesh Cluster(const ObjectMesh& mesh, const ObjectBounds& b, double cell) {
  const size_t vertices = mesh.VertexCount();
  std::unordered_map<uint64_t, uint32_t> ids;
  ids.reserve(vertices);
  std::vector<uint32_t> cluster(vertices);
  std::vector<double> sums;  // position x, y, z, normal x, y, z per cluster
  std::vector<uint32_t> counts;
  const double kCorner[3] = {0.0, 0.0, 0.0};
  for (size_t v = 0; v < vertices; ++v) {
    // Offsets from the box's corner in single precision, as the positions are.
    const uint64_t key = GridCellKey(mesh.positions[3 * v] - b.min[0], mesh.positions[3 * v + 1] - b.min[1],
                                     mesh.positions[3 * v + 2] - b.min[2], kCorner, cell);
    const auto inserted = ids.emplace(key, static_cast<uint32_t>(counts.size()));
    if (inserted.second) {
      sums.resize(sums.size() + 6, 0.0);
      counts.push_back(0);
    }
    const uint32_t id = inserted.first->second;
    cluster[v] = id;
    ++counts[id];
    for (int i = 0; i < 3; ++i) {
      sums[6 * id + i] += mesh.positions[3 * v + i];
      sums[6 * id + 3 + i] += mesh.normals[3 * v + i];
    }
  }
  ObjectMesh out;
  out.name = mesh.name;
  out.closed = mesh.closed;
  out.positions.resize(3 * counts.size());
  out.normals.resize(3 * counts.size());
  for (size_t c = 0; c < counts.size(); ++c) {
    double n[3], length = 0.0;
    for (int i = 0; i < 3; ++i) {
      out.positions[3 * c + i] = static_cast<float>(sums[6 * c + i] / counts[c]);
      n[i] = sums[6 * c + 3 + i];
      length += n[i] * n[i];
    }
    length = std::sqrt(length);
    for (int i = 0; i < 3; ++i) {
      out.normals[3 * c + i] = length > 0.0 ? static_cast<float>(n[i] / length) : (i == 1 ? 1.0f : 0.0f);
    }
  }
  ClusteredTriangles kept;
  for (size_t t = 0; t < mesh.TriangleCount(); ++t) {
    const std::array<uint32_t, 3> c = {cluster[mesh.indices[3 * t]], cluster[mesh.indices[3 * t + 1]],
                                       cluster[mesh.indices[3 * t + 2]]};
    if (!kept.Keep(c)) continue;
    out.indices.insert(out.indices.end(), c.begin(), c.end());
  }
  return out;
}

}  // namespace

ObjectMesh DisplayMesh(const ObjectMesh& mesh, size_t budget) {
  if (mesh.TriangleCount() <= budget) return mesh;
  const ObjectBounds b = BoundsOf(mesh);
  double extent = 0.0;
  for (int i = 0; i < 3; ++i) extent = std::max(extent, static_cast<double>(b.max[i]) - b.min[i]);
  for (double cell = extent / 128.0;; cell *= 1.4142135623730951) {
    ObjectMesh out = Cluster(mesh, b, cell);
    if (out.TriangleCount() <= budget && out.TriangleCount() > 0) return out;
  }
}

}  // namespace veltrane
