// Baking with a model on the table: a box casts the shadow that geometry says it must; a small
// bake writes the object file and names it in the description; a broken model leaves nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/direction.h"
#include "relight/description.h"
#include "scene/object_mesh.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/model_import.h"
#include "support/tool_test.h"
#include "tools/bake/shadow_simplify.h"

namespace fs = std::filesystem;

namespace veltrane {
namespace {

const char kBoxObj[] =
    "v 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\nv 0 0 1\nv 2 0 1\nv 2 1 1\nv 0 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 4 8 7 3\nf 1 5 8 4\nf 2 3 7 6\n";

// Each test's scratch folder is dir_ (removed afterwards); Tool runs the built veltrane-tool.
class ModelBake : public test::ToolTest {};

// Whether the ray from p towards l meets the axis-aligned box [lo, hi] (slab test).
bool RayHitsBox(Vec3d p, Vec3d l, const float lo[3], const float hi[3]) {
  double t0 = 0.0, t1 = 1e30;
  const double o[3] = {p.x, p.y, p.z}, d[3] = {l.x, l.y, l.z};
  for (int i = 0; i < 3; ++i) {
    if (d[i] == 0.0) {
      if (o[i] < lo[i] || o[i] > hi[i]) return false;
      continue;
    }
    double a = (lo[i] - o[i]) / d[i], b = (hi[i] - o[i]) / d[i];
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
  }
  return t0 <= t1;
}

TEST_F(ModelBake, ABoxCastsTheAnalyticShadow) {
  const std::string dir = Path("work");
  fs::create_directories(dir);
  const std::string path = dir + "/box.obj";
  std::ofstream(path) << kBoxObj;
  ObjectMesh box;
  std::string why;
  ASSERT_TRUE(ImportModel(path, ImportOptions(), &box, &why)) << why;
  ASSERT_TRUE(box.closed);
  const ObjectBounds b = BoundsOf(box);
  const int size = 128;
  const TexelGrid grid = FullGrid(size, size);
  const double kAngles[3][2] = {{40.0, 30.0}, {60.0, 200.0}, {0.0, 0.0}};
  // Closed (only the faces towards the light cast) and, as for a surface of unknown winding,
  // with every face casting: the same shadow.
  for (const bool closed : {true, false}) {
    box.closed = closed;
    GroundTruthScene scene;
    ASSERT_TRUE(ObjectGroundTruthScene(box, 0, 0.0, &scene));  // one light direction, no disc
    EXPECT_EQ(scene.front_faces_only, closed);
    for (const auto& angles : kAngles) {
      const Vec3d l = SphericalDirection(angles[0] * kRadiansPerDegree, angles[1] * kRadiansPerDegree);
      std::vector<float> map(size * size);
      GroundTruthScratch scratch;
      RenderGroundTruth(scene, l, grid, map.data(), &scratch);
      int shadowed = 0, wrong = 0;
      for (int r = 0; r < size; ++r) {
        for (int x = 0; x < size; ++x) {
          const Vec3d p = TexelToTablePoint(scene.map, size, size, x, r);
          const bool dark = RayHitsBox(p, l, b.min, b.max);
          const float expected = dark ? 0.0f : static_cast<float>(l.y);
          shadowed += dark;
          if (std::fabs(map[r * size + x] - expected) > 1e-6f) ++wrong;
        }
      }
      SCOPED_TRACE(angles[0]);
      EXPECT_GT(shadowed, 100);
      // Texel centres exactly on the shadow's outline may go either way.
      EXPECT_LE(wrong, 2) << "of " << shadowed << " shadowed texels";
    }
  }
}

TEST_F(ModelBake, ClusteringKeepsALargeMeshsOutline) {
  // A fine grid of a 1 x 1 square: clustering brings it within budget and keeps its extent.
  std::vector<Triangle3> triangles;
  const int n = 100;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const Vec3d a{i / double(n), 0.5, j / double(n)}, c{(i + 1) / double(n), 0.5, (j + 1) / double(n)};
      triangles.push_back({a, Vec3d{c.x, 0.5, a.z}, c});
      triangles.push_back({a, c, Vec3d{a.x, 0.5, c.z}});
    }
  }
  double cell = 0.0;
  const std::vector<Triangle3> out = ClusterTriangles(triangles, 500, 0.001, &cell);
  EXPECT_LE(out.size(), 500u);
  EXPECT_GT(out.size(), 50u);
  double lo = 1.0, hi = 0.0, area = 0.0;
  for (const Triangle3& t : out) {
    for (const Vec3d& p : t) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    area += 0.5 * Length(TriangleNormalArea(t[0], t[1], t[2]));
  }
  EXPECT_LT(lo, cell);
  EXPECT_GT(hi, 1.0 - cell);
  EXPECT_NEAR(area, 1.0, 4.0 * cell);
}

const char kSmallBake[] = " --resolution 16 16 --centers 5 --samples 30 --jobs 2 --fit fixed";

TEST_F(ModelBake, ASmallBakeCarriesTheObjectAndDescribeShowsIt) {
  const std::string dir = Path("work");
  fs::create_directories(dir);
  std::ofstream(dir + "/box.obj") << kBoxObj;
  const test::ToolRun run = Tool("bake --out " + dir + "/run --model " + dir + "/box.obj --turn 30" + kSmallBake);
  ASSERT_EQ(run.status, 0) << run.err;
  RelightDescription d;
  ASSERT_EQ(d.Read((dir + "/run/lightmap.qdx").c_str()), kReadDone);
  EXPECT_STREQ(d.model_file, "object.vmesh");
  ObjectMesh object;
  std::string why;
  ASSERT_TRUE(ReadObjectFile(dir + "/run/object.vmesh", &object, nullptr, &why)) << why;
  EXPECT_EQ(object.name, "box.obj");
  EXPECT_EQ(object.TriangleCount(), 12u);
  EXPECT_NE(run.out.find("object            box.obj, 12 triangles"), std::string::npos) << run.out;
  const test::ToolRun describe = Tool("describe " + dir + "/run/lightmap.qdx");
  EXPECT_NE(describe.out.find("\"object\": {\"name\": \"box.obj\", \"triangles\": 12, \"vertices\": 24"),
            std::string::npos)
      << describe.out;
  // Only the run directory: nothing temporary stays beside it.
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir)) entries += entry.path().filename() != "box.obj";
  EXPECT_EQ(entries, 1);

  // A second bake replaces the first whole; a directory of other files is not touched.
  ASSERT_EQ(Tool("bake --out " + dir + "/run" + kSmallBake).status, 0);
  EXPECT_FALSE(fs::exists(dir + "/run/object.vmesh"));
  fs::create_directories(dir + "/other");
  std::ofstream(dir + "/other/keep") << "mine";
  const test::ToolRun refused = Tool("bake --out " + dir + "/other" + kSmallBake);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("left as it is"), std::string::npos) << refused.err;
  EXPECT_TRUE(fs::exists(dir + "/other/keep"));
  EXPECT_EQ(Tool("bake --scale 2" + std::string(kSmallBake)).status, 2);
}

TEST_F(ModelBake, ABrokenModelGetsOneLineAndLeavesNothing) {
  const std::string dir = Path("work");
  fs::create_directories(dir);
  std::ofstream(dir + "/empty.obj");
  std::ofstream(dir + "/lines.obj") << "v 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2 3\n";
  for (const std::string& model : {dir + "/empty.obj", dir + "/lines.obj",
                                   std::string("/usr/share/assimp/models/invalid/OutOfMemory.off"),
                                   std::string("/usr/share/assimp/models/invalid/malformed.obj")}) {
    SCOPED_TRACE(model);
    const auto start = std::chrono::steady_clock::now();
    const test::ToolRun run = Tool("bake --out " + dir + "/run --model " + model + kSmallBake);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("bake: " + model + ": ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_LT(seconds, 10.0);  // well within, even under sanitizers
  }
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir)) entries += entry.is_directory();
  EXPECT_EQ(entries, 0);
}

}  // namespace
}  // namespace veltrane
