// Feeds arbitrary bytes to the container reader as a file, through the shader expansion's
// bound: a container that declares more than a shader may hold is refused (fatally) before
// anything is allocated for it, and one that is taken never delivers more than the bound.
// Fatal faults unwind back to the harness instead of ending the process; the reader's messages
// go to /dev/null.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "codec/deflate_container.h"
#include "codec/shader_container.h"
#include "fuzz/fuzz_support.h"

using veltrane::fuzz::FatalUnwind;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  unsigned char* buffer = nullptr;
  int length = -1;
  try {
    ReadShaderContainer(f, "fuzz.cgz", &buffer, &length);
    // Each chunk entry takes 8 bytes of the file and delivers at most one window.
    if (buffer == nullptr || length < 0 ||
        static_cast<size_t>(length) > static_cast<size_t>(size) / 8 * kDeflateChunkWindow ||
        static_cast<size_t>(length) > kMaxShaderSourceBytes) {
      std::abort();
    }
  } catch (const FatalUnwind& fault) {
    if (fault.status != 1 || buffer != nullptr) std::abort();
  }
  std::fclose(f);
  std::free(buffer);
  return 0;
}
