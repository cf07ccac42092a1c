#include "tools/bake/ground_truth.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene/model.h"
#include "tools/bake/shadow_simplify.h"
#include "tools/bake/sphere_sets.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

// An orthonormal pair perpendicular to unit n (Duff et al., "Building an orthonormal basis,
// revisited").
void PerpendicularPair(Vec3d n, Vec3d* b1, Vec3d* b2) {
  const double sign = std::copysign(1.0, n.z);
  const double a = -1.0 / (sign + n.z);
  const double b = n.x * n.y * a;
  *b1 = {1.0 + sign * n.x * n.x * a, sign * b, -sign * n.x};
  *b2 = {b, sign + n.y * n.y * a, -n.y};
}

}  // namespace

std::vector<double> DiscSamples(int count) {
  // Equal-area rings (r^2 = (k + 1/2) / count) turned by the golden angle, with no jitter: the
  // plain spiral covers the disc more evenly than a jittered one, so a shadow edge crossing it
  // is counted closer to its true share (two truths with the pattern turned differ by a third as
  // much near the shadow at the same count).
  std::vector<double> out;
  const double golden_angle = kPi * (3.0 - std::sqrt(5.0));
  for (int k = 0; k < count; ++k) {
    const double r = std::sqrt((k + 0.5) / count);
    const double a = golden_angle * k;
    out.push_back(r * std::cos(a));
    out.push_back(r * std::sin(a));
  }
  return out;
}

bool BuiltInGroundTruthScene(int disc_samples, double disc_radius, GroundTruthScene* scene) {
  GroundTruthScene s;
  if (!BuiltInTableTopMap(&s.map)) return false;
  std::vector<Triangle3> angel;
  for (int f = 0; f < kAngelFaceCount; ++f) {
    Triangle3 t;
    bool valid = true;
    for (int c = 0; c < 3; ++c) {
      const int p = angel_faces[f].position[c];
      if (p < 0 || p >= kModelPositionCount) {
        valid = false;
        break;
      }
      t[c] = {model_positions[p][0], model_positions[p][1], model_positions[p][2]};
    }
    if (!valid) continue;
    // Wind the triangle counter-clockwise seen from where its corner normals point.
    Vec3d normal;
    for (int c = 0; c < 3; ++c) {
      const int n = angel_faces[f].normal[c];
      if (n >= 0 && n < kModelCornerCount) {
        normal = normal + Vec3d{model_normals[n][0], model_normals[n][1], model_normals[n][2]};
      }
    }
    if (Dot(Cross(t[1] - t[0], t[2] - t[0]), normal) < 0.0) std::swap(t[1], t[2]);
    angel.push_back(t);
  }
  s.occluders = ClipAbovePlane(angel, s.map.plane_y);
  s.front_faces_only = true;
  s.disc = DiscSamples(disc_samples);
  s.disc_radius = disc_radius;
  *scene = std::move(s);
  return true;
}

bool ObjectGroundTruthScene(const ObjectMesh& object, int disc_samples, double disc_radius,
                            GroundTruthScene* scene) {
  GroundTruthScene s;
  if (!BuiltInTableTopMap(&s.map)) return false;
  std::vector<Triangle3> triangles(object.TriangleCount());
  for (size_t t = 0; t < triangles.size(); ++t) {
    for (int c = 0; c < 3; ++c) {
      const float* p = &object.positions[3 * static_cast<size_t>(object.indices[3 * t + c])];
      triangles[t][c] = {p[0], p[1], p[2]};
    }
  }
  // A cell of about one light-map texel of the default 512 x 512 map to begin with.
  const double texel = std::fabs(s.map.ax_s) / 512.0;
  double cell = 0.0;
  s.occluders = ClusterTriangles(ClipAbovePlane(triangles, s.map.plane_y), kShadowTriangleBudget, texel, &cell);
  // A closed surface wound outwards casts its whole shadow through the faces turned towards
  // the light; a clustered copy need not stay closed, so it casts through all of them.
  s.front_faces_only = object.closed && cell == 0.0;
  s.disc = DiscSamples(disc_samples);
  s.disc_radius = disc_radius;
  *scene = std::move(s);
  return true;
}

void RenderGroundTruth(const GroundTruthScene& scene, Vec3d l, const TexelGrid& grid, float* out,
                       GroundTruthScratch* scratch) {
  const size_t cells = static_cast<size_t>(grid.width) * grid.height;
  const double cosine = std::max(0.0, l.y);
  if (cosine == 0.0) {
    std::fill(out, out + cells, 0.0f);
    return;
  }
  if (scratch->stamp.size() != cells) {
    scratch->stamp.assign(cells, 0);
    scratch->next_id = 0;
  }
  scratch->count.assign(cells, 0);

  // With no disc the light is the single direction l.
  const int samples = std::max(1, static_cast<int>(scene.disc.size() / 2));
  Vec3d b1, b2;
  PerpendicularPair(l, &b1, &b2);
  const double spread = scene.disc.empty() ? 0.0 : std::tan(scene.disc_radius);
  for (int k = 0; k < samples; ++k) {
    const double u = scene.disc.empty() ? 0.0 : scene.disc[2 * k];
    const double v = scene.disc.empty() ? 0.0 : scene.disc[2 * k + 1];
    const Vec3d lk = Normalized(l + spread * (u * b1 + v * b2));
    // Light from the horizon or below does not reach the top at all: the whole map is dark.
    if (lk.y <= 1e-6) {
      for (uint8_t& c : scratch->count) ++c;
      continue;
    }
    if (++scratch->next_id == 0) {  // the stamps wrapped: start them again
      std::fill(scratch->stamp.begin(), scratch->stamp.end(), 0u);
      scratch->next_id = 1;
    }
    AccumulateShadow(scene.occluders, scene.front_faces_only, scene.map, lk, grid, scratch->next_id, scratch->stamp.data(),
                     scratch->count.data());
  }
  const double per_sample = cosine / samples;
  for (size_t i = 0; i < cells; ++i) {
    out[i] = static_cast<float>(per_sample * (samples - scratch->count[i]));
  }
}

}  // namespace veltrane
