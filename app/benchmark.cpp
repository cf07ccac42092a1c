#include "app/benchmark.h"

#include <GL/glew.h>
#include <time.h>

#include <cstdio>

#include "app/display.h"
#include "app/swap_interval.h"
#include "relight/gl/pass_timer.h"

// Monotonic, to the nanosecond: a change of the system's clock during a run does not count.
double GetTimeSeconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void RunBenchmark() {
  std::fprintf(stderr, "Performing benchmarking , please wait\n");
#ifdef VELTRANE_TIMED
  veltrane::PassTimerReset();
#endif
  NoSwapWait no_wait;  // frames as fast as they come, not at the display's refresh
  double t0 = GetTimeSeconds();
  for (int i = 0; i < 100; ++i) {
    if (i % 10 == 0) std::fprintf(stderr, ".");
    Display();
  }
  glFinish();  // the time includes the GPU's work on the 100th frame
  double t1 = GetTimeSeconds();
  std::fprintf(stderr, "%f fps\n", 100.0 / (t1 - t0));
#ifdef VELTRANE_TIMED
  veltrane::PassTimerReport(stderr);
#endif
}
