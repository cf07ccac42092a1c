// Feeds arbitrary bytes to DctImage::Load and Decode as a file. Fatal faults unwind back to
// the harness instead of ending the process; the decoder's messages go to /dev/null. Planes
// are kept to 2^21 pixels (a 2048 x 1024 image) so that no input makes the decoder allocate
// much.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "codec/dct_image.h"
#include "codec/deflate_container.h"
#include "fuzz/fuzz_support.h"

using veltrane::fuzz::FatalUnwind;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  veltrane::SetDctImageMaxPixels(int64_t{1} << 21);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  float* plane = nullptr;
  try {
    DctImage image;
    image.Load(f);
    int width = -1, height = -1;
    image.Decode(&plane, &width, &height);
    if (width != image.width || height != image.height || width < 0 || height < 0) std::abort();
    // Every sample of the result is written: touch them all.
    volatile float sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) sum = sum + plane[i];
  } catch (const FatalUnwind&) {
  }
  std::fclose(f);
  std::free(plane);
  return 0;
}
