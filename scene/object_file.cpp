#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "scene/object_mesh.h"

namespace veltrane {
namespace {

const unsigned char kMagic[8] = {'V', 'L', 'T', 'M', 'E', 'S', 'H', 0};

void PutU32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t GetU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutF32(unsigned char* p, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutU32(p, v);
}

float GetF32(const unsigned char* p) {
  const uint32_t v = GetU32(p);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

constexpr uint32_t kClosedFlag = 1;

struct Header {
  uint32_t version = 0, vertices = 0, triangles = 0, name_bytes = 0, flags = 0;
  float bounds[6] = {};
};

bool Fail(std::string* why, const std::string& text) {
  *why = text;
  return false;
}

// Checks the fixed header and returns the body's expected size in *body_bytes.
bool ParseHeader(const unsigned char* h, Header* header, uint64_t* body_bytes, std::string* why) {
  if (std::memcmp(h, kMagic, sizeof kMagic) != 0) return Fail(why, "not an object file (bad magic)");
  header->version = GetU32(h + 8);
  if (header->version != kObjectFileVersion) {
    return Fail(why, "object file version " + std::to_string(header->version) + " is not supported (this reads " +
                         std::to_string(kObjectFileVersion) + ")");
  }
  header->vertices = GetU32(h + 12);
  header->triangles = GetU32(h + 16);
  header->name_bytes = GetU32(h + 20);
  for (int i = 0; i < 6; ++i) header->bounds[i] = GetF32(h + 24 + 4 * i);
  header->flags = GetU32(h + 48);
  if ((header->flags & ~kClosedFlag) != 0) return Fail(why, "the header has flags this version does not know");
  for (size_t i = 52; i < kObjectFileHeaderBytes; ++i) {
    if (h[i] != 0) return Fail(why, "the header's reserved bytes are not zero");
  }
  if (header->triangles == 0) return Fail(why, "the object has no triangles");
  if (header->triangles > kMaxObjectTriangles) {
    return Fail(why, std::to_string(header->triangles) + " triangles, more than the limit of " +
                         std::to_string(kMaxObjectTriangles));
  }
  if (header->vertices < 3 || header->vertices > kMaxObjectVertices) {
    return Fail(why, std::to_string(header->vertices) + " vertices, outside 3 to " +
                         std::to_string(kMaxObjectVertices));
  }
  if (header->name_bytes > kMaxObjectNameBytes) return Fail(why, "the name is longer than 255 bytes");
  *body_bytes = header->name_bytes + 24ull * header->vertices + 12ull * header->triangles;
  return true;
}

bool ParseBody(const Header& header, const unsigned char* body, ObjectMesh* mesh, ObjectBounds* bounds,
               std::string* why) {
  ObjectMesh m;
  m.closed = (header.flags & kClosedFlag) != 0;
  m.name.assign(reinterpret_cast<const char*>(body), header.name_bytes);
  const unsigned char* p = body + header.name_bytes;
  const size_t values = 3 * static_cast<size_t>(header.vertices);
  m.positions.resize(values);
  m.normals.resize(values);
  for (size_t i = 0; i < values; ++i, p += 4) m.positions[i] = GetF32(p);
  for (size_t i = 0; i < values; ++i, p += 4) m.normals[i] = GetF32(p);
  for (size_t i = 0; i < values; ++i) {
    if (!std::isfinite(m.positions[i]) || !std::isfinite(m.normals[i])) {
      return Fail(why, "a position or normal is not a finite number");
    }
  }
  m.indices.resize(3 * static_cast<size_t>(header.triangles));
  for (uint32_t& index : m.indices) {
    index = GetU32(p);
    p += 4;
    if (index >= header.vertices) return Fail(why, "a triangle names a vertex beyond the vertex count");
  }
  const ObjectBounds actual = BoundsOf(m);
  for (int i = 0; i < 3; ++i) {
    if (actual.min[i] != header.bounds[i] || actual.max[i] != header.bounds[3 + i]) {
      return Fail(why, "the bounds in the header do not match the positions");
    }
  }
  if (bounds != nullptr) *bounds = actual;
  *mesh = std::move(m);
  return true;
}

}  // namespace

ObjectBounds BoundsOf(const ObjectMesh& mesh) {
  ObjectBounds b;
  for (size_t v = 0; v < mesh.VertexCount(); ++v) {
    for (int i = 0; i < 3; ++i) {
      const float x = mesh.positions[3 * v + i];
      if (v == 0 || x < b.min[i]) b.min[i] = x;
      if (v == 0 || x > b.max[i]) b.max[i] = x;
    }
  }
  return b;
}

bool EncodeObjectFile(const ObjectMesh& mesh, std::vector<unsigned char>* bytes, std::string* why) {
  const size_t vertices = mesh.VertexCount(), triangles = mesh.TriangleCount();
  if (mesh.positions.size() != 3 * vertices || mesh.normals.size() != mesh.positions.size() ||
      mesh.indices.size() != 3 * triangles) {
    return Fail(why, "the mesh's arrays do not fit together");
  }
  if (triangles == 0 || triangles > kMaxObjectTriangles) return Fail(why, "the triangle count is 0 or over the limit");
  if (vertices < 3 || vertices > kMaxObjectVertices) return Fail(why, "the vertex count is outside its limits");
  if (mesh.name.size() > kMaxObjectNameBytes) return Fail(why, "the name is longer than 255 bytes");
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    if (!std::isfinite(mesh.positions[i]) || !std::isfinite(mesh.normals[i])) {
      return Fail(why, "a position or normal is not a finite number");
    }
  }
  for (uint32_t index : mesh.indices) {
    if (index >= vertices) return Fail(why, "a triangle names a vertex beyond the vertex count");
  }
  const ObjectBounds b = BoundsOf(mesh);
  bytes->assign(kObjectFileHeaderBytes + mesh.name.size() + 24 * vertices + 12 * triangles, 0);
  unsigned char* p = bytes->data();
  std::memcpy(p, kMagic, sizeof kMagic);
  PutU32(p + 8, kObjectFileVersion);
  PutU32(p + 12, static_cast<uint32_t>(vertices));
  PutU32(p + 16, static_cast<uint32_t>(triangles));
  PutU32(p + 20, static_cast<uint32_t>(mesh.name.size()));
  PutU32(p + 48, mesh.closed ? kClosedFlag : 0);
  for (int i = 0; i < 3; ++i) {
    PutF32(p + 24 + 4 * i, b.min[i]);
    PutF32(p + 36 + 4 * i, b.max[i]);
  }
  p += kObjectFileHeaderBytes;
  std::memcpy(p, mesh.name.data(), mesh.name.size());
  p += mesh.name.size();
  for (float f : mesh.positions) PutF32(p, f), p += 4;
  for (float f : mesh.normals) PutF32(p, f), p += 4;
  for (uint32_t i : mesh.indices) PutU32(p, i), p += 4;
  return true;
}

bool DecodeObjectFile(const unsigned char* data, size_t size, ObjectMesh* mesh, ObjectBounds* bounds,
                      std::string* why) {
  if (size < kObjectFileHeaderBytes) return Fail(why, "the file is shorter than an object file's header");
  Header header;
  uint64_t body_bytes = 0;
  if (!ParseHeader(data, &header, &body_bytes, why)) return false;
  if (size - kObjectFileHeaderBytes != body_bytes) {
    return Fail(why, "the file's size does not match the counts in its header");
  }
  return ParseBody(header, data + kObjectFileHeaderBytes, mesh, bounds, why);
}

bool ReadObjectFile(const std::string& path, ObjectMesh* mesh, ObjectBounds* bounds, std::string* why) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) return Fail(why, std::string("cannot open: ") + std::strerror(errno));
  unsigned char h[kObjectFileHeaderBytes];
  if (std::fread(h, 1, sizeof h, f.get()) != sizeof h) {
    return Fail(why, "the file is shorter than an object file's header");
  }
  Header header;
  uint64_t body_bytes = 0;
  if (!ParseHeader(h, &header, &body_bytes, why)) return false;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return Fail(why, "cannot find the file's size");
  const long end = std::ftell(f.get());
  if (end < 0 || static_cast<uint64_t>(end) != kObjectFileHeaderBytes + body_bytes) {
    return Fail(why, "the file's size does not match the counts in its header");
  }
  std::vector<unsigned char> body(body_bytes);
  if (std::fseek(f.get(), static_cast<long>(kObjectFileHeaderBytes), SEEK_SET) != 0 ||
      std::fread(body.data(), 1, body.size(), f.get()) != body.size()) {
    return Fail(why, "cannot read the file's body");
  }
  return ParseBody(header, body.data(), mesh, bounds, why);
}

bool WriteObjectFile(const std::string& path, const ObjectMesh& mesh, std::string* why) {
  std::vector<unsigned char> bytes;
  if (!EncodeObjectFile(mesh, &bytes, why)) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return Fail(why, std::string("cannot create: ") + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) return Fail(why, std::string("cannot write: ") + std::strerror(errno));
  return true;
}

}  // namespace veltrane
