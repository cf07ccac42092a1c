// What the baker's stages share: buffers, map tables, captions, file writes.
#include "tools/bake/bake_stages.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/direction.h"
#include "common/heap.h"
#include "tools/bake/fit_errors.h"
#include "tools/bake/run_files.h"

namespace veltrane {
bool AllocateFloats(size_t count, HeapPtr<float>* buffer, const char* what) {
  buffer->reset(HeapAlloc<float>(count));
  if (*buffer == nullptr) {
    std::fprintf(stderr, "bake: not enough memory for %s (%.0f MiB)\n", what,
                 4.0 * static_cast<double>(count) / 1048576.0);
    return false;
  }
  return true;
}

std::vector<const float*> ConstMaps(const float* base, size_t count, size_t texels) {
  std::vector<const float*> maps;
  for (size_t i = 0; i < count; ++i) maps.push_back(base + i * texels);
  return maps;
}

std::vector<float*> Maps(float* base, size_t count, size_t texels) {
  std::vector<float*> maps;
  for (size_t i = 0; i < count; ++i) maps.push_back(base + i * texels);
  return maps;
}

std::string DirectionText(Vec3d l) {
  const double theta = std::acos(std::clamp(l.y, -1.0, 1.0)) * 57.29577951308232;
  double phi = std::atan2(-l.z, l.x) * 57.29577951308232;
  if (phi < 0.0) phi += 360.0;
  char text[64];
  std::snprintf(text, sizeof text, "theta %5.1f phi %5.1f degrees", theta, phi);
  return text;
}

std::string Caption(Vec3d l, const char* what, const ErrorSums& error, double mean_reference) {
  char text[200];
  if (mean_reference > 0.0) {
    std::snprintf(text, sizeof text, "%s (%s): relative error %.2f %%, %.2f %% of the mean light map",
                  DirectionText(l).c_str(), what, 100.0 * error.Relative(),
                  100.0 * std::sqrt(error.error / mean_reference));
  } else {
    std::snprintf(text, sizeof text, "%s (%s): relative error %.2f %%", DirectionText(l).c_str(), what,
                  100.0 * error.Relative());
  }
  return text;
}


bool WriteFileOrSay(const std::string& path, const void* data, size_t size) {
  if (WriteFileBytes(path, data, size)) return true;
  std::fprintf(stderr, "bake: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  return false;
}


}  // namespace veltrane
