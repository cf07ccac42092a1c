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
  // Coarser cells until the copy fits. A cell so coarse that nothing is left (a small body far
  // from a stray part, or many tiny separate triangles) sends the search back between the last
  // cell that kept too much and that one; after 64 tries the smallest copy kept is drawn.
  constexpr double kStep = 1.4142135623730951;
  double too_fine = 0.0, too_coarse = 0.0;
  ObjectMesh smallest = mesh;
  double cell = extent / 128.0;
  for (int tries = 0; tries < 64; ++tries) {
    ObjectMesh out = Cluster(mesh, b, cell);
    const size_t count = out.TriangleCount();
    if (count > 0 && count <= budget) return out;
    if (count > budget) {
      too_fine = cell;
      if (count < smallest.TriangleCount()) smallest = std::move(out);
    } else {
      too_coarse = cell;
    }
    if (too_coarse == 0.0) cell *= kStep;
    else cell = too_fine > 0.0 ? std::sqrt(too_fine * too_coarse) : cell / (kStep * kStep * kStep * kStep);
  }
  return smallest;
}

}  // namespace veltrane
