// Importing models: real files of several formats from assimp's test models come in as
// triangles standing where the angel stands; broken ones are refused with one reason each.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "scene/object_placement.h"
#include "scene/model.h"
#include "tools/bake/model_import.h"

namespace veltrane {
namespace {

const std::string kModels = "/usr/share/assimp/models/";

std::string Temp(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

const char kBoxObj[] =
    "v 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\nv 0 0 1\nv 2 0 1\nv 2 1 1\nv 0 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 4 8 7 3\nf 1 5 8 4\nf 2 3 7 6\n";

TEST(ModelImport, RealModelsOfSeveralFormatsStandWhereTheAngelStands) {
  const ObjectBounds angel = AngelBounds();
  for (const char* file : {"OBJ/spider.obj", "PLY/cube.ply", "PLY/cube_binary.ply", "STL/Spider_ascii.stl",
                           "STL/Spider_binary.stl", "OFF/Cube.off",
                           "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"}) {
    SCOPED_TRACE(file);
    ObjectMesh mesh;
    std::string why;
    ASSERT_TRUE(ImportModel(kModels + file, ImportOptions(), &mesh, &why)) << why;
    ASSERT_GT(mesh.TriangleCount(), 0u);
    EXPECT_EQ(mesh.normals.size(), mesh.positions.size());
    const ObjectBounds b = BoundsOf(mesh);
    EXPECT_NEAR(b.min[1], kTableTopY, 1e-5);
    bool touches = false;  // as large as fits: one side matches the angel's
    for (int i = 0; i < 3; ++i) {
      const float object = b.max[i] - b.min[i], limit = angel.max[i] - angel.min[i];
      EXPECT_LE(object, limit * 1.0001f);
      touches = touches || std::fabs(object - limit) < 1e-4f * limit;
    }
    EXPECT_TRUE(touches);
    EXPECT_NEAR(b.min[0] + b.max[0], angel.min[0] + angel.max[0], 1e-5);
    EXPECT_NEAR(b.min[2] + b.max[2], angel.min[2] + angel.max[2], 1e-5);
    for (size_t v = 0; v < mesh.VertexCount(); ++v) {
      const float* n = &mesh.normals[3 * v];
      ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4f);
    }
  }
}

TEST(ModelImport, ABoxKeepsItsEdgesItsProportionsAndTurns) {
  const std::string path = Temp("box.obj", kBoxObj);
  ObjectMesh mesh;
  std::string why;
  ASSERT_TRUE(ImportModel(path, ImportOptions(), &mesh, &why)) << why;
  // Quads became two triangles each; the crease angle keeps a normal per face at every corner,
  // also where the file shares one vertex among a corner's faces (OFF).
  EXPECT_EQ(mesh.TriangleCount(), 12u);
  EXPECT_EQ(mesh.VertexCount(), 24u);
  for (float n : mesh.normals) EXPECT_TRUE(n == 0.0f || std::fabs(n) == 1.0f) << n;
  ObjectMesh off;
  ASSERT_TRUE(ImportModel(kModels + "OFF/Cube.off", ImportOptions(), &off, &why)) << why;
  EXPECT_EQ(off.VertexCount(), 24u);
  for (float n : off.normals) EXPECT_TRUE(n == 0.0f || std::fabs(n) == 1.0f) << n;
  ObjectBounds b = BoundsOf(mesh);
  const float x = b.max[0] - b.min[0], y = b.max[1] - b.min[1], z = b.max[2] - b.min[2];
  EXPECT_NEAR(x / y, 2.0f, 1e-4f);
  EXPECT_NEAR(z / y, 1.0f, 1e-4f);

  // Closed, and wound outwards whichever way the file winds it.
  auto outwards = [](const ObjectMesh& m) {
    const ObjectBounds box = BoundsOf(m);
    for (size_t t = 0; t < m.TriangleCount(); ++t) {
      float c[3], e1[3], e2[3];
      const float* p[3];
      for (int k = 0; k < 3; ++k) p[k] = &m.positions[3 * m.indices[3 * t + k]];
      for (int i = 0; i < 3; ++i) {
        c[i] = (p[0][i] + p[1][i] + p[2][i]) / 3.0f - 0.5f * (box.min[i] + box.max[i]);
        e1[i] = p[1][i] - p[0][i];
        e2[i] = p[2][i] - p[0][i];
      }
      const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
      if (n[0] * c[0] + n[1] * c[1] + n[2] * c[2] <= 0.0f) return false;
    }
    return true;
  };
  EXPECT_TRUE(mesh.closed);
  EXPECT_TRUE(outwards(mesh));
  std::string reversed = kBoxObj, open = kBoxObj;
  for (const char* from : {"f 1 4 3 2", "f 5 6 7 8", "f 1 2 6 5", "f 4 8 7 3", "f 1 5 8 4", "f 2 3 7 6"}) {
    std::string to = "f";
    for (int k = 4; k >= 1; --k) to += std::string(" ") + from[2 * k];
    reversed.replace(reversed.find(from), 9, to);
  }
  open.erase(open.find("f 2 3 7 6"));  // the last face
  const std::string reversed_path = Temp("reversed.obj", reversed), open_path = Temp("open.obj", open);
  ObjectMesh other;
  ASSERT_TRUE(ImportModel(reversed_path, ImportOptions(), &other, &why)) << why;
  EXPECT_TRUE(other.closed);
  EXPECT_TRUE(outwards(other));
  // Its normals, made from the inward winding, were turned outwards too.
  const ObjectBounds ob = BoundsOf(other);
  for (size_t v = 0; v < other.VertexCount(); ++v) {
    float along = 0.0f;
    for (int i = 0; i < 3; ++i) along += other.normals[3 * v + i] * (other.positions[3 * v + i] - 0.5f * (ob.min[i] + ob.max[i]));
    EXPECT_GT(along, 0.0f);
  }
  ASSERT_TRUE(ImportModel(open_path, ImportOptions(), &other, &why)) << why;
  EXPECT_FALSE(other.closed);
  std::remove(reversed_path.c_str());
  std::remove(open_path.c_str());

  ImportOptions turned;
  turned.placement.turn_deg = 90.0;
  turned.placement.scale = 0.5;
  ASSERT_TRUE(ImportModel(path, turned, &mesh, &why)) << why;
  b = BoundsOf(mesh);
  EXPECT_NEAR((b.max[2] - b.min[2]) / (b.max[0] - b.min[0]), 2.0f, 1e-3f);
  const ObjectBounds angel = AngelBounds();  // now its depth (z) limits: 2 units to the angel's
  EXPECT_NEAR(b.max[1] - b.min[1], 0.5f * (angel.max[2] - angel.min[2]) / 2.0f, 1e-5f);
  EXPECT_NEAR(b.min[1], kTableTopY, 1e-5);
  std::remove(path.c_str());
}

TEST(ModelImport, BrokenModelsAreRefusedWithTheirReason) {
  std::string huge_stl(84, '\0');
  huge_stl[80] = huge_stl[81] = huge_stl[82] = '\xff';
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {kModels + "invalid/empty.obj", "is empty"},
      {kModels + "invalid/malformed.obj", "cannot be read as a model"},
      {kModels + "OBJ/point_cloud.obj", "no triangles"},
      {kModels + "OBJ/testline.obj", "no triangles"},
      {kModels + "glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb", "not finite"},
      {kModels + "invalid/OutOfMemory.off", "more than a file of 309 bytes can hold"},
      {Temp("nan.obj", "v 0 0 0\nv 1 0 0\nv nan 1 0\nf 1 2 3\n"), "not finite"},
      {Temp("point.off", "OFF\n3 1 0\n1 1 1\n1 1 1\n1 1 1\n3 0 1 2\n"), "zero size"},
      {Temp("flat.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n"), "no triangles of nonzero area"},
      {Temp("claims.ply", "ply\nformat binary_little_endian 1.0\nelement vertex 4000000000\n"
                          "property float x\nproperty float y\nproperty float z\nend_header\n"),
       "more than a file of"},
      {Temp("claims.stl", huge_stl), "more than a file of 84 bytes"},
      {Temp("text.obj", "this is not a model\n"), "no triangles"},
      {Temp("noise.xyz", "\x01\x02\x03garbage"), "not a model file that can be read here"},
      {testing::TempDir() + "missing.obj", "cannot read it"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    ObjectMesh mesh;
    std::string why;
    EXPECT_FALSE(ImportModel(c.path, ImportOptions(), &mesh, &why));
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << why;
  }
  // The triangle limit: a box has 12.
  const std::string box = Temp("limit.obj", kBoxObj);
  ImportOptions small;
  small.max_triangles = 11;
  ObjectMesh mesh;
  std::string why;
  EXPECT_FALSE(ImportModel(box, small, &mesh, &why));
  EXPECT_NE(why.find("more than the limit of 11"), std::string::npos) << why;
  const std::string stl = Temp("limit.stl", std::string(80, ' ') + std::string("\x0c\0\0\0", 4) + std::string(600, '\0'));
  EXPECT_FALSE(ImportModel(stl, small, &mesh, &why));
  EXPECT_NE(why.find("claims 12 faces, more than the limit of 11"), std::string::npos) << why;
  std::remove(stl.c_str());
  std::string faces = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  for (int i = 0; i < 12; ++i) faces += "f 1 2 3\n";
  const std::string obj = Temp("faces.obj", faces);
  EXPECT_FALSE(ImportModel(obj, small, &mesh, &why));
  EXPECT_NE(why.find("has more than 11 faces"), std::string::npos) << why;
  std::remove(obj.c_str());
  std::remove(box.c_str());
}

}  // namespace
}  // namespace veltrane
