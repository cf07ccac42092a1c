// The frames-per-second benchmark of the "p" key.
#pragma once

// Wall-clock time in seconds, to the millisecond.
double GetTimeSeconds();

// Draws 100 frames and reports the rate on stderr.
void RunBenchmark();
