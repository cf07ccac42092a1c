#include "tools/modelgen/corner_normals.h"

#include <cmath>

std::vector<Vec3d> CornerNormals(const Mesh& mesh, double crease_degrees) {
  const double kPi = 3.14159265358979323846;
  const double min_cos = std::cos(crease_degrees * kPi / 180.0);
  std::vector<Vec3d> area_normal(mesh.triangles.size());
  std::vector<std::vector<int>> faces_of(mesh.positions.size());
  for (size_t f = 0; f < mesh.triangles.size(); ++f) {
    const Triangle& t = mesh.triangles[f];
    area_normal[f] = TriangleNormalArea(mesh.positions[t[0]], mesh.positions[t[1]], mesh.positions[t[2]]);
    for (int v : t) faces_of[v].push_back(static_cast<int>(f));
  }
  std::vector<Vec3d> normals;
  normals.reserve(3 * mesh.triangles.size());
  for (size_t f = 0; f < mesh.triangles.size(); ++f) {
    Vec3d own = Normalized(area_normal[f]);
    for (int v : mesh.triangles[f]) {
      Vec3d sum;
      for (int g : faces_of[v]) {
        if (Dot(own, Normalized(area_normal[g])) >= min_cos) sum += area_normal[g];
      }
      normals.push_back(Normalized(sum));
    }
  }
  return normals;
}
