// The "p" benchmark's clock and swap interval: time that never runs backwards and resolves
// well below a millisecond, and a window that presents without waiting for the display while
// the benchmark runs, as it did before afterwards.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glx.h>
#undef None  // Xlib's, after gtest
#undef Bool


#include "app/benchmark.h"
#include "app/swap_interval.h"
#include "common/extension_list.h"
#include "support/gl_test_window.h"

namespace {

TEST(BenchmarkTimingTest, ClockIsMonotonicWithSubMillisecondSteps) {
  double smallest_step = 1.0;
  double last = GetTimeSeconds();
  for (int i = 0; i < 100000 && smallest_step >= 1e-4; ++i) {
    const double now = GetTimeSeconds();
    ASSERT_GE(now, last);
    if (now > last && now - last < smallest_step) smallest_step = now - last;
    last = now;
  }
  EXPECT_LT(smallest_step, 1e-4);  // a clock cut to milliseconds never steps by less than 1e-3
}

unsigned int GlxSwapInterval() {
  unsigned int interval = 0;
  glXQueryDrawable(glXGetCurrentDisplay(), glXGetCurrentDrawable(), GLX_SWAP_INTERVAL_EXT,
                   &interval);
  return interval;
}

TEST(BenchmarkTimingTest, SwapIntervalIsZeroWhileTheBenchmarkRunsAndRestoredAfter) {
  ASSERT_TRUE(veltrane::test::EnsureGlWindow());
  if (veltrane::test::GlTestWindowIsEgl()) {
    NoSwapWait none;  // EGL without a surface: nothing to set, nothing changed
    EXPECT_FALSE(none.changed());
    return;
  }
  if (!veltrane::ExtensionListHas(glXQueryExtensionsString(glXGetCurrentDisplay(), 0), "GLX_EXT_swap_control"))
    GTEST_SKIP() << "no GLX_EXT_swap_control to read the interval back with";
  const unsigned int before = GlxSwapInterval();
  {
    NoSwapWait no_wait;
    EXPECT_TRUE(no_wait.changed());
    EXPECT_EQ(GlxSwapInterval(), 0u);
  }
  EXPECT_EQ(GlxSwapInterval(), before);
}

}  // namespace
