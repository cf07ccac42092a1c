#include "tools/bake/model_import.h"

#include <sys/stat.h>

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/vec3.h"
#include "tools/bake/model_precheck.h"

namespace veltrane {
namespace {

bool Fail(std::string* why, const std::string& text) {
  *why = text;
  return false;
}

bool TooManyTriangles(std::string* why, size_t triangles, size_t limit) {
  return Fail(why, "has " + std::to_string(triangles) + " triangles, more than the limit of " + std::to_string(limit));
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > kMaxObjectNameBytes) name.resize(kMaxObjectNameBytes);
  return name;
}

// The first step: triangles apart from points and lines, and checks that need no more than that.
bool CheckTriangles(const aiScene& scene, const ImportOptions& options, std::string* why) {
  uint64_t triangles = 0;
  bool first = true, all_same = true;
  aiVector3D some;
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    const aiMesh& mesh = *scene.mMeshes[m];
    if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) continue;
    triangles += mesh.mNumFaces;
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
      const aiVector3D& p = mesh.mVertices[v];
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
        return Fail(why, "has coordinates that are not finite numbers (NaN or infinity)");
      }
      if (first) some = p;
      first = false;
      all_same = all_same && p == some;
    }
  }
  if (triangles == 0) return Fail(why, "has no triangles (only points or lines, or nothing)");
  if (all_same) return Fail(why, "has zero size (all its points coincide)");
  if (triangles > options.max_triangles) return TooManyTriangles(why, triangles, options.max_triangles);
  return true;
}

// A triangle mesh without normals gets its own vertex at every corner, so that the normals made
// for it can differ across an edge sharper than the crease angle; identical vertices are
// joined again afterwards. (Formats such as OFF share one vertex among all faces at a corner.)
void UnshareCorners(aiMesh* mesh) {
  if (mesh->mNormals != nullptr || mesh->mNumBones > 0 || mesh->mNumAnimMeshes > 0 ||
      (mesh->mPrimitiveTypes & (aiPrimitiveType_POINT | aiPrimitiveType_LINE | aiPrimitiveType_POLYGON)) != 0) {
    return;
  }
  const unsigned corners = 3 * mesh->mNumFaces;
  aiVector3D* vertices = new aiVector3D[corners];
  for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
    aiFace& face = mesh->mFaces[f];
    for (unsigned c = 0; c < face.mNumIndices && c < 3; ++c) {
      vertices[3 * f + c] = face.mIndices[c] < mesh->mNumVertices ? mesh->mVertices[face.mIndices[c]] : aiVector3D();
      face.mIndices[c] = 3 * f + c;
    }
  }
  delete[] mesh->mVertices;
  mesh->mVertices = vertices;
  mesh->mNumVertices = corners;
  // What else was stored per vertex is not used here and would no longer match.
  delete[] mesh->mTangents;
  delete[] mesh->mBitangents;
  mesh->mTangents = mesh->mBitangents = nullptr;
  for (auto& colors : mesh->mColors) {
    delete[] colors;
    colors = nullptr;
  }
  for (unsigned i = 0; i < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++i) {
    delete[] mesh->mTextureCoords[i];
    mesh->mTextureCoords[i] = nullptr;
    mesh->mNumUVComponents[i] = 0;
  }
}

// Turns the stated up axis (0 x, 1 y, 2 z, with its sign) to +Y by a proper rotation.
void TurnUpAxisToY(int axis, int sign, float* v) {
  const float x = v[0], y = v[1], z = v[2];
  if (axis == 2) {
    if (sign > 0) { v[1] = z; v[2] = -y; } else { v[1] = -z; v[2] = y; }
  } else if (axis == 0) {
    if (sign > 0) { v[0] = -y; v[1] = x; } else { v[0] = y; v[1] = -x; }
  } else if (sign < 0) {
    v[1] = -y;
    v[2] = -z;
  }
}

void StatedUpAxis(const aiScene& scene, int* axis, int* sign) {
  *axis = 1;
  *sign = 1;
  if (scene.mMetaData == nullptr) return;
  int32_t a = 1, s = 1;
  if (scene.mMetaData->Get("UpAxis", a) && a >= 0 && a <= 2) *axis = a;
  if (scene.mMetaData->Get("UpAxisSign", s) && s != 0) *sign = s > 0 ? 1 : -1;
}

// All triangle meshes into one, in world space (the scene was flattened).
void Gather(const aiScene& scene, ObjectMesh* out) {
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    const aiMesh& mesh = *scene.mMeshes[m];
    if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) continue;
    const uint32_t base = static_cast<uint32_t>(out->VertexCount());
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
      const aiVector3D& p = mesh.mVertices[v];
      out->positions.insert(out->positions.end(), {p.x, p.y, p.z});
      const aiVector3D n = mesh.mNormals != nullptr ? mesh.mNormals[v] : aiVector3D(0, 0, 0);
      out->normals.insert(out->normals.end(), {n.x, n.y, n.z});
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      const aiFace& face = mesh.mFaces[f];
      if (face.mNumIndices != 3) continue;
      bool inside = true;
      for (int c = 0; c < 3; ++c) inside = inside && face.mIndices[c] < mesh.mNumVertices;
      if (!inside) continue;
      out->indices.insert(out->indices.end(), {base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]});
    }
  }
}

Vec3d Position(const ObjectMesh& mesh, uint32_t v) {
  return {mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]};
}

// Per vertex, the sum of its triangles' normals weighted by their areas.
std::vector<Vec3d> FaceNormalSums(const ObjectMesh& mesh) {
  std::vector<Vec3d> sums(mesh.VertexCount());
  for (size_t t = 0; t < mesh.TriangleCount(); ++t) {
    const uint32_t* i = &mesh.indices[3 * t];
    const Vec3d n = TriangleNormalArea(Position(mesh, i[0]), Position(mesh, i[1]), Position(mesh, i[2]));
    for (int c = 0; c < 3; ++c) sums[i[c]] += n;
  }
  return sums;
}

// Drops triangles of zero area and the vertices no triangle uses.
void DropDegenerates(ObjectMesh* mesh) {
  std::vector<uint32_t> kept;
  kept.reserve(mesh->indices.size());
  for (size_t t = 0; t < mesh->TriangleCount(); ++t) {
    const uint32_t* i = &mesh->indices[3 * t];
    if (i[0] == i[1] || i[1] == i[2] || i[0] == i[2]) continue;
    const Vec3d n = TriangleNormalArea(Position(*mesh, i[0]), Position(*mesh, i[1]), Position(*mesh, i[2]));
    if (!(Dot(n, n) > 0.0)) continue;
    kept.insert(kept.end(), i, i + 3);
  }
  std::vector<uint32_t> remap(mesh->VertexCount(), UINT32_MAX);
  ObjectMesh out;
  for (uint32_t& index : kept) {
    if (remap[index] == UINT32_MAX) {
      remap[index] = static_cast<uint32_t>(out.VertexCount());
      out.positions.insert(out.positions.end(), &mesh->positions[3 * index], &mesh->positions[3 * index + 3]);
      out.normals.insert(out.normals.end(), &mesh->normals[3 * index], &mesh->normals[3 * index + 3]);
    }
    index = remap[index];
  }
  out.indices = std::move(kept);
  out.name = std::move(mesh->name);
  *mesh = std::move(out);
}

// Whether the surface is closed and consistently wound (every edge, its corners taken by
// position, is walked as often one way as the other); if so, winds it outwards (positive
// enclosed volume), turns its normals outwards and says so in mesh->closed.
void OrientClosedSurface(ObjectMesh* mesh) {
  struct PositionHash {
    size_t operator()(const std::array<float, 3>& p) const {
      uint32_t bits[3];
      std::memcpy(bits, p.data(), sizeof bits);
      return (static_cast<size_t>(bits[0]) * 73856093u) ^ (static_cast<size_t>(bits[1]) * 19349663u) ^
             (static_cast<size_t>(bits[2]) * 83492791u);
    }
  };
  std::unordered_map<std::array<float, 3>, uint32_t, PositionHash> welded;
  std::vector<uint32_t> weld(mesh->VertexCount());
  for (size_t v = 0; v < weld.size(); ++v) {
    const std::array<float, 3> p = {mesh->positions[3 * v], mesh->positions[3 * v + 1], mesh->positions[3 * v + 2]};
    weld[v] = welded.emplace(p, static_cast<uint32_t>(welded.size())).first->second;
  }
  std::unordered_map<uint64_t, int64_t> net;
  double volume = 0.0;
  for (size_t t = 0; t < mesh->TriangleCount(); ++t) {
    const uint32_t* i = &mesh->indices[3 * t];
    for (int c = 0; c < 3; ++c) {
      const uint64_t a = weld[i[c]], b = weld[i[(c + 1) % 3]];
      net[std::min(a, b) << 32 | std::max(a, b)] += a < b ? 1 : -1;
    }
    volume += Dot(Position(*mesh, i[0]), Cross(Position(*mesh, i[1]), Position(*mesh, i[2])));
  }
  mesh->closed = false;
  for (const auto& edge : net) {
    if (edge.second != 0) return;
  }
  if (volume == 0.0) return;
  if (volume < 0.0) {
    for (size_t t = 0; t < mesh->TriangleCount(); ++t) std::swap(mesh->indices[3 * t + 1], mesh->indices[3 * t + 2]);
  }
  mesh->closed = true;
  // Normals made from an inward winding point inwards: turn each normal that opposes its
  // triangles' outward normals.
  const std::vector<Vec3d> faces = FaceNormalSums(*mesh);
  for (size_t v = 0; v < faces.size(); ++v) {
    float* n = &mesh->normals[3 * v];
    if (Dot(faces[v], Vec3d{n[0], n[1], n[2]}) < 0.0) {
      for (int c = 0; c < 3; ++c) n[c] = -n[c];
    }
  }
}

// Unit normals; a normal that is missing, zero or not finite becomes the area-weighted mean of
// its triangles' normals.
void SettleNormals(ObjectMesh* mesh) {
  const size_t vertices = mesh->VertexCount();
  std::vector<bool> usable(vertices);
  bool all = true;
  for (size_t v = 0; v < vertices; ++v) {
    const Vec3d n{mesh->normals[3 * v], mesh->normals[3 * v + 1], mesh->normals[3 * v + 2]};
    usable[v] = std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) && Dot(n, n) > 1e-20;
    all = all && usable[v];
  }
  const std::vector<Vec3d> sum = all ? std::vector<Vec3d>() : FaceNormalSums(*mesh);
  for (size_t v = 0; v < vertices; ++v) {
    Vec3d n = usable[v] ? Vec3d{mesh->normals[3 * v], mesh->normals[3 * v + 1], mesh->normals[3 * v + 2]} : sum[v];
    n = Normalized(n);
    if (Dot(n, n) == 0.0) n = {0, 1, 0};
    mesh->normals[3 * v] = static_cast<float>(n.x);
    mesh->normals[3 * v + 1] = static_cast<float>(n.y);
    mesh->normals[3 * v + 2] = static_cast<float>(n.z);
  }
}

}  // namespace

bool ImportModel(const std::string& path, const ImportOptions& options, ObjectMesh* mesh, std::string* why) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return Fail(why, std::string("cannot read it: ") + std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Fail(why, "is not a regular file");
  if (st.st_size == 0) return Fail(why, "is empty");
  if (!PrecheckModelHeader(path, static_cast<uint64_t>(st.st_size), options.max_triangles, why)) return false;
  Assimp::Importer importer;
  importer.SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, kCreaseAngleDeg);
  importer.SetPropertyBool(AI_CONFIG_PP_FD_REMOVE, true);
  // Points and lines go: only triangles cast shadows and are drawn.
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  const aiScene* scene = importer.ReadFile(path, aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                                                     aiProcess_SortByPType);
  if (scene == nullptr) {
    std::string error = importer.GetErrorString();
    while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
    for (char& c : error) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    if (error.find("No suitable reader") != std::string::npos || error.find("unknown") != std::string::npos) {
      return Fail(why, "is not a model file that can be read here (" + error + ")");
    }
    // Points and lines alone leave no mesh, which assimp reports as an incomplete scene.
    if (error.find("incomplete") != std::string::npos || error.find("No meshes") != std::string::npos ||
        error.find("mNumMeshes is 0") != std::string::npos || error.find("no faces") != std::string::npos) {
      return Fail(why, "has no triangles (only points or lines, or nothing)");
    }
    return Fail(why, "cannot be read as a model: " + (error.empty() ? std::string("unknown error") : error));
  }
  if (!CheckTriangles(*scene, options, why)) return false;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) UnshareCorners(scene->mMeshes[m]);
  scene = importer.ApplyPostProcessing(aiProcess_PreTransformVertices | aiProcess_GenSmoothNormals |
                                       aiProcess_JoinIdenticalVertices | aiProcess_FindDegenerates);
  if (scene == nullptr) return Fail(why, std::string("cannot be prepared: ") + importer.GetErrorString());
  ObjectMesh out;
  out.name = BaseName(path);
  Gather(*scene, &out);
  int axis = 1, sign = 1;
  StatedUpAxis(*scene, &axis, &sign);
  importer.FreeScene();
  if (out.TriangleCount() > options.max_triangles) {
    return TooManyTriangles(why, out.TriangleCount(), options.max_triangles);
  }
  for (size_t i = 0; i < out.positions.size(); i += 3) {
    TurnUpAxisToY(axis, sign, &out.positions[i]);
    TurnUpAxisToY(axis, sign, &out.normals[i]);
  }
  DropDegenerates(&out);
  if (out.TriangleCount() == 0) return Fail(why, "has no triangles of nonzero area");
  SettleNormals(&out);
  OrientClosedSurface(&out);
  PlaceLikeAngel(options.placement, &out);
  for (float p : out.positions) {
    if (!std::isfinite(p)) return Fail(why, "is too large or too small to place (coordinates overflow)");
  }
  *mesh = std::move(out);
  return true;
}

}  // namespace veltrane
