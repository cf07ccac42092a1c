// Feeds arbitrary bytes to ReadPPM through a file of their own. Fatal faults unwind back to
// the harness instead of ending the process; the reader's messages go to /dev/null.
#include <unistd.h>

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
  // A file in memory where there is /dev/shm: writing each input is then cheap.
  for (const char* dir : {"/dev/shm", "/tmp"}) {
    std::string candidate = std::string(dir) + "/veltrane-fuzz-ppm-XXXXXX";
    const int fd = mkstemp(&candidate[0]);
    if (fd < 0) continue;
    close(fd);
    g_path = candidate;
    break;
  }
  if (g_path.empty()) std::abort();
  std::atexit([] { std::remove(g_path.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(g_path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(data, 1, size, f);
  std::fclose(f);
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
