// Ground-truth light maps of the table top: for a directional light from l, each texel's table
// point receives max(0, n . l) with n = (0, 1, 0), times the fraction of the light that gets past
// the angel. The light is a small disc (angular radius disc_radius) seen through a fixed set of
// evenly spread directions, which softens the shadow; each direction's shadow is the angel's
// triangles projected onto the table along it, and directions of the disc that lie on or below
// the horizon count as blocked.
#pragma once

#include <cstdint>
#include <vector>

#include "common/vec3.h"
#include "scene/object_mesh.h"
#include "tools/bake/shadow_raster.h"
#include "tools/bake/table_top_map.h"

namespace veltrane {

struct GroundTruthScene {
  TableTopMap map;
  std::vector<Triangle3> occluders;  // already clipped to the part above the table plane
  bool front_faces_only = false;     // occluders are closed and wound outwards (see AccumulateShadow)
  std::vector<double> disc;          // unit-disc offsets, (u, v) pairs
  double disc_radius = 0.0;          // radians
};

// Fixed points in the unit disc, evenly spread (a Vogel spiral).
std::vector<double> DiscSamples(int count);

// The built-in scene: the table-top map, the angel's triangles above the table (wound so that
// their stored corner normals point outwards), the disc of
// disc_samples directions (0 to 255; 0 makes the light a single direction).
// False when the built-in model has no usable table top.
bool BuiltInGroundTruthScene(int disc_samples, double disc_radius, GroundTruthScene* scene);

// The table top of the built-in scene with an object standing on it in place of the angel: the
// object's triangles above the table (clustered when there are many, tools/bake/shadow_simplify.h),
// only those facing the light casting shadows where the object is closed and wound outwards,
// all of them otherwise; the disc as above. False when the built-in model has no usable
// table top.
bool ObjectGroundTruthScene(const ObjectMesh& object, int disc_samples, double disc_radius,
                            GroundTruthScene* scene);

// Per-thread working memory for RenderGroundTruth.
struct GroundTruthScratch {
  std::vector<uint32_t> stamp;
  std::vector<uint8_t> count;
  uint32_t next_id = 0;
};

// The light map for light direction l (unit) over the grid cells, row by row, into out
// (grid.width * grid.height floats).
void RenderGroundTruth(const GroundTruthScene& scene, Vec3d l, const TexelGrid& grid, float* out,
                       GroundTruthScratch* scratch);

}  // namespace veltrane
