// Set-up shared by the fuzz harnesses. FatalExit throws FatalUnwind back to the harness instead
// of ending the process, and the C library's stderr stream goes to /dev/null so the messages of
// the code under test do not flood the log. libFuzzer keeps the stream it took at start-up and
// the sanitizers write to descriptor 2, so their reports still show.
#pragma once

#include <cstdio>

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

}  // namespace veltrane::fuzz
