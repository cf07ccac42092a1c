#include "relight/gl/startup_profile.h"

#include <GL/glew.h>

#include <vector>

#include "relight/gl/pass_timer.h"

namespace veltrane {
namespace {

struct Row {
  const char* name;
  double seconds;
};

std::vector<Row> g_steps;
std::vector<Row> g_beside;
double g_last_mark = 0.0;
bool g_report_requested = false;
bool g_first_frame_done = false;

}  // namespace

void MarkStartupStep(const char* name) {
  const double now = SecondsSinceProgramStart();
  g_steps.push_back({name, now - g_last_mark});
  g_last_mark = now;
}

void NoteStartupWork(const char* name, double seconds) { g_beside.push_back({name, seconds}); }

void RequestStartupReport() { g_report_requested = true; }

void StartupFrameDone() {
  if (g_first_frame_done) return;
  g_first_frame_done = true;
  if (!g_report_requested) return;
  glFinish();
  MarkStartupStep("first frame");
  std::fprintf(stderr, "first frame after %.3f s\n", SecondsSinceProgramStart());
  ReportStartupSteps(stderr);
}

void ReportStartupSteps(FILE* out) {
  std::fprintf(out, "start-up steps (wall clock, s):\n");
  double total = 0.0;
  for (const Row& row : g_steps) {
    total += row.seconds;
    std::fprintf(out, "  %-32s %7.3f %7.3f\n", row.name, row.seconds, total);
  }
  for (const Row& row : g_beside) std::fprintf(out, "  %-32s %7.3f (beside)\n", row.name, row.seconds);
}

}  // namespace veltrane
