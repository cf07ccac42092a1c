// The ray-traced truth of the table top under a whole environment, to hold the SRBF weights
// against: the environment seen through the data set's light disc (its radiance averaged over a
// cap of the disc's radius round each direction, since the fitted transfer cannot hold sharper
// light) integrated over a dense, equal-area set of directions of the upper hemisphere, each
// with the angel's shadow as the baker casts it, times cos(theta). A sun is a disc of that
// radius: the mean over its cap of the same.
#pragma once

#include <vector>

#include "common/vec3.h"
#include "relight/environment_image.h"
#include "tools/bake/ground_truth.h"

namespace veltrane {

struct EnvironmentTruthLight {
  const EnvironmentImage* environment = nullptr;  // null: none
  double turn_rad = 0.0;                          // added to every pixel's azimuth
  bool has_sun = false;
  Vec3d sun;
  float sun_irradiance[3] = {0, 0, 0};
};

struct EnvironmentTruth {
  std::vector<float> planes;  // 3 x width x height, R, G, B, row 0 first (as the light maps)
  double open[3] = {0, 0, 0}; // an unshadowed texel's value
};

// The truth of a width x height light map. scene: the baker's scene with a single light direction (no disc). disc_radius in radians.
// directions: the number of hemisphere directions (the sun takes directions / 8 of its own).
EnvironmentTruth RenderEnvironmentTruth(const GroundTruthScene& scene, int width, int height,
                                        const EnvironmentTruthLight& light, double disc_radius, int directions,
                                        int jobs);

// The environment's radiance averaged over the cap of angular radius disc_radius round d,
// uniform in solid angle (nearest pixels).
void CapMeanRadiance(const EnvironmentImage& env, Vec3d d, double disc_radius, double turn_rad, float rgb[3]);

}  // namespace veltrane
