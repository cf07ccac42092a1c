// Feeds arbitrary bytes to the container reader as a file, bounded as the DCT image reader
// bounds it (here by 16 MiB), so that a container declaring more is refused before anything is
// allocated for it. Fatal faults unwind back to the harness instead of ending the process; the
// reader's messages go to /dev/null.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "codec/deflate_container.h"
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
  int length = 0;
  try {
    constexpr size_t kBound = size_t{16} << 20;
    uint64_t declared = 0;
    if (ReadDeflateZipBounded(f, kBound, &buffer, &length, &declared)) {
      if (length < 0 || static_cast<size_t>(length) > static_cast<size_t>(size) / 8 * kDeflateChunkWindow ||
          static_cast<size_t>(length) > kBound) {
        std::abort();
      }
    } else if (buffer != nullptr || declared <= kBound) {
      std::abort();
    }
  } catch (const FatalUnwind&) {
  }
  std::fclose(f);
  std::free(buffer);
  return 0;
}
