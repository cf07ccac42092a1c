#include "tools/modelgen/table.h"

#include <algorithm>
#include <cmath>

#include "tools/modelgen/corner_normals.h"
#include "tools/modelgen/loft.h"

namespace {

// The light maps were fitted to this top: its corners and their texture coordinates.
const Vec3d kTopCorners[4] = {{-0.41075, kTableTopY, 0.373043},
                             {0.410772, kTableTopY, 0.373043},
                             {0.410772, kTableTopY, -0.373043},
                             {-0.41075, kTableTopY, -0.373043}};
const TexCoord kTopTexCoords[4] = {{0.047919, 0.104805}, {0.952105, 0.104805},
                                   {0.952105, 0.990256}, {0.047919, 0.990256}};

const double kHalfWidth = 0.4318, kHalfDepth = 0.4104;  // the slab's outer edge
const double kEdgeTopY = 0.2655, kSlabBottomY = 0.2385;
const double kApronTopY = 0.245, kApronBottomY = 0.16;  // the apron's top is hidden in the slab
const double kLegX = 0.358, kLegZ = 0.338;
const double kFloorY = -0.5;
const double kStretcherY = -0.30, kStretcherHeight = 0.03, kStretcherHalfWidth = 0.012;
const double kCreaseDegrees = 50.0;
const double kGrainPerUnit = 1.98 / (kTableTopY - kFloorY);  // t runs 0 to 1.98 top to floor

// The top and the bevelled edge around it down to the slab's bottom. Its last two triangles
// are the top, (0, 1, 2) and (0, 2, 3) over kTopCorners.
void AppendSlab(Mesh& mesh) {
  Ring top(kTopCorners, kTopCorners + 4);
  AppendLoft(mesh,
             {RectangleRing(-kHalfWidth, kHalfWidth, kSlabBottomY, -kHalfDepth, kHalfDepth),
              RectangleRing(-kHalfWidth, kHalfWidth, kEdgeTopY, -kHalfDepth, kHalfDepth), top},
             {Cap::kPolygon, 0}, {Cap::kPolygon, 0});
}

// A rectangular frame under the slab joining the legs: outer and inner walls, top and bottom.
void AppendApron(Mesh& mesh) {
  const double ox = kLegX + 0.017, oz = kLegZ + 0.017, ix = kLegX - 0.003, iz = kLegZ - 0.003;
  const int base = static_cast<int>(mesh.positions.size());
  for (const Ring& ring : {RectangleRing(-ox, ox, kApronBottomY, -oz, oz), RectangleRing(-ox, ox, kApronTopY, -oz, oz),
                           RectangleRing(-ix, ix, kApronBottomY, -iz, iz), RectangleRing(-ix, ix, kApronTopY, -iz, iz)}) {
    mesh.positions.insert(mesh.positions.end(), ring.begin(), ring.end());
  }
  const int outer_low = base, outer_high = base + 4, inner_low = base + 8, inner_high = base + 12;
  auto quad = [&](int a, int b, int c, int d) {  // counter-clockwise seen from outside
    mesh.triangles.push_back({a, b, c});
    mesh.triangles.push_back({a, c, d});
  };
  for (int i = 0; i < 4; ++i) {
    int j = (i + 1) % 4;
    quad(outer_high + i, outer_low + i, outer_low + j, outer_high + j);  // facing out
    quad(inner_high + j, inner_low + j, inner_low + i, inner_high + i);  // facing the middle
    quad(outer_high + i, outer_high + j, inner_high + j, inner_high + i);  // facing up
    quad(outer_low + j, outer_low + i, inner_low + i, inner_low + j);      // facing down
  }
}

// A leg turned to twelve sides: straight where the apron meets it, then tapering to the foot.
// Both ends are hidden, the top in the slab and the bottom in the foot, so they stay open.
void AppendLeg(Mesh& mesh, double x, double z) {
  AppendLoft(mesh,
             {CircleRing(x, -0.455, z, 0.018, 12), CircleRing(x, 0.15, z, 0.030, 12),
              CircleRing(x, kApronTopY, z, 0.030, 12)},
             {Cap::kOpen, 0}, {Cap::kOpen, 0});
}

// An eight-sided pad under each leg, slightly domed underneath so that it stands on the floor.
void AppendFoot(Mesh& mesh, double x, double z) {
  AppendLoft(mesh, {CircleRing(x, kFloorY + 0.005, z, 0.026, 8), CircleRing(x, -0.445, z, 0.024, 8)},
             {Cap::kCentre, -0.005}, {Cap::kPolygon, 0});
}

void AppendBox(Mesh& mesh, double x0, double x1, double y0, double y1, double z0, double z1) {
  AppendLoft(mesh, {RectangleRing(x0, x1, y0, z0, z1), RectangleRing(x0, x1, y1, z0, z1)},
             {Cap::kPolygon, 0}, {Cap::kPolygon, 0});
}

// Two rails joining the front and back legs on each side, and one across between them. Their
// ends sink into the legs and rails they meet.
void AppendStretchers(Mesh& mesh) {
  const double y0 = kStretcherY, y1 = kStretcherY + kStretcherHeight, w = kStretcherHalfWidth;
  for (double x : {-kLegX, kLegX}) AppendBox(mesh, x - w, x + w, y0, y1, -kLegZ, kLegZ);
  AppendBox(mesh, -kLegX, kLegX, y0 + 0.002, y1 - 0.002, -w, w);
}

// Wood grain runs down the legs: t measures the distance below the top, s runs across the face
// along the horizontal axis it spans most; horizontal faces take x and z.
TexCoord WoodCoordinate(Vec3d p, Vec3d face_normal) {
  if (std::fabs(face_normal.y) > 0.7) {
    return {(p.x + kHalfWidth) / (2 * kHalfWidth), (p.z + kHalfDepth) / (2 * kHalfDepth)};
  }
  double t = (kTableTopY - p.y) * kGrainPerUnit;
  if (std::fabs(face_normal.x) > std::fabs(face_normal.z)) return {(p.z + kHalfDepth) / (2 * kHalfDepth), t};
  return {(p.x + kHalfWidth) / (2 * kHalfWidth), t};
}

// The slab carries the top's wood on: every face of it takes the top's own texture mapping,
// projected straight down, so that the grain runs on across the bevel and down the edges.
// Towards the front the top's t comes close to 1, where the table's shader mirrors the wood;
// there the bevel's share is squeezed into what is left below 1, which keeps the grain from
// folding back on itself along the front edge.
TexCoord SlabWoodCoordinate(Vec3d p) {
  const Vec3d& a = kTopCorners[0];  // s and t of the top are affine in x and z
  const Vec3d& c = kTopCorners[2];
  const double t_per_z = (kTopTexCoords[2].t - kTopTexCoords[0].t) / (c.z - a.z);
  double s = kTopTexCoords[0].s + (p.x - a.x) / (c.x - a.x) * (kTopTexCoords[2].s - kTopTexCoords[0].s);
  double t = kTopTexCoords[0].t + (p.z - a.z) * t_per_z;
  const double front_t = kTopTexCoords[2].t, rim_t = front_t + (-kHalfDepth - c.z) * t_per_z;
  if (t > front_t) t = front_t + (t - front_t) / (rim_t - front_t) * (1.0 - front_t);
  return {s, t};
}

// Moves item `from` .. `from + count - 1` of `order` so that it starts at `to`.
std::vector<int> MovedOrder(int size, int from, int count, int to) {
  std::vector<int> order;
  for (int i = 0; i < size; ++i) {
    if (i < from || i >= from + count) order.push_back(i);
  }
  std::vector<int> moved;
  for (int i = 0; i < count; ++i) moved.push_back(from + i);
  order.insert(order.begin() + to, moved.begin(), moved.end());
  return order;
}

}  // namespace

ModelPart BuildTable() {
  Mesh mesh;
  AppendSlab(mesh);
  const int top_vertex = 8, top_triangle = static_cast<int>(mesh.triangles.size()) - 2;
  AppendApron(mesh);
  for (double x : {-kLegX, kLegX}) {
    for (double z : {-kLegZ, kLegZ}) AppendLeg(mesh, x, z);
  }
  for (double x : {-kLegX, kLegX}) {
    for (double z : {-kLegZ, kLegZ}) AppendFoot(mesh, x, z);
  }
  AppendStretchers(mesh);

  // The light maps belong to positions 192 to 195 and triangles 320 and 321: move the top there.
  std::vector<int> vertex_order = MovedOrder(static_cast<int>(mesh.positions.size()), top_vertex, 4, kTableTopFirstVertex);
  std::vector<int> new_index(vertex_order.size());
  for (size_t i = 0; i < vertex_order.size(); ++i) new_index[vertex_order[i]] = static_cast<int>(i);
  std::vector<int> triangle_order =
      MovedOrder(static_cast<int>(mesh.triangles.size()), top_triangle, 2, kTableTopFirstTriangle);
  ModelPart table;
  for (int v : vertex_order) table.mesh.positions.push_back(mesh.positions[v]);
  for (int f : triangle_order) {
    const Triangle& t = mesh.triangles[f];
    table.mesh.triangles.push_back({new_index[t[0]], new_index[t[1]], new_index[t[2]]});
  }

  table.normals = CornerNormals(table.mesh, kCreaseDegrees);
  for (size_t f = 0; f < table.mesh.triangles.size(); ++f) {
    const Triangle& t = table.mesh.triangles[f];
    Vec3d face_normal = Normalized(TriangleNormalArea(table.mesh.positions[t[0]], table.mesh.positions[t[1]],
                                                     table.mesh.positions[t[2]]));
    // The slab (the first triangles, up to the top) is a board with chamfered edges: each of
    // its faces is flat, and none is shaded as if it curved into the top.
    bool slab = static_cast<int>(f) < top_triangle;
    for (int c = 0; c < 3; ++c) {
      Vec3d p = table.mesh.positions[t[c]];
      table.texcoords.push_back(slab ? SlabWoodCoordinate(p) : WoodCoordinate(p, face_normal));
      if (slab) table.normals[3 * f + c] = face_normal;
    }
  }
  for (int f = kTableTopFirstTriangle; f < kTableTopFirstTriangle + 2; ++f) {
    for (int c = 0; c < 3; ++c) {
      int corner = table.mesh.triangles[f][c] - kTableTopFirstVertex;
      table.normals[3 * f + c] = {0, 1, 0};
      table.texcoords[3 * f + c] = kTopTexCoords[corner];
    }
  }
  return table;
}
