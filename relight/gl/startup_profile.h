// The start-up profile: the wall time of each step from the program's start to the first frame,
// printed as a table on standard error once the first frame is done, where it was asked for
// (veltrane-timed always, veltrane-headless --startup-profile). The steps are recorded in every
// build; recording one costs a clock reading.
#pragma once

#include <cstdio>

namespace veltrane {

// Books the time since the previous mark (or since MarkProgramStart) under name. name must
// outlive the program (a string literal).
void MarkStartupStep(const char* name);

// Books seconds of work done beside the steps (in another thread or process) under name, as a
// row of its own that the total does not count.
void NoteStartupWork(const char* name, double seconds);

// Asks for the table after the first frame.
void RequestStartupReport();

// Called after every frame. After the first one, where a report was asked for: waits for the
// GL to finish it, books it as the step "first frame" and writes "first frame after S s" and
// the table to standard error.
void StartupFrameDone();

// The table: one row per step with its seconds and the running total, then the rows of work
// done beside them.
void ReportStartupSteps(FILE* out);

}  // namespace veltrane
