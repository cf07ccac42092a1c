#include "tools/modelgen/loft.h"

#include <cmath>

namespace {

Vec3d Centre(const Ring& ring) {
  Vec3d sum;
  for (const Vec3d& p : ring) sum += p;
  return sum * (1.0 / ring.size());
}

// Closes ring `first`..`first + n - 1`; facing up when `up`, else down.
void AppendCap(Mesh& mesh, int first, const Ring& ring, LoftEnd end, bool up) {
  const int n = static_cast<int>(ring.size());
  auto add = [&](int a, int b, int c) {
    if (up) {
      mesh.triangles.push_back({a, b, c});
    } else {
      mesh.triangles.push_back({a, c, b});
    }
  };
  if (end.cap == Cap::kPolygon) {
    for (int i = 1; i + 1 < n; ++i) add(first, first + i, first + i + 1);
  } else if (end.cap == Cap::kCentre) {
    int centre = static_cast<int>(mesh.positions.size());
    Vec3d c = Centre(ring);
    c.y += end.cap_offset;
    mesh.positions.push_back(c);
    for (int i = 0; i < n; ++i) add(centre, first + i, first + (i + 1) % n);
  }
}

}  // namespace

void AppendLoft(Mesh& mesh, const std::vector<Ring>& rings, LoftEnd bottom, LoftEnd top) {
  const int n = static_cast<int>(rings[0].size());
  const int base = static_cast<int>(mesh.positions.size());
  for (const Ring& ring : rings) mesh.positions.insert(mesh.positions.end(), ring.begin(), ring.end());
  AppendCap(mesh, base, rings.front(), bottom, false);
  for (size_t r = 0; r + 1 < rings.size(); ++r) {
    int lower = base + static_cast<int>(r) * n, upper = lower + n;
    for (int i = 0; i < n; ++i) {
      int j = (i + 1) % n;
      mesh.triangles.push_back({upper + i, lower + i, lower + j});
      mesh.triangles.push_back({upper + i, lower + j, upper + j});
    }
  }
  AppendCap(mesh, base + static_cast<int>(rings.size() - 1) * n, rings.back(), top, true);
}

Ring CircleRing(double cx, double y, double cz, double radius, int sides) {
  const double kPi = 3.14159265358979323846;
  Ring ring;
  for (int i = 0; i < sides; ++i) {
    double angle = -2 * kPi * (i + 0.5) / sides;
    ring.push_back({cx + radius * std::cos(angle), y, cz + radius * std::sin(angle)});
  }
  return ring;
}

Ring RectangleRing(double x0, double x1, double y, double z0, double z1) {
  return {{x0, y, z1}, {x1, y, z1}, {x1, y, z0}, {x0, y, z0}};
}
