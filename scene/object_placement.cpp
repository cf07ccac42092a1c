#include "scene/object_placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/model.h"

namespace veltrane {

ObjectBounds AngelBounds() {
  ObjectBounds b;
  bool first = true;
  for (const FaceRecord& face : angel_faces) {
    for (int p : face.position) {
      for (int i = 0; i < 3; ++i) {
        const float x = model_positions[p][i];
        if (first || x < b.min[i]) b.min[i] = x;
        if (first || x > b.max[i]) b.max[i] = x;
      }
      first = false;
    }
  }
  return b;
}

void PlaceLikeAngel(const ObjectPlacement& placement, ObjectMesh* mesh) {
  const double turn = placement.turn_deg * 3.14159265358979323846 / 180.0;
  const double c = std::cos(turn), s = std::sin(turn);
  auto rotate = [&](float* v) {
    const double x = v[0], z = v[2];
    v[0] = static_cast<float>(c * x + s * z);
    v[2] = static_cast<float>(-s * x + c * z);
  };
  for (size_t i = 0; i < mesh->positions.size(); i += 3) {
    rotate(&mesh->positions[i]);
    rotate(&mesh->normals[i]);
  }
  const ObjectBounds object = BoundsOf(*mesh);
  const ObjectBounds angel = AngelBounds();
  double fit = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 3; ++i) {
    const double extent = static_cast<double>(object.max[i]) - object.min[i];
    if (extent > 0.0) fit = std::min(fit, (static_cast<double>(angel.max[i]) - angel.min[i]) / extent);
  }
  if (!std::isfinite(fit)) fit = 1.0;
  const double k = fit * placement.scale;
  const double from[3] = {0.5 * (static_cast<double>(object.min[0]) + object.max[0]), object.min[1],
                          0.5 * (static_cast<double>(object.min[2]) + object.max[2])};
  const double to[3] = {0.5 * (static_cast<double>(angel.min[0]) + angel.max[0]), kTableTopY,
                        0.5 * (static_cast<double>(angel.min[2]) + angel.max[2])};
  for (size_t i = 0; i < mesh->positions.size(); ++i) {
    const int axis = static_cast<int>(i % 3);
    mesh->positions[i] = static_cast<float>((mesh->positions[i] - from[axis]) * k + to[axis]);
  }
}

}  // namespace veltrane
