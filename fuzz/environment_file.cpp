// Feeds arbitrary bytes to the environment image reader (Radiance HDR through stb_image,
// OpenEXR through its library), with limits small enough that no accepted image needs much
// memory or time (an image of 1 x 1 tiles costs a decode per pixel). Whatever it accepts must
// be a full grid of finite, non-negative radiance.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/environment_file.h"
#include "fuzz/fuzz_support.h"
#include "relight/environment_weights.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veltrane::EnvironmentFileLimits limits;
  limits.max_side = 512;
  limits.max_pixels = 128 * 64;
  veltrane::EnvironmentFileResult result;
  std::string why;
  if (!veltrane::ReadEnvironmentBytes(data, size, "input", &result, &why, limits)) {
    if (why.empty()) std::abort();
    return 0;
  }
  if (result.image.width != veltrane::kWeightTableWidth || result.image.height != veltrane::kWeightTableHeight ||
      result.image.rgb.size() != 3u * veltrane::kWeightTableWidth * veltrane::kWeightTableHeight) {
    std::abort();
  }
  for (float x : result.image.rgb) {
    if (!(x >= 0.0f && std::isfinite(x))) std::abort();
  }
  return 0;
}
