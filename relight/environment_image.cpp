#include "relight/environment_image.h"

#include <algorithm>
#include <cmath>

#include "common/direction.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

// out[j] = mean of in over output cell j's span, with in's cells weighted by weight (the span
// of [i, i+1) in the input's units), for n_in input and n_out output cells over the same range.
// stride: the distance between successive cells, in floats; three channels each.
void ResampleLine(const float* in, int n_in, size_t in_stride, const double* in_weight, float* out, int n_out,
                  size_t out_stride) {
  const double scale = static_cast<double>(n_in) / n_out;
  for (int j = 0; j < n_out; ++j) {
    const double lo = j * scale, hi = (j + 1) * scale;
    double sum[3] = {0, 0, 0}, total = 0.0;
    for (int i = static_cast<int>(std::floor(lo)); i < n_in && i < hi; ++i) {
      const double overlap = std::min(hi, i + 1.0) - std::max(lo, static_cast<double>(i));
      if (overlap <= 0.0) continue;
      const double w = overlap * (in_weight != nullptr ? in_weight[i] : 1.0);
      for (int c = 0; c < 3; ++c) sum[c] += w * in[i * in_stride + c];
      total += w;
    }
    for (int c = 0; c < 3; ++c) out[j * out_stride + c] = total > 0.0 ? static_cast<float>(sum[c] / total) : 0.0f;
  }
}

}  // namespace

Vec3d EnvironmentPixelDirection(int u, int v, int width, int height) {
  return SphericalDirection(kPi * (v + 0.5) / height, 2.0 * kPi * (u + 0.5) / width);
}

double EnvironmentPixelSolidAngle(int v, int width, int height) {
  return 2.0 * kPi / width * (std::cos(kPi * v / height) - std::cos(kPi * (v + 1) / height));
}

EnvironmentImage UniformEnvironment(int width, int height, float r, float g, float b) {
  EnvironmentImage e;
  e.width = width;
  e.height = height;
  e.rgb.resize(3 * static_cast<size_t>(width) * height);
  for (size_t i = 0; i < e.rgb.size(); i += 3) {
    e.rgb[i] = r;
    e.rgb[i + 1] = g;
    e.rgb[i + 2] = b;
  }
  return e;
}

EnvironmentImage ResampleEnvironment(const EnvironmentImage& in, int width, int height) {
  // Columns first (every column of a row covers the same solid angle), then rows weighted by
  // their solid angle (cos theta_top - cos theta_bottom in the input's row units).
  std::vector<float> columns(3 * static_cast<size_t>(width) * in.height);
  for (int v = 0; v < in.height; ++v) {
    ResampleLine(in.Pixel(0, v), in.width, 3, nullptr, &columns[3 * static_cast<size_t>(v) * width], width, 3);
  }
  std::vector<double> row_weight(in.height);
  for (int v = 0; v < in.height; ++v) row_weight[v] = std::max(1e-300, EnvironmentPixelSolidAngle(v, 1, in.height));
  EnvironmentImage out;
  out.width = width;
  out.height = height;
  out.rgb.resize(3 * static_cast<size_t>(width) * height);
  for (int u = 0; u < width; ++u) {
    ResampleLine(&columns[3 * static_cast<size_t>(u)], in.height, 3 * static_cast<size_t>(width), row_weight.data(),
                 &out.rgb[3 * static_cast<size_t>(u)], height, 3 * static_cast<size_t>(width));
  }
  return out;
}

long long ZeroBrokenPixels(float* rgb, size_t pixels) {
  long long broken = 0;
  for (size_t p = 0; p < pixels; ++p) {
    float* px = rgb + 3 * p;
    bool bad = false;
    for (int c = 0; c < 3; ++c) bad = bad || !(px[c] >= 0.0f && px[c] <= kBrokenRadiance);
    if (bad) {
      px[0] = px[1] = px[2] = 0.0f;
      ++broken;
    }
  }
  return broken;
}

}  // namespace veltrane
