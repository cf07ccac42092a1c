#include "support/fatal_catcher.h"

#include <cstdio>

namespace veltrane::test {
namespace {
void ThrowStatus(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  throw FatalExitError{status};
}
}  // namespace

FatalCatcher::FatalCatcher() : previous_(SetFatalHandler(&ThrowStatus)) {}
FatalCatcher::~FatalCatcher() { SetFatalHandler(previous_); }

int FatalCatcher::Run(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const FatalExitError& e) {
    return e.status;
  }
  return kNoExit;
}

}  // namespace veltrane::test
