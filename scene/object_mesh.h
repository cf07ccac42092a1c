// An object that stands on the table in place of the built-in angel: one indexed triangle mesh
// with a normal per vertex, in the built-in model's units, and the object file that carries it
// in a run directory.
//
// The object file (".vmesh"), all numbers little-endian:
//   bytes  0..7   magic "VLTMESH\0"
//          8..11  version (1)
//         12..15  vertex count V
//         16..19  triangle count T
//         20..23  name length L in bytes (at most kMaxObjectNameBytes)
//         24..47  bounds: min x, y, z, max x, y, z (float32)
//         48..51  flags: bit 0, the surface is closed and wound outwards; other bits zero
//         52..63  zero
//   then the name (L bytes, no terminator), V positions (3 float32 each), V normals (3 float32
//   each) and T triangles (3 uint32 vertex indices each), and nothing after them.
// A reader checks the counts against their limits and against the file's size before it
// allocates anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace veltrane {

// The most triangles an object may have (also the import limit): 8 M.
constexpr uint32_t kMaxObjectTriangles = 8u * 1024u * 1024u;
constexpr uint32_t kMaxObjectVertices = 3u * kMaxObjectTriangles;
constexpr uint32_t kMaxObjectNameBytes = 255;
constexpr uint32_t kObjectFileVersion = 1;
constexpr size_t kObjectFileHeaderBytes = 64;
constexpr const char* kObjectFileName = "object.vmesh";

struct ObjectMesh {
  std::string name;                // what the object was made from, e.g. the model's file name
  std::vector<float> positions;    // 3 per vertex
  std::vector<float> normals;      // 3 per vertex, unit length
  std::vector<uint32_t> indices;   // 3 per triangle
  // The surface is closed and every triangle is counter-clockwise seen from outside, so back
  // faces may be culled; otherwise the winding says nothing.
  bool closed = false;

  size_t VertexCount() const { return positions.size() / 3; }
  size_t TriangleCount() const { return indices.size() / 3; }
};

struct ObjectBounds {
  float min[3] = {0, 0, 0}, max[3] = {0, 0, 0};
};

ObjectBounds BoundsOf(const ObjectMesh& mesh);

// The object file's bytes for mesh. False, with *why set, when the mesh cannot be stored (counts
// over the limits, an index out of range, a value that is not finite, a name that is too long).
bool EncodeObjectFile(const ObjectMesh& mesh, std::vector<unsigned char>* bytes, std::string* why);

// Parses an object file held in memory. False, with *why set (what is wrong, without the file's
// name), when the bytes are not a whole, consistent object file of this version.
bool DecodeObjectFile(const unsigned char* data, size_t size, ObjectMesh* mesh, ObjectBounds* bounds,
                      std::string* why);

// Reads an object file: its size is checked against the counts in its header before the body is
// read. False, with *why set, as DecodeObjectFile or when the file cannot be read.
bool ReadObjectFile(const std::string& path, ObjectMesh* mesh, ObjectBounds* bounds, std::string* why);

// Writes the file; false with *why set when the mesh cannot be stored or the file written.
bool WriteObjectFile(const std::string& path, const ObjectMesh& mesh, std::string* why);

}  // namespace veltrane
