// Set-up shared by the fuzz harnesses. FatalExit throws FatalUnwind back to the harness instead
// of ending the process, and the C library's stderr stream goes to /dev/null so the messages of
// the code under test do not flood the log. libFuzzer keeps the stream it took at start-up and
// the sanitizers write to descriptor 2, so their reports still show.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/fatal.h"

namespace veltrane::fuzz {

struct FatalUnwind {
  int status;
};

inline void UnwindOnFatal(int status) { throw FatalUnwind{status}; }

inline void PrepareHarness() {
  SetFatalHandler(&UnwindOnFatal);
  if (FILE* quiet = std::fopen("/dev/null", "w")) stderr = quiet;
}

// A scratch file for harnesses whose code under test reads a path: in memory where there is
// /dev/shm (writing each input is then cheap), else in /tmp; removed when the process ends.
// Aborts when neither can be had. Call once, from LLVMFuzzerInitialize.
inline const std::string& ScratchFile(const char* stem) {
  static std::string path;
  for (const char* dir : {"/dev/shm", "/tmp"}) {
    std::string candidate = std::string(dir) + "/veltrane-fuzz-" + stem + "-XXXXXX";
    const int fd = mkstemp(&candidate[0]);
    if (fd < 0) continue;
    close(fd);
    path = candidate;
    break;
  }
  if (path.empty()) std::abort();
  std::atexit([] { std::remove(path.c_str()); });
  return path;
}

// Replaces the scratch file's contents with the input.
inline void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace veltrane::fuzz
