// The baker's geometry: where texels land on the table, the shadow rasteriser, the ground
// truth and the direction sets.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "tools/bake/ground_truth.h"
#include "tools/bake/shadow_raster.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/table_top_map.h"

namespace veltrane {
namespace {

// Table face 320 as the scene gives it: positions 795, 796, 797 and their texture coordinates.
TableTopMap SceneTopMap() {
  const float p[3][3] = {{-0.41075f, 0.271548f, 0.373043f},
                         {0.410772f, 0.271548f, 0.373043f},
                         {0.410772f, 0.271548f, -0.373043f}};
  const float st[3][2] = {{0.047919f, 0.104805f}, {0.952105f, 0.104805f}, {0.952105f, 0.990256f}};
  TableTopMap map;
  EXPECT_TRUE(TableTopMapFromCorners(p, st, &map));
  return map;
}

// A plane y = 0 where texture coordinates are simply s = x, t = z.
TableTopMap UnitMap() {
  const float p[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  const float st[3][2] = {{0, 0}, {1, 0}, {0, 1}};
  TableTopMap map;
  EXPECT_TRUE(TableTopMapFromCorners(p, st, &map));
  return map;
}

TEST(TableTopMap, TexelsLandWhereTheTopsTextureCoordinatesSay) {
  const TableTopMap map = SceneTopMap();
  const int w = 512, h = 256;
  // The texel whose centre has (s, t) = (0.047919, 0.104805) is corner 795; rows run top first,
  // so t = 0.104805 is near the bottom row.
  const double x795 = 0.047919 * w - 0.5, r795 = (1.0 - 0.104805) * h - 0.5;
  Vec3d p = TexelToTablePoint(map, w, h, x795, r795);
  EXPECT_NEAR(p.x, -0.41075, 1e-5);
  EXPECT_NEAR(p.y, 0.271548, 1e-6);
  EXPECT_NEAR(p.z, 0.373043, 1e-5);
  const double x797 = 0.952105 * w - 0.5, r797 = (1.0 - 0.990256) * h - 0.5;
  p = TexelToTablePoint(map, w, h, x797, r797);
  EXPECT_NEAR(p.x, 0.410772, 1e-5);
  EXPECT_NEAR(p.z, -0.373043, 1e-5);
  // Corner 798 of face 321 is on the same map: (s, t) = (0.047919, 0.990256).
  p = TexelToTablePoint(map, w, h, 0.047919 * w - 0.5, (1.0 - 0.990256) * h - 0.5);
  EXPECT_NEAR(p.x, -0.41075, 1e-5);
  EXPECT_NEAR(p.z, -0.373043, 1e-5);
  // File row 0 is the far edge (-z), the last row the near edge (+z); column 0 is -x.
  EXPECT_LT(TexelToTablePoint(map, w, h, 0, 0).z, TexelToTablePoint(map, w, h, 0, h - 1).z);
  EXPECT_LT(TexelToTablePoint(map, w, h, 0, 0).x, TexelToTablePoint(map, w, h, w - 1, 0).x);
  // The inverse returns the texel.
  double x, r;
  const Vec3d q = TexelToTablePoint(map, w, h, 17.0, 201.0);
  TablePointToTexel(map, w, h, q.x, q.z, &x, &r);
  EXPECT_NEAR(x, 17.0, 1e-9);
  EXPECT_NEAR(r, 201.0, 1e-9);
}

TEST(TableTopMap, BuiltInModelGivesTheSameMapAsItsTableTop) {
  TableTopMap built_in;
  ASSERT_TRUE(BuiltInTableTopMap(&built_in));
  const TableTopMap expected = SceneTopMap();
  for (double x : {0.0, 255.5, 511.0}) {
    for (double r : {0.0, 100.0, 511.0}) {
      const Vec3d a = TexelToTablePoint(built_in, 512, 512, x, r);
      const Vec3d b = TexelToTablePoint(expected, 512, 512, x, r);
      EXPECT_NEAR(a.x, b.x, 1e-5);
      EXPECT_NEAR(a.y, b.y, 1e-6);
      EXPECT_NEAR(a.z, b.z, 1e-5);
    }
  }
}

TEST(TableTopMap, DegenerateCornersAreRefused) {
  const float p[3][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  const float st[3][2] = {{0, 0}, {1, 0}, {0, 1}};
  TableTopMap map;
  EXPECT_FALSE(TableTopMapFromCorners(p, st, &map));
}

std::set<std::pair<int, int>> Covered(const std::vector<uint8_t>& count, int w) {
  std::set<std::pair<int, int>> cells;
  for (size_t i = 0; i < count.size(); ++i) {
    if (count[i] != 0) cells.insert({static_cast<int>(i % w), static_cast<int>(i / w)});
  }
  return cells;
}

TEST(ShadowRaster, TriangleCoversExactlyTheCentresInsideIt) {
  const int w = 8, h = 8;
  std::vector<uint32_t> stamp(w * h, 0);
  std::vector<uint8_t> count(w * h, 0);
  const double a[2] = {0, 0}, b[2] = {4, 0}, c[2] = {0, 4};
  RasteriseTriangle(a, b, c, w, h, 1, stamp.data(), count.data());
  std::set<std::pair<int, int>> expected;
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      if (i + j <= 4) expected.insert({i, j});  // edges count as inside
    }
  }
  EXPECT_EQ(Covered(count, w), expected);
  // The same stamp does not count a cell twice; the opposite winding covers the same cells.
  RasteriseTriangle(a, c, b, w, h, 1, stamp.data(), count.data());
  for (uint8_t v : count) EXPECT_LE(v, 1);
  RasteriseTriangle(a, c, b, w, h, 2, stamp.data(), count.data());
  EXPECT_EQ(count[0], 2);
  EXPECT_EQ(count[7 * w + 7], 0);
}

TEST(ShadowRaster, ThinAndOffGridTrianglesStayInsideTheGrid) {
  const int w = 16, h = 16;
  std::vector<uint32_t> stamp(w * h, 0);
  std::vector<uint8_t> count(w * h, 0);
  // A sliver from far outside to far outside, through the middle row only.
  const double a[2] = {-1e6, 7.9}, b[2] = {1e6, 8.1}, c[2] = {1e6, 7.95};
  RasteriseTriangle(a, b, c, w, h, 1, stamp.data(), count.data());
  for (auto cell : Covered(count, w)) EXPECT_EQ(cell.second, 8);
  // Entirely outside: nothing.
  const double d[2] = {-5, -5}, e[2] = {-1, -5}, f[2] = {-1, -1};
  std::vector<uint8_t> none(w * h, 0);
  RasteriseTriangle(d, e, f, w, h, 2, stamp.data(), none.data());
  EXPECT_TRUE(Covered(none, w).empty());
}

TEST(ShadowRaster, ClippingKeepsOnlyThePartAboveThePlane) {
  const std::vector<Triangle3> straddling = {{{{0, -1, 0}, {2, 1, 0}, {0, 1, 2}}}};
  const std::vector<Triangle3> clipped = ClipAbovePlane(straddling, 0.0);
  ASSERT_FALSE(clipped.empty());
  for (const Triangle3& t : clipped) {
    for (const Vec3d& p : t) EXPECT_GE(p.y, 0.0);
  }
  EXPECT_TRUE(ClipAbovePlane({{{{0, -1, 0}, {1, -1, 0}, {0, -2, 1}}}}, 0.0).empty());
  EXPECT_EQ(ClipAbovePlane({{{{0, 1, 0}, {1, 1, 0}, {0, 2, 1}}}}, 0.0).size(), 1u);
}

// A square plate of side 0.25 at height 0.25 above the unit map, centred at (0.5, 0.5).
GroundTruthScene PlateScene(int disc_samples, double disc_radius) {
  GroundTruthScene scene;
  scene.map = UnitMap();
  const double y = 0.25;
  const Vec3d a{0.375, y, 0.375}, b{0.625, y, 0.375}, c{0.625, y, 0.625}, d{0.375, y, 0.625};
  scene.occluders = {{{a, b, c}}, {{a, c, d}}};
  scene.disc = DiscSamples(disc_samples);
  scene.disc_radius = disc_radius;
  return scene;
}

TEST(GroundTruth, HardShadowIsThePlateMovedAlongTheLight) {
  const int w = 64, h = 64;
  const GroundTruthScene scene = PlateScene(0, 0.0);
  std::vector<float> map(w * h);
  GroundTruthScratch scratch;
  // Light from 45 degrees towards +x: the shadow lies 0.25 towards -x of the plate.
  const Vec3d l = Normalized({1, 1, 0});
  RenderGroundTruth(scene, l, FullGrid(w, h), map.data(), &scratch);
  const float lit = static_cast<float>(l.y);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      const Vec3d p = TexelToTablePoint(scene.map, w, h, x, r);
      const bool under = p.x >= 0.125 && p.x <= 0.375 && p.z >= 0.375 && p.z <= 0.625;
      EXPECT_FLOAT_EQ(map[r * w + x], under ? 0.0f : lit) << x << "," << r;
    }
  }
  // Light from below the horizon gives nothing.
  RenderGroundTruth(scene, Normalized({1, -0.1, 0}), FullGrid(w, h), map.data(), &scratch);
  for (float v : map) EXPECT_EQ(v, 0.0f);
}

TEST(GroundTruth, DiscSoftensTheShadowEdge) {
  const int w = 64, h = 64;
  const GroundTruthScene scene = PlateScene(32, 8.0 * 0.017453292519943295);
  std::vector<float> map(w * h);
  GroundTruthScratch scratch;
  RenderGroundTruth(scene, {0, 1, 0}, FullGrid(w, h), map.data(), &scratch);
  // Straight below the plate's centre: dark; far away: fully lit; across the edge: partial
  // values that rise monotonically outwards.
  EXPECT_EQ(map[32 * w + 32], 0.0f);
  EXPECT_EQ(map[32 * w + 2], 1.0f);
  int partial = 0;
  float previous = 0.0f;
  for (int x = 32; x < w; ++x) {
    const float v = map[32 * w + x];
    EXPECT_GE(v, previous);
    previous = v;
    if (v > 0.0f && v < 1.0f) ++partial;
  }
  EXPECT_GE(partial, 2);
  // The subsampled grid sees the same values at its texels.
  const TexelGrid sub = SubsampledGrid(w, h, 4);
  std::vector<float> coarse(sub.width * sub.height);
  RenderGroundTruth(scene, {0, 1, 0}, sub, coarse.data(), &scratch);
  for (int j = 0; j < sub.height; ++j) {
    for (int i = 0; i < sub.width; ++i) {
      const int x = static_cast<int>(sub.x0) + 4 * i, r = static_cast<int>(sub.r0) + 4 * j;
      EXPECT_FLOAT_EQ(coarse[j * sub.width + i], map[r * w + x]);
    }
  }
}

TEST(GroundTruth, AngelsFacesTurnedToTheLightCastItsWholeShadow) {
  // The built-in angel is wound outwards, so skipping faces turned away changes nothing.
  GroundTruthScene culled;
  ASSERT_TRUE(BuiltInGroundTruthScene(0, 0.0, &culled));
  ASSERT_TRUE(culled.front_faces_only);
  GroundTruthScene all = culled;
  all.front_faces_only = false;
  const int w = 128, h = 128;
  std::vector<float> a(w * h), b(w * h);
  GroundTruthScratch scratch;
  int shadowed = 0;
  for (const Vec3d& l : JitteredBand(12, 0.0, 80.0, 9)) {
    RenderGroundTruth(culled, l, FullGrid(w, h), a.data(), &scratch);
    RenderGroundTruth(all, l, FullGrid(w, h), b.data(), &scratch);
    ASSERT_EQ(a, b);
    for (float v : a) shadowed += v == 0.0f;
  }
  EXPECT_GT(shadowed, 12 * 50);  // the angel does cast shadows
}

TEST(SphereSets, HemiHammersleyIsEqualAreaOverTheUpperHemisphere) {
  EXPECT_EQ(RadicalInverse2(1), 0.5);
  EXPECT_EQ(RadicalInverse2(2), 0.25);
  EXPECT_EQ(RadicalInverse2(3), 0.75);
  EXPECT_EQ(RadicalInverse2(5), 0.625);
  const std::vector<SphereAngles> centres = HemiHammersley(25);
  ASSERT_EQ(centres.size(), 25u);
  EXPECT_EQ(centres[0].theta_deg, 0.0f);
  for (int i = 0; i < 25; ++i) {
    EXPECT_GE(centres[i].theta_deg, 0.0f);
    EXPECT_LT(centres[i].theta_deg, 90.0f);
    EXPECT_NEAR(std::cos(centres[i].theta_deg * 0.017453292519943295), 1.0 - i / 25.0, 1e-6);
    EXPECT_NEAR(centres[i].phi_deg, 360.0 * RadicalInverse2(i), 1e-4);
  }
}

TEST(SphereSets, SampleSetsStayInTheirBandsAndDiffer) {
  const std::vector<Vec3d> fit = FibonacciHemisphere(300);
  const std::vector<Vec3d> held = JitteredBand(96, 0.0, 90.0, 1);
  const std::vector<Vec3d> band = JitteredBand(32, 30.0, 45.0, 2);
  for (const Vec3d& d : fit) {
    EXPECT_NEAR(Dot(d, d), 1.0, 1e-12);
    EXPECT_GT(d.y, 0.0);
  }
  double mean_y = 0.0;
  for (const Vec3d& d : held) {
    EXPECT_GT(d.y, 0.0);
    mean_y += d.y / held.size();
    for (const Vec3d& f : fit) EXPECT_LT(Dot(d, f), 1.0 - 1e-9);
  }
  EXPECT_NEAR(mean_y, 0.5, 0.05);  // equal area: cos theta uniform on [0, 1]
  for (const Vec3d& d : band) {
    EXPECT_LE(d.y, std::cos(30.0 * 0.017453292519943295) + 1e-12);
    EXPECT_GE(d.y, std::cos(45.0 * 0.017453292519943295) - 1e-12);
  }
  // Fixed seeds give the same sets every time.
  EXPECT_EQ(JitteredBand(32, 30.0, 45.0, 2)[5].x, band[5].x);
}

}  // namespace
}  // namespace veltrane
