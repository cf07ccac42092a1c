// GL timer queries (GL_TIME_ELAPSED) around the passes of a frame, for the instrumented viewer
// veltrane-timed, which is built from the same sources with VELTRANE_TIMED defined. In the
// shipping viewer the macros expand to nothing.
//
// Query objects belong to one GL context, and the passes run in several (one per render
// target), so every (context, pass) pair keeps its own query. A query's result is collected
// when the same pair begins its next query, by which time the frame that issued it is done.
// Each pass is also timed on the wall clock between two glFinish calls.
#pragma once

#include <cstdio>

namespace veltrane {

enum FramePass { kRelightPass = 0, kCapturePass = 1, kScreenPass = 2, kFramePassCount = 3 };

void PassTimerBegin(FramePass pass);
void PassTimerEnd(FramePass pass);

// Forgets what was measured so far; queries still in flight are dropped.
void PassTimerReset();

// Writes two lines: the median time of each pass per frame since the reset, in milliseconds,
// by the queries and by the wall clock.
void PassTimerReport(FILE* out);

// Seconds since MarkProgramStart (called at the top of main).
void MarkProgramStart();
double SecondsSinceProgramStart();

}  // namespace veltrane

#ifdef VELTRANE_TIMED
#define VELTRANE_PASS_TIMER_BEGIN(pass) ::veltrane::PassTimerBegin(pass)
#define VELTRANE_PASS_TIMER_END(pass) ::veltrane::PassTimerEnd(pass)
#else
#define VELTRANE_PASS_TIMER_BEGIN(pass) ((void)0)
#define VELTRANE_PASS_TIMER_END(pass) ((void)0)
#endif
