#include "tools/bake/environment_truth.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "common/parallel_for.h"
#include "tools/bake/sphere_sets.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Unit vectors across d.
void Across(Vec3d d, Vec3d* a, Vec3d* b) {
  const Vec3d helper = std::fabs(d.y) < 0.9 ? Vec3d{0, 1, 0} : Vec3d{1, 0, 0};
  *a = Normalized(Cross(helper, d));
  *b = Cross(d, *a);
}

// count directions spread evenly (a Fibonacci spiral, equal solid angle each) over the cap of
// angular radius radius round d.
std::vector<Vec3d> CapDirections(Vec3d d, double radius, int count) {
  Vec3d a, b;
  Across(d, &a, &b);
  std::vector<Vec3d> out;
  const double golden = kPi * (3.0 - std::sqrt(5.0));
  const double lowest = std::cos(radius);
  for (int i = 0; i < count; ++i) {
    const double c = 1.0 - (1.0 - lowest) * (i + 0.5) / count;
    const double s = std::sqrt(std::max(0.0, 1.0 - c * c));
    const double angle = golden * i;
    out.push_back(Normalized(c * d + s * std::cos(angle) * a + s * std::sin(angle) * b));
  }
  return out;
}

}  // namespace

void CapMeanRadiance(const EnvironmentImage& env, Vec3d d, double disc_radius, double turn_rad, float rgb[3]) {
  double sum[3] = {0, 0, 0};
  const std::vector<Vec3d> cap = disc_radius > 0.0 ? CapDirections(d, disc_radius, 256) : std::vector<Vec3d>{d};
  for (const Vec3d& p : cap) {
    const double theta = std::acos(std::clamp(p.y, -1.0, 1.0));
    double phi = std::atan2(-p.z, p.x) - turn_rad;  // the pixel that the turn brought here
    phi -= 2.0 * kPi * std::floor(phi / (2.0 * kPi));
    const int v = std::clamp(static_cast<int>(theta / kPi * env.height), 0, env.height - 1);
    const int u = std::clamp(static_cast<int>(phi / (2.0 * kPi) * env.width), 0, env.width - 1);
    for (int c = 0; c < 3; ++c) sum[c] += env.Pixel(u, v)[c];
  }
  for (int c = 0; c < 3; ++c) rgb[c] = static_cast<float>(sum[c] / cap.size());
}

EnvironmentTruth RenderEnvironmentTruth(const GroundTruthScene& scene, int width, int height,
                                        const EnvironmentTruthLight& light, double disc_radius, int directions,
                                        int jobs) {
  // Every direction with the radiance it brings (times its solid angle).
  struct Ray {
    Vec3d d;
    double rgb[3];
  };
  std::vector<Ray> rays;
  if (light.environment != nullptr) {
    const double solid_angle = 2.0 * kPi / directions;
    for (const Vec3d& d : FibonacciHemisphere(directions)) {
      float l[3];
      CapMeanRadiance(*light.environment, d, disc_radius, light.turn_rad, l);
      if (l[0] == 0.0f && l[1] == 0.0f && l[2] == 0.0f) continue;
      rays.push_back({d, {l[0] * solid_angle, l[1] * solid_angle, l[2] * solid_angle}});
    }
  }
  if (light.has_sun) {
    const int count = std::max(16, directions / 8);
    for (const Vec3d& d : CapDirections(light.sun, disc_radius, disc_radius > 0.0 ? count : 1)) {
      const double share = disc_radius > 0.0 ? 1.0 / count : 1.0;
      if (d.y <= 0.0) continue;
      rays.push_back({d, {light.sun_irradiance[0] * share, light.sun_irradiance[1] * share,
                          light.sun_irradiance[2] * share}});
    }
  }

  const TexelGrid grid = FullGrid(width, height);
  const size_t texels = static_cast<size_t>(grid.width) * grid.height;
  EnvironmentTruth out;
  out.planes.assign(3 * texels, 0.0f);
  std::vector<double> sums(3 * texels, 0.0);
  std::mutex merge;
  const int threads = ResolveThreadCount(jobs);
  ParallelChunks(rays.size(), (rays.size() + 4 * threads - 1) / (4 * threads) + 1, jobs,
                 [&](size_t begin, size_t end, int) {
                   std::vector<double> local(3 * texels, 0.0);
                   std::vector<float> map(texels);
                   GroundTruthScratch scratch;
                   for (size_t r = begin; r < end; ++r) {
                     RenderGroundTruth(scene, rays[r].d, grid, map.data(), &scratch);
                     for (int c = 0; c < 3; ++c) {
                       double* plane = &local[c * texels];
                       for (size_t t = 0; t < texels; ++t) plane[t] += rays[r].rgb[c] * map[t];
                     }
                   }
                   std::lock_guard<std::mutex> hold(merge);
                   for (size_t i = 0; i < sums.size(); ++i) sums[i] += local[i];
                 });
  for (size_t i = 0; i < sums.size(); ++i) out.planes[i] = static_cast<float>(sums[i]);
  for (const Ray& ray : rays) {
    for (int c = 0; c < 3; ++c) out.open[c] += ray.rgb[c] * std::max(0.0, ray.d.y);
  }
  return out;
}

}  // namespace veltrane
