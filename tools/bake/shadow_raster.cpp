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
  // three: a cell centre on an edge counts as inside. An edge with ea > 0 bounds a row's run from
  // the left (i >= slope * j + offset), one with ea < 0 from the right; a triangle has at least
  // one of each. An edge with ea = 0 admits whole rows or none.
  const double* v[3] = {a, b, c};
  const double sign = area > 0.0 ? 1.0 : -1.0;
  double ea[3], eb[3], ec[3];
  double left[3][2], right[3][2];
  int lefts = 0, rights = 0;
  for (int e = 0; e < 3; ++e) {
    const double* p = v[e];
    const double* q = v[(e + 1) % 3];
    ea[e] = -sign * (q[1] - p[1]);
    eb[e] = sign * (q[0] - p[0]);
    ec[e] = -(ea[e] * p[0] + eb[e] * p[1]);
    if (ea[e] > 0.0) {
      left[lefts][0] = -eb[e] / ea[e];
      left[lefts++][1] = -ec[e] / ea[e];
    } else if (ea[e] < 0.0) {
      right[rights][0] = -eb[e] / ea[e];
      right[rights++][1] = -ec[e] / ea[e];
    }
  }
  constexpr double kNearInteger = 1e-7;
  for (int j = j0; j <= j1; ++j) {
    bool empty = false;
    for (int e = 0; e < 3; ++e) {
      if (ea[e] == 0.0 && eb[e] * j + ec[e] < 0.0) empty = true;
    }
    if (empty) continue;
    double lo = left[0][0] * j + left[0][1], hi = right[0][0] * j + right[0][1];
    for (int e = 1; e < lefts; ++e) lo = std::max(lo, left[e][0] * j + left[e][1]);
    for (int e = 1; e < rights; ++e) hi = std::min(hi, right[e][0] * j + right[e][1]);
    if (lo > hi + 1.0 || lo > width || hi < -1.0) continue;
    // The bounds decide every centre clearly inside or outside; the exact edge test decides the
    // centres within rounding distance of a bound.
    auto inside = [&](int i) {
      return ea[0] * i + eb[0] * j + ec[0] >= 0.0 && ea[1] * i + eb[1] * j + ec[1] >= 0.0 &&
             ea[2] * i + eb[2] * j + ec[2] >= 0.0;
    };
    int i0 = static_cast<int>(std::ceil(std::max(lo, -1.0)));
    int i1 = static_cast<int>(std::floor(std::min(hi, static_cast<double>(width))));
    if (lo > -1.0 && i0 - lo > 1.0 - kNearInteger && inside(i0 - 1)) --i0;
    if (lo > -1.0 && i0 - lo < kNearInteger && !inside(i0)) ++i0;
    if (hi < width && hi - i1 > 1.0 - kNearInteger && inside(i1 + 1)) ++i1;
    if (hi < width && hi - i1 < kNearInteger && !inside(i1)) --i1;
    i0 = std::max(i0, 0);
    i1 = std::min(i1, width - 1);
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
