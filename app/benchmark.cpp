#include "app/benchmark.h"

#include <time.h>

#include <cstdio>

#include "app/display.h"
#include "relight/gl/pass_timer.h"

double GetTimeSeconds() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec / 1000000) * 0.001;
}

void RunBenchmark() {
  std::fprintf(stderr, "Performing benchmarking , please wait\n");
#ifdef VELTRANE_TIMED
  veltrane::PassTimerReset();
#endif
  double t0 = GetTimeSeconds();
  for (int i = 0; i < 100; ++i) {
    if (i % 10 == 0) std::fprintf(stderr, ".");
    Display();
  }
  double t1 = GetTimeSeconds();
  std::fprintf(stderr, "%f fps\n", 100.0 / (t1 - t0));
#ifdef VELTRANE_TIMED
  veltrane::PassTimerReport(stderr);
#endif
}
