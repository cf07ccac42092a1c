#include "tools/bake/table_top_map.h"

#include <cmath>

#include "scene/model.h"

namespace veltrane {

bool TableTopMapFromCorners(const float p[3][3], const float st[3][2], TableTopMap* map) {
  // Edges from corner 0 in (s, t) and in (x, z).
  const double ds1 = st[1][0] - st[0][0], dt1 = st[1][1] - st[0][1];
  const double ds2 = st[2][0] - st[0][0], dt2 = st[2][1] - st[0][1];
  const double dx1 = p[1][0] - p[0][0], dz1 = p[1][2] - p[0][2];
  const double dx2 = p[2][0] - p[0][0], dz2 = p[2][2] - p[0][2];
  const double det_st = ds1 * dt2 - ds2 * dt1;
  const double det_xz = dx1 * dz2 - dx2 * dz1;
  if (std::fabs(det_st) < 1e-12 || std::fabs(det_xz) < 1e-12) return false;

  TableTopMap m;
  // [dx1 dx2] = [ax_s ax_t] [ds1 ds2]
  // [dz1 dz2]   [az_s az_t] [dt1 dt2]
  m.ax_s = (dx1 * dt2 - dx2 * dt1) / det_st;
  m.ax_t = (dx2 * ds1 - dx1 * ds2) / det_st;
  m.az_s = (dz1 * dt2 - dz2 * dt1) / det_st;
  m.az_t = (dz2 * ds1 - dz1 * ds2) / det_st;
  m.bx = p[0][0] - m.ax_s * st[0][0] - m.ax_t * st[0][1];
  m.bz = p[0][2] - m.az_s * st[0][0] - m.az_t * st[0][1];
  m.plane_y = (static_cast<double>(p[0][1]) + p[1][1] + p[2][1]) / 3.0;

  const double det = m.ax_s * m.az_t - m.ax_t * m.az_s;
  m.sx_x = m.az_t / det;
  m.sx_z = -m.ax_t / det;
  m.tx_x = -m.az_s / det;
  m.tx_z = m.ax_s / det;
  m.s0 = -(m.sx_x * m.bx + m.sx_z * m.bz);
  m.t0 = -(m.tx_x * m.bx + m.tx_z * m.bz);
  *map = m;
  return true;
}

bool BuiltInTableTopMap(TableTopMap* map) {
  const FaceRecord& face = table_faces[kTableTopFaces[0]];
  float p[3][3], st[3][2];
  for (int c = 0; c < 3; ++c) {
    const int pi = face.position[c], ti = face.texcoord[c];
    if (pi < 0 || pi >= kModelPositionCount || ti < 0 || ti >= kModelCornerCount) return false;
    for (int k = 0; k < 3; ++k) p[c][k] = model_positions[pi][k];
    for (int k = 0; k < 2; ++k) st[c][k] = model_texcoords[ti][k];
  }
  return TableTopMapFromCorners(p, st, map);
}

Vec3d TexelToTablePoint(const TableTopMap& map, int width, int height, double x, double r) {
  const double s = (x + 0.5) / width;
  const double t = 1.0 - (r + 0.5) / height;
  return {map.ax_s * s + map.ax_t * t + map.bx, map.plane_y, map.az_s * s + map.az_t * t + map.bz};
}

void TablePointToTexel(const TableTopMap& map, int width, int height, double px, double pz,
                       double* x, double* r) {
  const double s = map.sx_x * px + map.sx_z * pz + map.s0;
  const double t = map.tx_x * px + map.tx_z * pz + map.t0;
  *x = s * width - 0.5;
  *r = (1.0 - t) * height - 0.5;
}

}  // namespace veltrane
