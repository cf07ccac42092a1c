#include "tools/bake/shadow_raster.h"

#include <algorithm>
#include <cmath>

namespace veltrane {

TexelGrid FullGrid(int width, int height) { return {width, height, width, height, 0.0, 0.0, 1.0}; }

TexelGrid SubsampledGrid(int width, int height, int step) {
  TexelGrid g;
  const int offset = (step - 1) / 2;
  g.width = width > offset ? (width - 1 - offset) / step + 1 : 0;
  g.height = height > offset ? (height - 1 - offset) / step + 1 : 0;
  g.map_width = width;
  g.map_height = height;
  g.x0 = g.r0 = offset;
  g.step = step;
  return g;
}

std::vector<Triangle3> ClipAbovePlane(const std::vector<Triangle3>& triangles, double plane_y) {
  std::vector<Triangle3> out;
  for (const Triangle3& t : triangles) {
    Vec3d poly[4];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
      const Vec3d& p = t[i];
      const Vec3d& q = t[(i + 1) % 3];
      const double dp = p.y - plane_y, dq = q.y - plane_y;
      if (dp >= 0.0) poly[n++] = p;
      if ((dp >= 0.0) != (dq >= 0.0)) {
        const double f = dp / (dp - dq);
        poly[n++] = p + f * (q - p);
        poly[n - 1].y = plane_y;
      }
    }
    for (int i = 1; i + 1 < n; ++i) out.push_back({poly[0], poly[i], poly[i + 1]});
  }
  return out;
}

void RasteriseTriangle(const double a[2], const double b[2], const double c[2], int width,
                       int height, uint32_t id, uint32_t* stamp, uint8_t* count) {
  const double area = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
  if (!(area != 0.0) || !std::isfinite(area)) return;
  const double ymin = std::min({a[1], b[1], c[1]}), ymax = std::max({a[1], b[1], c[1]});
  const double xmin = std::min({a[0], b[0], c[0]}), xmax = std::max({a[0], b[0], c[0]});
  if (ymax < 0.0 || xmax < 0.0 || ymin > height - 1 || xmin > width - 1) return;
  const int j0 = std::max(0, static_cast<int>(std::ceil(ymin)));
  const int j1 = std::min(height - 1, static_cast<int>(std::floor(ymax)));

  // Edge functions e(i, j) = ea * i + eb * j + ec, signed so that the inside is e >= 0 for all
  // three: a cell centre on an edge counts as inside.
  const double* v[3] = {a, b, c};
  const double sign = area > 0.0 ? 1.0 : -1.0;
  double ea[3], eb[3], ec[3];
  for (int e = 0; e < 3; ++e) {
    const double* p = v[e];
    const double* q = v[(e + 1) % 3];
    ea[e] = -sign * (q[1] - p[1]);
    eb[e] = sign * (q[0] - p[0]);
    ec[e] = -(ea[e] * p[0] + eb[e] * p[1]);
  }
  for (int j = j0; j <= j1; ++j) {
    // Each edge bounds the row's run from one side; the exact test decides the run's ends.
    double lo = -1.0, hi = width;
    bool empty = false;
    double row[3];
    for (int e = 0; e < 3; ++e) {
      row[e] = eb[e] * j + ec[e];
      if (ea[e] > 0.0) {
        lo = std::max(lo, -row[e] / ea[e]);
      } else if (ea[e] < 0.0) {
        hi = std::min(hi, -row[e] / ea[e]);
      } else if (row[e] < 0.0) {
        empty = true;
      }
    }
    if (empty || lo > hi + 1.0) continue;
    auto inside = [&](int i) {
      return ea[0] * i + row[0] >= 0.0 && ea[1] * i + row[1] >= 0.0 && ea[2] * i + row[2] >= 0.0;
    };
    int i0 = std::max(0, static_cast<int>(std::ceil(lo)));
    int i1 = std::min(width - 1, static_cast<int>(std::floor(hi)));
    while (i0 > 0 && inside(i0 - 1)) --i0;
    while (i0 <= i1 && !inside(i0)) ++i0;
    while (i1 < width - 1 && i1 >= i0 && inside(i1 + 1)) ++i1;
    while (i1 >= i0 && !inside(i1)) --i1;
    uint32_t* srow = stamp + static_cast<size_t>(j) * width;
    uint8_t* crow = count + static_cast<size_t>(j) * width;
    for (int i = i0; i <= i1; ++i) {
      if (srow[i] != id) {
        srow[i] = id;
        ++crow[i];
      }
    }
  }
}

void AccumulateShadow(const std::vector<Triangle3>& triangles, bool front_faces_only,
                      const TableTopMap& map, Vec3d l, const TexelGrid& grid, uint32_t id,
                      uint32_t* stamp, uint8_t* count) {
  const double inv_ly = 1.0 / l.y;
  for (const Triangle3& t : triangles) {
    if (front_faces_only && Dot(Cross(t[1] - t[0], t[2] - t[0]), l) < 0.0) continue;
    double uv[3][2];
    for (int k = 0; k < 3; ++k) {
      const double along = (t[k].y - map.plane_y) * inv_ly;
      double x, r;
      TablePointToTexel(map, grid.map_width, grid.map_height, t[k].x - along * l.x,
                        t[k].z - along * l.z, &x, &r);
      uv[k][0] = (x - grid.x0) / grid.step;
      uv[k][1] = (r - grid.r0) / grid.step;
    }
    RasteriseTriangle(uv[0], uv[1], uv[2], grid.width, grid.height, id, stamp, count);
  }
}

}  // namespace veltrane
