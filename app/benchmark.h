// The frames-per-second benchmark of the "p" key.
#pragma once

// Time in seconds from a monotonic clock, to the microsecond or better.
double GetTimeSeconds();

// Draws 100 frames, with the swap interval 0 where the driver lets us set it, and reports the
// rate on stderr once the GPU has finished the last of them.
void RunBenchmark();
