#include "tools/modelgen/angel.h"

#include <algorithm>
#include <cstdio>

#include "tools/modelgen/angel_shape.h"
#include "tools/modelgen/corner_normals.h"
#include "tools/modelgen/edge_flip.h"
#include "tools/modelgen/marching_tetrahedra.h"
#include "tools/modelgen/mesh_topology.h"
#include "tools/modelgen/simplify.h"

namespace {

const double kGridCell = 0.008;         // shape units
const int kFirstStageVertices = 3000;   // simplified without regard to triangle shape down to here
const double kMinQuality = 0.2;         // then collapses leaving thinner triangles are refused
const double kMinFittedQuality = 0.1;   // after the per-axis scaling to the angel's extents
const double kFlipFlatDegrees = 25.0;   // pairs of triangles this close to coplanar may swap diagonals
const double kCreaseDegrees = 65.0;     // normals are smoothed across edges up to this angle

std::string Describe(const char* step, const Topology& t) {
  char text[200];
  std::snprintf(text, sizeof text, "%s: %d vertices, %d edges, %d faces, %d components, Euler characteristic %d, %s",
                step, t.vertices, t.edges, t.faces, t.components, t.EulerCharacteristic(),
                t.closed_manifold ? "closed manifold" : "not a closed manifold");
  return text;
}

// Scales each axis on its own so that the bounding box becomes [kAngelLo, kAngelHi].
void FitExtents(Mesh& mesh) {
  Vec3d lo = mesh.positions[0], hi = lo;
  for (const Vec3d& p : mesh.positions) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  std::fprintf(stderr, "angel: shape spans x %.3f to %.3f, y %.3f to %.3f, z %.3f to %.3f\n", lo.x, hi.x, lo.y, hi.y,
               lo.z, hi.z);
  for (Vec3d& p : mesh.positions) {
    p.x = kAngelLo[0] + (p.x - lo.x) / (hi.x - lo.x) * (kAngelHi[0] - kAngelLo[0]);
    p.y = kAngelLo[1] + (p.y - lo.y) / (hi.y - lo.y) * (kAngelHi[1] - kAngelLo[1]);
    p.z = kAngelLo[2] + (p.z - lo.z) / (hi.z - lo.z) * (kAngelHi[2] - kAngelLo[2]);
  }
}

// Projected from the front: s across, t up.
std::vector<TexCoord> FrontProjection(const Mesh& mesh) {
  std::vector<TexCoord> texcoords;
  for (const Triangle& t : mesh.triangles) {
    for (int v : t) {
      const Vec3d& p = mesh.positions[v];
      double across = (kAngelHi[0] - p.x) / (kAngelHi[0] - kAngelLo[0]);
      double up = (p.y - kAngelLo[1]) / (kAngelHi[1] - kAngelLo[1]);
      texcoords.push_back({std::clamp(across, 0.0, 1.0), std::clamp(up, 0.0, 1.0)});
    }
  }
  return texcoords;
}

}  // namespace

bool BuildAngel(ModelPart* angel, std::string* error) {
  Bounds bounds = AngelShapeBounds();
  Mesh mesh = MarchTetrahedra(AngelField, bounds.lo, bounds.hi, kGridCell);
  Topology marched = AnalyseTopology(mesh);
  std::fprintf(stderr, "angel: %s\n", Describe("marched", marched).c_str());
  // Specks of the field apart from the figure are dropped.
  if (marched.components > 1) mesh = LargestComponent(mesh);
  Topology kept = AnalyseTopology(mesh);
  if (!kept.IsSphere()) {
    *error = Describe("surface of the shape is not a sphere", kept);
    return false;
  }
  // The marched surface is full of slivers; the first stage removes them without regard to
  // triangle shape. The second keeps triangles from getting thin, and where every remaining
  // collapse would, swapping diagonals usually opens the way again.
  if (!SimplifyMesh(mesh, kFirstStageVertices, 0.0)) {
    *error = Describe("first simplification stage stopped early", AnalyseTopology(mesh));
    return false;
  }
  int flips = ImproveByEdgeFlips(mesh, kFlipFlatDegrees);
  for (;;) {
    if (SimplifyMesh(mesh, kAngelVertices, kMinQuality)) break;
    int more = ImproveByEdgeFlips(mesh, kFlipFlatDegrees);
    if (more == 0) {
      *error = Describe("simplification stopped before reaching the vertex budget", AnalyseTopology(mesh));
      return false;
    }
    flips += more;
  }
  flips += ImproveByEdgeFlips(mesh, kFlipFlatDegrees);
  std::fprintf(stderr, "angel: %d diagonals flipped\n", flips);
  Topology simplified = AnalyseTopology(mesh);
  if (!simplified.IsSphere() || simplified.vertices != kAngelVertices ||
      simplified.faces != kAngelTriangles) {
    *error = Describe("simplified surface", simplified);
    return false;
  }
  FitExtents(mesh);
  for (const Triangle& t : mesh.triangles) {
    if (TriangleQuality(mesh.positions[t[0]], mesh.positions[t[1]], mesh.positions[t[2]]) < kMinFittedQuality) {
      *error = "a triangle became too thin when the figure was fitted to its extents";
      return false;
    }
  }
  angel->normals = CornerNormals(mesh, kCreaseDegrees);
  angel->texcoords = FrontProjection(mesh);
  angel->mesh = std::move(mesh);
  return true;
}
