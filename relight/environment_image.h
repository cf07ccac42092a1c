// An environment: RGB radiance in latitude-longitude layout over the whole sphere of directions,
// in the light frame. Row v (0 at the top) has polar angle theta = pi (v + 0.5) / height from +Y,
// column u has azimuth phi = 2 pi (u + 0.5) / width, and a pixel's direction is
// (sin theta cos phi, cos theta, -sin theta sin phi), as the light and the SRBF centres.
#pragma once

#include <vector>

#include "common/vec3.h"

namespace veltrane {

struct EnvironmentImage {
  int width = 0, height = 0;
  std::vector<float> rgb;  // width * height * 3, row 0 first

  float* Pixel(int u, int v) { return &rgb[3 * (static_cast<size_t>(v) * width + u)]; }
  const float* Pixel(int u, int v) const { return &rgb[3 * (static_cast<size_t>(v) * width + u)]; }
};

// The direction at the centre of pixel (u, v) of an image of that size.
Vec3d EnvironmentPixelDirection(int u, int v, int width, int height);

// The solid angle of one pixel of row v (every pixel of a row covers the same).
double EnvironmentPixelSolidAngle(int v, int width, int height);

// A constant environment of the given size.
EnvironmentImage UniformEnvironment(int width, int height, float r, float g, float b);

// Resamples to width x height by area: every output pixel holds the mean radiance over its
// solid angle, so the environment's integral over the sphere (and over any band of rows whose
// edges both grids share) is kept. The input must hold at least one pixel.
EnvironmentImage ResampleEnvironment(const EnvironmentImage& in, int width, int height);

// Sets negative, non-finite and absurdly large values (above kBrokenRadiance) to 0; returns how
// many pixels held one.
constexpr float kBrokenRadiance = 1e12f;
long long ZeroBrokenPixels(float* rgb, size_t pixels);

}  // namespace veltrane
