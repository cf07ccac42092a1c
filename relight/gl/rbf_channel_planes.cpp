#include <cstdlib>

#include "common/heap.h"
#include "relight/gl/coefficient_maps.h"

RbfChannelPlanes::RbfChannelPlanes(int count_, int width_, int height_)
    : count(count_), width(width_), height(height_), planes{nullptr, nullptr, nullptr} {}

RbfChannelPlanes::~RbfChannelPlanes() {}

bool RbfChannelPlanes::AllocatePlanes() {
  size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  for (int c = 0; c < 3; ++c) {
    planes[c] = static_cast<float**>(std::calloc(n == 0 ? 1 : n, sizeof(float*)));
    if (planes[c] == nullptr) return false;
  }
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < n; ++i) {
      planes[c][i] = veltrane::HeapAlloc<float>(PlaneSize());
      if (planes[c][i] == nullptr) return false;
    }
  }
  return true;
}

void RbfChannelPlanes::ReleasePlanes() {
  for (int c = 0; c < 3; ++c) {
    if (planes[c] == nullptr) continue;
    for (int i = 0; i < count; ++i) std::free(planes[c][i]);
    std::free(planes[c]);
    planes[c] = nullptr;
  }
}

void InterleaveRbfChannels(const RbfChannelPlanes& planes, float** rbfdata) {
  size_t pixels = planes.PlaneSize();
  for (int i = 0; i < planes.count; ++i) {
    const float* r = planes.planes[0][i];
    const float* g = planes.planes[1][i];
    const float* b = planes.planes[2][i];
    float* out = rbfdata[i];
    for (size_t j = 0; j < pixels; ++j) {
      out[3 * j] = r[j];
      out[3 * j + 1] = g[j];
      out[3 * j + 2] = b[j];
    }
  }
}
