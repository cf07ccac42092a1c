// Importing a model file (OBJ, PLY, STL, OFF, glTF 2.0 / GLB, FBX, Collada and whatever else
// the installed assimp reads) as the object that stands on the table.
//
// The model is triangulated, identical vertices are joined, degenerate triangles dropped, the
// file's up axis (where it states one; else +Y) turned to +Y, smooth normals computed where the
// file has none (with a crease angle, so that hard edges stay hard), and the object placed like
// the built-in angel (scene/object_placement.h).
#pragma once

#include <cstdint>
#include <string>

#include "scene/object_mesh.h"
#include "scene/object_placement.h"

namespace veltrane {

// Normals of faces that meet at more than this angle are not averaged.
constexpr float kCreaseAngleDeg = 60.0f;

struct ImportOptions {
  ObjectPlacement placement;
  uint32_t max_triangles = kMaxObjectTriangles;
};

// False, with *why set to one line that says what is wrong (without the file's name), when the
// file cannot be read or holds no usable object: empty, not a model assimp reads, malformed, no
// triangles (points or lines only), coordinates that are not finite, zero size, more triangles
// than the limit.
bool ImportModel(const std::string& path, const ImportOptions& options, ObjectMesh* mesh, std::string* why);

}  // namespace veltrane
