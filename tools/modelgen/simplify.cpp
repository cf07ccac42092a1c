#include "tools/modelgen/simplify.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

// Symmetric 4x4 matrix of the squared distance to a set of planes:
// xx xy xz xw yy yz yw zz zw ww.
struct Quadric {
  double q[10] = {};

  static Quadric Plane(Vec3d n, double d, double weight) {
    Quadric r;
    double p[4] = {n.x, n.y, n.z, d};
    int k = 0;
    for (int i = 0; i < 4; ++i) {
      for (int j = i; j < 4; ++j) r.q[k++] = weight * p[i] * p[j];
    }
    return r;
  }
  Quadric& operator+=(const Quadric& o) {
    for (int i = 0; i < 10; ++i) q[i] += o.q[i];
    return *this;
  }
  double Error(Vec3d v) const {
    return q[0] * v.x * v.x + 2 * q[1] * v.x * v.y + 2 * q[2] * v.x * v.z + 2 * q[3] * v.x +
           q[4] * v.y * v.y + 2 * q[5] * v.y * v.z + 2 * q[6] * v.y + q[7] * v.z * v.z +
           2 * q[8] * v.z + q[9];
  }
  // The point of least error, when the system is well conditioned.
  bool Minimum(Vec3d* v) const {
    double a = q[0], b = q[1], c = q[2], d = q[4], e = q[5], f = q[7];
    double det = a * (d * f - e * e) - b * (b * f - c * e) + c * (b * e - c * d);
    double scale = std::fabs(a * d * f) + 1e-30;
    if (std::fabs(det) < 1e-9 * scale) return false;
    double rx = -q[3], ry = -q[6], rz = -q[8];
    v->x = (rx * (d * f - e * e) - b * (ry * f - e * rz) + c * (ry * e - d * rz)) / det;
    v->y = (a * (ry * f - e * rz) - rx * (b * f - c * e) + c * (b * rz - ry * c)) / det;
    v->z = (a * (d * rz - ry * e) - b * (b * rz - ry * c) + rx * (b * e - c * d)) / det;
    return true;
  }
};

struct Candidate {
  double cost;
  int u, v;
  unsigned stamp_u, stamp_v;
  Vec3d position;
  bool operator>(const Candidate& o) const { return cost > o.cost; }
};

class Simplifier {
 public:
  Simplifier(Mesh& mesh, double min_quality) : mesh_(mesh), min_quality_(min_quality) {
    size_t count = mesh.positions.size();
    alive_.assign(count, 1);
    stamp_.assign(count, 0);
    quadric_.resize(count);
    faces_of_.resize(count);
    face_alive_.assign(mesh.triangles.size(), 1);
    for (int f = 0; f < static_cast<int>(mesh.triangles.size()); ++f) {
      const Triangle& t = mesh.triangles[f];
      Vec3d na = TriangleNormalArea(P(t[0]), P(t[1]), P(t[2]));
      double area2 = Length(na);
      if (area2 > 0) {
        Vec3d n = na * (1.0 / area2);
        Quadric plane = Quadric::Plane(n, -Dot(n, P(t[0])), area2);
        for (int v : t) quadric_[v] += plane;
      }
      for (int v : t) faces_of_[v].push_back(f);
    }
    live_vertices_ = static_cast<int>(count);
  }

  bool Run(int target) {
    // Refused collapses may become allowed once their surroundings change, so the edges are
    // queued again in rounds until a round collapses nothing.
    bool progress = true;
    while (live_vertices_ > target && progress) {
      progress = false;
      for (int v = 0; v < static_cast<int>(alive_.size()); ++v) {
        if (alive_[v]) PushEdgesOf(v, /*only_greater=*/true);
      }
      while (live_vertices_ > target && !heap_.empty()) {
        Candidate c = heap_.top();
        heap_.pop();
        if (!alive_[c.u] || !alive_[c.v] || stamp_[c.u] != c.stamp_u || stamp_[c.v] != c.stamp_v) continue;
        if (!CanCollapse(c.u, c.v, c.position)) continue;
        Collapse(c.u, c.v, c.position);
        progress = true;
      }
      heap_ = {};
    }
    Compact();
    return live_vertices_ == target;
  }

 private:
  Vec3d P(int v) const { return mesh_.positions[v]; }

  std::vector<int> Neighbours(int v) const {
    std::vector<int> n;
    for (int f : faces_of_[v]) {
      for (int w : mesh_.triangles[f]) {
        if (w != v) n.push_back(w);
      }
    }
    std::sort(n.begin(), n.end());
    n.erase(std::unique(n.begin(), n.end()), n.end());
    return n;
  }

  void PushEdge(int u, int v) {
    Quadric q = quadric_[u];
    q += quadric_[v];
    Vec3d best = Lerp(P(u), P(v), 0.5);
    double best_cost = q.Error(best);
    Vec3d options[3] = {P(u), P(v), {}};
    int count = 2;
    if (q.Minimum(&options[2])) {
      // Only trust the optimum near the edge; far away it is a numerical artefact.
      double reach = Length(P(u) - P(v));
      if (Length(options[2] - best) < 2 * reach) count = 3;
    }
    for (int i = 0; i < count; ++i) {
      double cost = q.Error(options[i]);
      if (cost < best_cost) best_cost = cost, best = options[i];
    }
    // Prefer short edges among those of equal error, so that flat regions stay even.
    best_cost += 1e-6 * Dot(P(u) - P(v), P(u) - P(v));
    heap_.push({best_cost, u, v, stamp_[u], stamp_[v], best});
  }

  void PushEdgesOf(int v, bool only_greater) {
    for (int w : Neighbours(v)) {
      if (!only_greater || w > v) PushEdge(v, w);
    }
  }

  // Triangle f with vertex `from` moved to `to`, as the three positions.
  void Moved(int f, int from_a, int from_b, Vec3d to, Vec3d out[3]) const {
    const Triangle& t = mesh_.triangles[f];
    for (int c = 0; c < 3; ++c) out[c] = (t[c] == from_a || t[c] == from_b) ? to : P(t[c]);
  }

  bool CanCollapse(int u, int v, Vec3d to) const {
    std::vector<int> nu = Neighbours(u), nv = Neighbours(v), common;
    std::set_intersection(nu.begin(), nu.end(), nv.begin(), nv.end(), std::back_inserter(common));
    if (common.size() != 2) return false;
    // Both sides must keep more than a tetrahedron's worth of vertices.
    if (live_vertices_ <= 4) return false;
    for (int end : {u, v}) {
      for (int f : faces_of_[end]) {
        const Triangle& t = mesh_.triangles[f];
        bool shared = (t[0] == u || t[1] == u || t[2] == u) && (t[0] == v || t[1] == v || t[2] == v);
        if (shared) continue;
        Vec3d after[3];
        Moved(f, u, v, to, after);
        Vec3d n_before = Normalized(TriangleNormalArea(P(t[0]), P(t[1]), P(t[2])));
        Vec3d n_after = TriangleNormalArea(after[0], after[1], after[2]);
        if (Length(n_after) <= 0 || Dot(n_before, Normalized(n_after)) < 0.3) return false;
        double q_after = TriangleQuality(after[0], after[1], after[2]);
        if (q_after < min_quality_ && q_after < TriangleQuality(P(t[0]), P(t[1]), P(t[2]))) return false;
      }
    }
    return true;
  }

  void Collapse(int u, int v, Vec3d to) {
    for (int f : faces_of_[v]) {
      Triangle& t = mesh_.triangles[f];
      bool has_u = t[0] == u || t[1] == u || t[2] == u;
      if (has_u) {
        face_alive_[f] = 0;
        for (int w : t) {
          if (w != v && w != u) {
            auto& list = faces_of_[w];
            list.erase(std::remove(list.begin(), list.end(), f), list.end());
          }
        }
      } else {
        for (int& w : t) {
          if (w == v) w = u;
        }
        faces_of_[u].push_back(f);
      }
    }
    auto& list_u = faces_of_[u];
    list_u.erase(std::remove_if(list_u.begin(), list_u.end(), [&](int f) { return !face_alive_[f]; }),
                 list_u.end());
    faces_of_[v].clear();
    alive_[v] = 0;
    --live_vertices_;
    mesh_.positions[u] = to;
    quadric_[u] += quadric_[v];
    ++stamp_[u];
    PushEdgesOf(u, false);
  }

  void Compact() {
    std::vector<int> renumber(mesh_.positions.size(), -1);
    Mesh out;
    for (size_t v = 0; v < mesh_.positions.size(); ++v) {
      if (!alive_[v]) continue;
      renumber[v] = static_cast<int>(out.positions.size());
      out.positions.push_back(mesh_.positions[v]);
    }
    for (size_t f = 0; f < mesh_.triangles.size(); ++f) {
      if (!face_alive_[f]) continue;
      const Triangle& t = mesh_.triangles[f];
      out.triangles.push_back({renumber[t[0]], renumber[t[1]], renumber[t[2]]});
    }
    mesh_ = std::move(out);
  }

  Mesh& mesh_;
  double min_quality_;
  std::vector<char> alive_, face_alive_;
  std::vector<unsigned> stamp_;
  std::vector<Quadric> quadric_;
  std::vector<std::vector<int>> faces_of_;
  int live_vertices_ = 0;
  std::priority_queue<Candidate, std::vector<Candidate>, std::greater<Candidate>> heap_;
};

}  // namespace

double TriangleQuality(Vec3d a, Vec3d b, Vec3d c) {
  double area = 0.5 * Length(TriangleNormalArea(a, b, c));
  double sum = Dot(b - a, b - a) + Dot(c - b, c - b) + Dot(a - c, a - c);
  return sum > 0 ? 4 * std::sqrt(3.0) * area / sum : 0;
}

bool SimplifyMesh(Mesh& mesh, int target_vertices, double min_quality) {
  Simplifier simplifier(mesh, min_quality);
  return simplifier.Run(target_vertices);
}
