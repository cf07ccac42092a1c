// Observe FatalExit in tests: while a FatalCatcher lives, FatalExit throws FatalExitError
// instead of ending the process.
//
//   veltrane::test::FatalCatcher catcher;
//   testing::internal::CaptureStderr();
//   int status = catcher.Run([&] { ReadSomething(...); });   // -1 when nothing was fatal
//   EXPECT_EQ(status, 1);
//   EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Reader]: message\n");
#pragma once

#include <functional>

#include "common/fatal.h"

namespace veltrane::test {

struct FatalExitError {
  int status;
};

class FatalCatcher {
 public:
  FatalCatcher();
  ~FatalCatcher();
  FatalCatcher(const FatalCatcher&) = delete;
  FatalCatcher& operator=(const FatalCatcher&) = delete;

  // Runs fn; returns the status it ended with through FatalExit, or kNoExit.
  static constexpr int kNoExit = -1000;
  int Run(const std::function<void()>& fn);

 private:
  FatalHandler previous_;
};

}  // namespace veltrane::test
