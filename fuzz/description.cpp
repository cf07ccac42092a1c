// Fuzzes the relighting description parser: the input is written to a file, read into a fresh
// record and the record destroyed.
#include "relight/description.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/fatal.h"

namespace {

struct FatalExitError {};

void ThrowOnFatal(int) { throw FatalExitError{}; }

std::string InputPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/fuzz_description_" +
         std::to_string(getpid()) + ".qdx";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = InputPath();
  veltrane::SetFatalHandler(&ThrowOnFatal);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    RelightDescription record;
    record.Read(path.c_str());
  } catch (const FatalExitError&) {
    // The parser has no fatal faults; a throw here would still unwind cleanly.
  }
  std::remove(path.c_str());
  return 0;
}
