#include "relight/studio_environment.h"

#include <cmath>

#include "common/direction.h"

namespace veltrane {

EnvironmentImage StudioEnvironment(int width, int height) {
  struct SoftBox {
    double theta_deg, phi_deg, radius_deg;
    float rgb[3];
  };
  const SoftBox boxes[2] = {{40.0, 30.0, 22.0, {4.0f, 3.6f, 3.0f}}, {62.0, 200.0, 18.0, {1.6f, 1.8f, 2.2f}}};
  const float fill[3] = {0.08f, 0.08f, 0.09f};
  const float floor[3] = {0.03f, 0.03f, 0.03f};
  EnvironmentImage e = UniformEnvironment(width, height, 0.0f, 0.0f, 0.0f);
  for (int v = 0; v < height; ++v) {
    for (int u = 0; u < width; ++u) {
      const Vec3d d = EnvironmentPixelDirection(u, v, width, height);
      float* px = e.Pixel(u, v);
      const float* base = d.y > 0.0 ? fill : floor;
      for (int c = 0; c < 3; ++c) px[c] = base[c];
      for (const SoftBox& box : boxes) {
        const Vec3d centre = SphericalDirection(box.theta_deg * kRadiansPerDegree, box.phi_deg * kRadiansPerDegree);
        if (Dot(d, centre) >= std::cos(box.radius_deg * kRadiansPerDegree)) {
          for (int c = 0; c < 3; ++c) px[c] = box.rgb[c];
        }
      }
    }
  }
  return e;
}

}  // namespace veltrane
