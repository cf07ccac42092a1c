// Feeds arbitrary bytes to ReadPPM through a file of their own. Fatal faults unwind back to
// the harness instead of ending the process; the reader's messages go to /dev/null.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/ppm.h"
#include "fuzz/fuzz_support.h"

namespace {

using veltrane::fuzz::FatalUnwind;

std::string g_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  g_path = veltrane::fuzz::ScratchFile("ppm");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veltrane::fuzz::WriteScratchFile(g_path, data, size);
  unsigned char* pixels = nullptr;
  int width = -1, height = -1;
  try {
    ReadPPM(g_path.c_str(), &width, &height, &pixels);
    if (width <= 0 || height <= 0) std::abort();
    // The whole buffer is there and was read from the file.
    volatile unsigned sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height) * 3; ++i) sum = sum + pixels[i];
    InvertBuf(pixels, height, width * 3);
  } catch (const FatalUnwind&) {
  }
  std::free(pixels);
  return 0;
}
