#include "tools/modelgen/edge_flip.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>

#include "tools/modelgen/simplify.h"

namespace {

using Edge = std::pair<int, int>;  // directed

class Flipper {
 public:
  explicit Flipper(Mesh& mesh) : mesh_(mesh) {
    neighbours_.resize(mesh.positions.size());
    for (int f = 0; f < static_cast<int>(mesh.triangles.size()); ++f) Attach(f);
  }

  // One sweep over all edges; returns the number of flips.
  int Sweep(double min_cos) {
    int flips = 0;
    for (int f = 0; f < static_cast<int>(mesh_.triangles.size()); ++f) {
      for (int c = 0; c < 3; ++c) {
        const Triangle& t = mesh_.triangles[f];
        int a = t[c], b = t[(c + 1) % 3];
        if (a < b && TryFlip(a, b, min_cos)) {
          ++flips;
          break;  // triangle f has changed
        }
      }
    }
    return flips;
  }

 private:
  Vec3d P(int v) const { return mesh_.positions[v]; }

  void Attach(int f) {
    const Triangle& t = mesh_.triangles[f];
    for (int c = 0; c < 3; ++c) {
      face_of_edge_[{t[c], t[(c + 1) % 3]}] = f;
      neighbours_[t[c]].insert(t[(c + 1) % 3]);
      neighbours_[t[(c + 1) % 3]].insert(t[c]);
    }
  }

  void Detach(int f) {
    const Triangle& t = mesh_.triangles[f];
    for (int c = 0; c < 3; ++c) face_of_edge_.erase({t[c], t[(c + 1) % 3]});
  }

  static int Opposite(const Triangle& t, int a, int b) {
    for (int v : t) {
      if (v != a && v != b) return v;
    }
    return -1;
  }

  bool TryFlip(int a, int b, double min_cos) {
    auto first = face_of_edge_.find({a, b}), second = face_of_edge_.find({b, a});
    if (first == face_of_edge_.end() || second == face_of_edge_.end()) return false;
    int f1 = first->second, f2 = second->second;
    int c = Opposite(mesh_.triangles[f1], a, b), d = Opposite(mesh_.triangles[f2], a, b);
    if (c == d || neighbours_[c].count(d) != 0) return false;
    if (neighbours_[a].size() <= 3 || neighbours_[b].size() <= 3) return false;
    Vec3d n1 = Normalized(TriangleNormalArea(P(a), P(b), P(c)));
    Vec3d n2 = Normalized(TriangleNormalArea(P(b), P(a), P(d)));
    if (Dot(n1, n2) < min_cos) return false;
    Vec3d m1 = Normalized(TriangleNormalArea(P(a), P(d), P(c)));
    Vec3d m2 = Normalized(TriangleNormalArea(P(d), P(b), P(c)));
    Vec3d mean = Normalized(n1 + n2);
    if (Dot(m1, mean) < min_cos || Dot(m2, mean) < min_cos) return false;
    double before = std::min(TriangleQuality(P(a), P(b), P(c)), TriangleQuality(P(b), P(a), P(d)));
    double after = std::min(TriangleQuality(P(a), P(d), P(c)), TriangleQuality(P(d), P(b), P(c)));
    if (after <= before * 1.05) return false;
    Detach(f1);
    Detach(f2);
    neighbours_[a].erase(b);
    neighbours_[b].erase(a);
    mesh_.triangles[f1] = {a, d, c};
    mesh_.triangles[f2] = {d, b, c};
    Attach(f1);
    Attach(f2);
    return true;
  }

  Mesh& mesh_;
  std::map<Edge, int> face_of_edge_;
  std::vector<std::set<int>> neighbours_;
};

}  // namespace

int ImproveByEdgeFlips(Mesh& mesh, double flat_degrees) {
  const double kPi = 3.14159265358979323846;
  Flipper flipper(mesh);
  int total = 0;
  for (int sweep = 0; sweep < 100; ++sweep) {
    int flips = flipper.Sweep(std::cos(flat_degrees * kPi / 180.0));
    total += flips;
    if (flips == 0) break;
  }
  return total;
}
