// Fuzzes the relighting description parser: the input is written to a file, read into a fresh
// record and the record destroyed.
#include "relight/description.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"

namespace {

std::string InputPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/fuzz_description_" +
         std::to_string(getpid()) + ".qdx";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = InputPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    RelightDescription record;
    record.Read(path.c_str());
  } catch (const veltrane::fuzz::FatalUnwind&) {
    // The parser has no fatal faults; a throw here would still unwind cleanly.
  }
  std::remove(path.c_str());
  return 0;
}
