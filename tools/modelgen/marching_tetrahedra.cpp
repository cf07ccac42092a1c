#include "tools/modelgen/marching_tetrahedra.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {

struct Grid {
  int nx, ny, nz;  // nodes per axis
  Vec3d lo;
  double cell;
  std::vector<double> value;

  int64_t Index(int i, int j, int k) const { return (static_cast<int64_t>(k) * ny + j) * nx + i; }
  Vec3d Node(int64_t n) const {
    int i = static_cast<int>(n % nx), j = static_cast<int>((n / nx) % ny);
    int k = static_cast<int>(n / (static_cast<int64_t>(nx) * ny));
    return {lo.x + i * cell, lo.y + j * cell, lo.z + k * cell};
  }
};

// A field value of exactly zero counts as outside, so no crossing lies on a grid node.
bool Inside(double v) { return v < 0; }

class Extractor {
 public:
  explicit Extractor(const Grid& grid) : grid_(grid) {}

  // Adds the surface inside the tetrahedron with grid nodes n[0..3].
  void Tetrahedron(const int64_t n[4]) {
    int in[4], out[4], ins = 0, outs = 0;
    for (int c = 0; c < 4; ++c) (Inside(grid_.value[n[c]]) ? in[ins++] : out[outs++]) = c;
    if (ins == 0 || outs == 0) return;
    if (ins == 1) {
      Emit(n, {in[0], out[0]}, {in[0], out[1]}, {in[0], out[2]});
    } else if (ins == 3) {
      Emit(n, {in[0], out[0]}, {in[1], out[0]}, {in[2], out[0]});
    } else {
      // The crossings on a-c, a-d, b-d, b-c form a quadrilateral in this cyclic order.
      Emit(n, {in[0], out[0]}, {in[0], out[1]}, {in[1], out[1]});
      Emit(n, {in[0], out[0]}, {in[1], out[1]}, {in[1], out[0]});
    }
  }

  Mesh Take() { return std::move(mesh_); }

 private:
  struct Crossing {
    int inside, outside;  // corners of the tetrahedron
  };

  int Vertex(int64_t inside, int64_t outside) {
    int64_t a = std::min(inside, outside), b = std::max(inside, outside);
    int64_t key = a * static_cast<int64_t>(grid_.value.size()) + b;
    auto found = vertices_.find(key);
    if (found != vertices_.end()) return found->second;
    double fa = grid_.value[inside], fb = grid_.value[outside];
    // Keep crossings off the nodes so that no two of them coincide.
    double t = std::clamp(fa / (fa - fb), 1e-3, 1.0 - 1e-3);
    int id = static_cast<int>(mesh_.positions.size());
    mesh_.positions.push_back(Lerp(grid_.Node(inside), grid_.Node(outside), t));
    vertices_.emplace(key, id);
    return id;
  }

  void Emit(const int64_t n[4], Crossing p, Crossing q, Crossing r) {
    Triangle t = {Vertex(n[p.inside], n[p.outside]), Vertex(n[q.inside], n[q.outside]),
                  Vertex(n[r.inside], n[r.outside])};
    // The triangle's plane separates p's inside corner from its outside corner; the normal
    // must point to the outside one.
    Vec3d normal = TriangleNormalArea(mesh_.positions[t[0]], mesh_.positions[t[1]], mesh_.positions[t[2]]);
    if (Dot(normal, grid_.Node(n[p.outside]) - grid_.Node(n[p.inside])) < 0) std::swap(t[1], t[2]);
    mesh_.triangles.push_back(t);
  }

  const Grid& grid_;
  Mesh mesh_;
  std::unordered_map<int64_t, int> vertices_;  // grid edge -> crossing
};

}  // namespace

Mesh MarchTetrahedra(const std::function<double(Vec3d)>& field, Vec3d lo, Vec3d hi, double cell) {
  Grid grid;
  grid.lo = lo;
  grid.cell = cell;
  grid.nx = static_cast<int>(std::ceil((hi.x - lo.x) / cell)) + 1;
  grid.ny = static_cast<int>(std::ceil((hi.y - lo.y) / cell)) + 1;
  grid.nz = static_cast<int>(std::ceil((hi.z - lo.z) / cell)) + 1;
  grid.value.resize(static_cast<size_t>(grid.nx) * grid.ny * grid.nz);
  for (int64_t n = 0; n < static_cast<int64_t>(grid.value.size()); ++n) grid.value[n] = field(grid.Node(n));

  // The six tetrahedra of a cube, each a monotone path from corner 000 to corner 111.
  static const int kAxes[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  Extractor extractor(grid);
  for (int k = 0; k + 1 < grid.nz; ++k) {
    for (int j = 0; j + 1 < grid.ny; ++j) {
      for (int i = 0; i + 1 < grid.nx; ++i) {
        for (const auto& axes : kAxes) {
          int step[3] = {0, 0, 0};
          int64_t n[4];
          n[0] = grid.Index(i, j, k);
          for (int s = 0; s < 3; ++s) {
            step[axes[s]] = 1;
            n[s + 1] = grid.Index(i + step[0], j + step[1], k + step[2]);
          }
          extractor.Tetrahedron(n);
        }
      }
    }
  }
  return extractor.Take();
}
