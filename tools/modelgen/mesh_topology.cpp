#include "tools/modelgen/mesh_topology.h"

#include <cstdint>
#include <map>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace {

uint64_t EdgeKey(int a, int b) { return (static_cast<uint64_t>(a) << 32) | static_cast<uint32_t>(b); }

int FindRoot(std::vector<int>& parent, int i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

// Component label of every triangle; triangles sharing an edge share a label.
std::vector<int> TriangleComponents(const Mesh& mesh) {
  std::vector<int> parent(mesh.triangles.size());
  std::iota(parent.begin(), parent.end(), 0);
  std::unordered_map<uint64_t, int> first_with_edge;
  for (int f = 0; f < static_cast<int>(mesh.triangles.size()); ++f) {
    const Triangle& t = mesh.triangles[f];
    for (int c = 0; c < 3; ++c) {
      int a = t[c], b = t[(c + 1) % 3];
      uint64_t key = EdgeKey(std::min(a, b), std::max(a, b));
      auto [it, inserted] = first_with_edge.emplace(key, f);
      if (!inserted) parent[FindRoot(parent, f)] = FindRoot(parent, it->second);
    }
  }
  for (int f = 0; f < static_cast<int>(parent.size()); ++f) parent[f] = FindRoot(parent, f);
  return parent;
}

// True when the triangles around every vertex form a single fan (one cycle of link edges).
bool SingleFanPerVertex(const Mesh& mesh) {
  std::vector<std::unordered_map<int, int>> link(mesh.positions.size());
  for (const Triangle& t : mesh.triangles) {
    for (int c = 0; c < 3; ++c) link[t[c]][t[(c + 1) % 3]] = t[(c + 2) % 3];
  }
  for (const auto& next : link) {
    if (next.empty()) continue;
    int start = next.begin()->first, at = start;
    size_t steps = 0;
    do {
      auto it = next.find(at);
      if (it == next.end()) return false;
      at = it->second;
      ++steps;
    } while (at != start && steps <= next.size());
    if (at != start || steps != next.size()) return false;
  }
  return true;
}

}  // namespace

Topology AnalyseTopology(const Mesh& mesh) {
  Topology topo;
  topo.faces = static_cast<int>(mesh.triangles.size());
  std::vector<char> used(mesh.positions.size(), 0);
  std::unordered_map<uint64_t, int> directed;
  bool ok = true;
  for (const Triangle& t : mesh.triangles) {
    for (int c = 0; c < 3; ++c) {
      used[t[c]] = 1;
      if (++directed[EdgeKey(t[c], t[(c + 1) % 3])] > 1) ok = false;
    }
  }
  for (const auto& [key, count] : directed) {
    int a = static_cast<int>(key >> 32), b = static_cast<int>(key & 0xffffffffu);
    if (directed.count(EdgeKey(b, a)) == 0) {
      ok = false;
      ++topo.edges;
    } else if (a < b) {
      ++topo.edges;
    }
  }
  for (char u : used) (u ? topo.vertices : topo.unused_positions) += 1;
  std::vector<int> labels = TriangleComponents(mesh);
  std::vector<char> root(labels.size(), 0);
  for (int l : labels) root[l] = 1;
  for (char r : root) topo.components += r;
  topo.closed_manifold = ok && SingleFanPerVertex(mesh);
  return topo;
}

Mesh LargestComponent(const Mesh& mesh) {
  std::vector<int> labels = TriangleComponents(mesh);
  std::map<int, int> sizes;
  for (int l : labels) ++sizes[l];
  int best = -1, best_size = 0;
  for (const auto& [label, size] : sizes) {
    if (size > best_size) best = label, best_size = size;
  }
  Mesh out;
  std::vector<int> renumber(mesh.positions.size(), -1);
  for (size_t f = 0; f < mesh.triangles.size(); ++f) {
    if (labels[f] != best) continue;
    for (int v : mesh.triangles[f]) renumber[v] = 0;
  }
  for (size_t v = 0; v < mesh.positions.size(); ++v) {
    if (renumber[v] < 0) continue;
    renumber[v] = static_cast<int>(out.positions.size());
    out.positions.push_back(mesh.positions[v]);
  }
  for (size_t f = 0; f < mesh.triangles.size(); ++f) {
    if (labels[f] != best) continue;
    const Triangle& t = mesh.triangles[f];
    out.triangles.push_back({renumber[t[0]], renumber[t[1]], renumber[t[2]]});
  }
  return out;
}
