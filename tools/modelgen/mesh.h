// Triangle meshes while the model is built, and the finished parts with their per-corner data.
#pragma once

#include <array>
#include <vector>

#include "common/vec3.h"

using veltrane::Vec3d;
using Triangle = std::array<int, 3>;

// Positions shared between triangles; triangles wound counter-clockwise seen from outside.
struct Mesh {
  std::vector<Vec3d> positions;
  std::vector<Triangle> triangles;
};

struct TexCoord {
  double s = 0, t = 0;
};

// A finished part of the scene: normals and texture coordinates per corner, three per
// triangle in triangle order.
struct ModelPart {
  Mesh mesh;
  std::vector<Vec3d> normals;
  std::vector<TexCoord> texcoords;
};
