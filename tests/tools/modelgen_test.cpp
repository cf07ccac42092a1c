// The model generator's mesh steps: surface extraction and simplification keep a closed,
// outward surface of the field's genus.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/modelgen/edge_flip.h"
#include "tools/modelgen/marching_tetrahedra.h"
#include "tools/modelgen/mesh_topology.h"
#include "tools/modelgen/simplify.h"

namespace {

const double kPi = 3.14159265358979323846;

double SphereField(Vec3d p) { return Length(p) - 0.5; }

// Ring radius 0.5, tube radius 0.2, around the y axis.
double TorusField(Vec3d p) { return std::hypot(std::hypot(p.x, p.z) - 0.5, p.y) - 0.2; }

double Volume(const Mesh& mesh) {
  double six = 0;
  for (const Triangle& t : mesh.triangles) {
    six += Dot(mesh.positions[t[0]], Cross(mesh.positions[t[1]], mesh.positions[t[2]]));
  }
  return six / 6;
}

double WorstQuality(const Mesh& mesh) {
  double worst = 1;
  for (const Triangle& t : mesh.triangles) {
    worst = std::min(worst, TriangleQuality(mesh.positions[t[0]], mesh.positions[t[1]], mesh.positions[t[2]]));
  }
  return worst;
}

TEST(ModelGeneratorTest, MarchedSurfacesAreClosedOutwardAndOnTheField) {
  const double cell = 0.05;
  Mesh sphere = MarchTetrahedra(SphereField, {-0.7, -0.7, -0.7}, {0.7, 0.7, 0.7}, cell);
  Topology t = AnalyseTopology(sphere);
  EXPECT_TRUE(t.IsSphere()) << t.EulerCharacteristic() << " " << t.components;
  EXPECT_EQ(t.unused_positions, 0);
  EXPECT_NEAR(Volume(sphere), 4.0 / 3.0 * kPi * 0.125, 0.03);  // positive: wound outwards
  for (const Vec3d& p : sphere.positions) EXPECT_NEAR(Length(p), 0.5, cell);

  Mesh torus = MarchTetrahedra(TorusField, {-0.8, -0.3, -0.8}, {0.8, 0.3, 0.8}, cell);
  t = AnalyseTopology(torus);
  EXPECT_TRUE(t.closed_manifold);
  EXPECT_EQ(t.components, 1);
  EXPECT_EQ(t.EulerCharacteristic(), 0);
  EXPECT_NEAR(Volume(torus), 2 * kPi * kPi * 0.5 * 0.04, 0.03);
}

TEST(ModelGeneratorTest, SimplificationReachesTheBudgetAndKeepsTheGenus) {
  Mesh torus = MarchTetrahedra(TorusField, {-0.8, -0.3, -0.8}, {0.8, 0.3, 0.8}, 0.03);
  const double volume = Volume(torus);
  ASSERT_TRUE(SimplifyMesh(torus, 2000, 0.0));
  ASSERT_TRUE(SimplifyMesh(torus, 300, 0.2));
  Topology t = AnalyseTopology(torus);
  EXPECT_EQ(t.vertices, 300);
  EXPECT_EQ(t.unused_positions, 0);
  EXPECT_TRUE(t.closed_manifold);
  EXPECT_EQ(t.components, 1);
  EXPECT_EQ(t.EulerCharacteristic(), 0);
  EXPECT_NEAR(Volume(torus), volume, 0.1 * volume);
  EXPECT_GT(WorstQuality(torus), 0.1);

  const double before = WorstQuality(torus);
  ImproveByEdgeFlips(torus, 25.0);
  t = AnalyseTopology(torus);
  EXPECT_EQ(t.vertices, 300);
  EXPECT_TRUE(t.closed_manifold);
  EXPECT_EQ(t.EulerCharacteristic(), 0);
  EXPECT_GE(WorstQuality(torus), before);
}

// A pinched figure eight (two spheres touching in a point) is no manifold; the analysis says so.
TEST(ModelGeneratorTest, TopologyNoticesAPinchAndOpenEdges) {
  Mesh tetra{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}};
  EXPECT_TRUE(AnalyseTopology(tetra).IsSphere());
  Mesh pinched = tetra;
  for (const Vec3d& p : tetra.positions) pinched.positions.push_back(p * -1.0);
  for (Triangle t : tetra.triangles) {
    for (int& v : t) v = v == 0 ? 0 : v + 4;  // shares vertex 0 with the first
    pinched.triangles.push_back(t);
  }
  Topology t = AnalyseTopology(pinched);
  EXPECT_FALSE(t.closed_manifold);
  EXPECT_EQ(t.unused_positions, 1);
  Mesh open = tetra;
  open.triangles.pop_back();
  EXPECT_FALSE(AnalyseTopology(open).closed_manifold);
}

}  // namespace
