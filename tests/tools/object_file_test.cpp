// The object file: what is written reads back exactly, and a damaged or hostile file is refused
// with a reason before anything is allocated from its counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "scene/object_mesh.h"

namespace veltrane {
namespace {

ObjectMesh Tetrahedron() {
  ObjectMesh m;
  m.name = "tetra.obj";
  m.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  m.normals = {0, -1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  m.indices = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};
  return m;
}

void PutU32(std::vector<unsigned char>* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

std::string DecodeError(const std::vector<unsigned char>& bytes) {
  ObjectMesh mesh;
  std::string why;
  EXPECT_FALSE(DecodeObjectFile(bytes.data(), bytes.size(), &mesh, nullptr, &why));
  return why;
}

TEST(ObjectFile, RoundTripsExactlyWithItsBounds) {
  const ObjectMesh m = Tetrahedron();
  std::vector<unsigned char> bytes;
  std::string why;
  ASSERT_TRUE(EncodeObjectFile(m, &bytes, &why)) << why;
  EXPECT_EQ(bytes.size(), kObjectFileHeaderBytes + m.name.size() + 24 * 4 + 12 * 4);
  ObjectMesh back;
  ObjectBounds bounds;
  ASSERT_TRUE(DecodeObjectFile(bytes.data(), bytes.size(), &back, &bounds, &why)) << why;
  EXPECT_EQ(back.name, m.name);
  EXPECT_EQ(back.positions, m.positions);
  EXPECT_EQ(back.normals, m.normals);
  EXPECT_EQ(back.indices, m.indices);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bounds.min[i], 0.0f);
    EXPECT_EQ(bounds.max[i], 1.0f);
  }
  const std::string path = testing::TempDir() + "roundtrip.vmesh";
  ASSERT_TRUE(WriteObjectFile(path, m, &why)) << why;
  ASSERT_TRUE(ReadObjectFile(path, &back, nullptr, &why)) << why;
  EXPECT_EQ(back.indices, m.indices);
  std::remove(path.c_str());
}

TEST(ObjectFile, RefusesDamagedAndHostileFiles) {
  std::vector<unsigned char> good;
  std::string why;
  ASSERT_TRUE(EncodeObjectFile(Tetrahedron(), &good, &why));
  const size_t positions = kObjectFileHeaderBytes + 9, indices = positions + 2 * 48;

  EXPECT_NE(DecodeError({good.begin(), good.begin() + 10}).find("shorter"), std::string::npos);
  auto bad = good;
  bad[0] = 'X';
  EXPECT_NE(DecodeError(bad).find("magic"), std::string::npos);
  bad = good;
  PutU32(&bad, 8, 2);
  EXPECT_NE(DecodeError(bad).find("version 2"), std::string::npos);
  // Counts far beyond the file: refused by the size check or the limits, not by allocating.
  bad = good;
  PutU32(&bad, 16, 0xffffffffu);
  EXPECT_NE(DecodeError(bad).find("more than the limit"), std::string::npos);
  bad = good;
  PutU32(&bad, 12, 1000000);
  EXPECT_NE(DecodeError(bad).find("size does not match"), std::string::npos);
  bad = good;
  bad.push_back(0);
  EXPECT_NE(DecodeError(bad).find("size does not match"), std::string::npos);
  bad = good;
  PutU32(&bad, 16, 0);
  EXPECT_NE(DecodeError(bad).find("no triangles"), std::string::npos);
  bad = good;
  PutU32(&bad, indices + 4, 4);
  EXPECT_NE(DecodeError(bad).find("beyond the vertex count"), std::string::npos);
  bad = good;
  const float nan = std::nanf("");
  std::memcpy(&bad[positions], &nan, 4);
  EXPECT_NE(DecodeError(bad).find("not a finite number"), std::string::npos);
  bad = good;
  const float moved = 0.5f;
  std::memcpy(&bad[positions + 12], &moved, 4);  // vertex 1's x: the bounds no longer match
  EXPECT_NE(DecodeError(bad).find("bounds"), std::string::npos);

  ObjectMesh m;
  EXPECT_FALSE(ReadObjectFile(testing::TempDir() + "no-such.vmesh", &m, nullptr, &why));
  EXPECT_NE(why.find("cannot open"), std::string::npos);
}

TEST(ObjectFile, WriterRefusesWhatItCannotStore) {
  ObjectMesh m = Tetrahedron();
  std::vector<unsigned char> bytes;
  std::string why;
  m.indices[5] = 9;
  EXPECT_FALSE(EncodeObjectFile(m, &bytes, &why));
  m = Tetrahedron();
  m.positions[4] = INFINITY;
  EXPECT_FALSE(EncodeObjectFile(m, &bytes, &why));
  m = Tetrahedron();
  m.name.assign(300, 'n');
  EXPECT_FALSE(EncodeObjectFile(m, &bytes, &why));
}

}  // namespace
}  // namespace veltrane
