// The start-up profile of the instrumented viewer veltrane-timed: the wall time of each step
// from the program's start to the first frame, printed as a table once the first frame is done.
// In the shipping viewer the macro expands to nothing.
#pragma once

#include <cstdio>

namespace veltrane {

// Books the time since the previous mark (or since MarkProgramStart) under name. name must
// outlive the program (a string literal).
void MarkStartupStep(const char* name);

// Books seconds of work done beside the steps (on another thread or process) under name, as a
// row of its own that the total does not count.
void NoteStartupWork(const char* name, double seconds);

// The table: one row per step with its seconds and the running total, then the rows of work
// done beside them.
void ReportStartupSteps(FILE* out);

}  // namespace veltrane

#ifdef VELTRANE_TIMED
#define VELTRANE_STARTUP_STEP(name) ::veltrane::MarkStartupStep(name)
#define VELTRANE_STARTUP_WORK(name, seconds) ::veltrane::NoteStartupWork(name, seconds)
#else
#define VELTRANE_STARTUP_STEP(name) ((void)0)
#define VELTRANE_STARTUP_WORK(name, seconds) ((void)(seconds))
#endif
