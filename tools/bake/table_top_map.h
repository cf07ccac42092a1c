// Where the light maps land: the affine map from the table top's texture coordinates (s, t)
// to points (x, y0, z) of the table-top plane, fixed by the top's corners and their texture
// coordinates, and extended over the whole plane (texels outside the top get the same map).
//
// Light-map texel (column x, file row r, rows top first) of a W x H map sits at
// (s, t) = ((x + 0.5) / W, 1 - (r + 0.5) / H); the viewer flips the rows when it loads them,
// so file row 0 is the texture's top row.
#pragma once

#include "common/vec3.h"

namespace veltrane {

struct TableTopMap {
  // x = ax_s * s + ax_t * t + bx, z = az_s * s + az_t * t + bz, y = plane_y.
  double ax_s = 0, ax_t = 0, bx = 0;
  double az_s = 0, az_t = 0, bz = 0;
  double plane_y = 0;
  // The inverse: s = sx_x * x + sx_z * z + s0, t = tx_x * x + tx_z * z + t0.
  double sx_x = 0, sx_z = 0, s0 = 0;
  double tx_x = 0, tx_z = 0, t0 = 0;
};

// The map through three corners (positions p[i], texture coordinates st[i]) of one planar
// triangle. False when the texture-coordinate triangle or its plane image is degenerate.
bool TableTopMapFromCorners(const float p[3][3], const float st[3][2], TableTopMap* map);

// The map of the built-in model's table top (table face 320 with its corners). False, with
// nothing changed, when the model's arrays hold no usable table top.
bool BuiltInTableTopMap(TableTopMap* map);

// The table point of a texel centre (x, r) of a width x height map (x, r may be fractional).
Vec3d TexelToTablePoint(const TableTopMap& map, int width, int height, double x, double r);

// The inverse: texel coordinates (x, r) of a table-plane point (its y is ignored).
void TablePointToTexel(const TableTopMap& map, int width, int height, double px, double pz,
                       double* x, double* r);

}  // namespace veltrane
