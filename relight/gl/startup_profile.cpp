#include "relight/gl/startup_profile.h"

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

}  // namespace

void MarkStartupStep(const char* name) {
  const double now = SecondsSinceProgramStart();
  g_steps.push_back({name, now - g_last_mark});
  g_last_mark = now;
}

void NoteStartupWork(const char* name, double seconds) { g_beside.push_back({name, seconds}); }

void ReportStartupSteps(FILE* out) {
  std::fprintf(out, "start-up steps (wall clock, s):\n");
  double total = 0.0;
  for (const Row& row : g_steps) {
    total += row.seconds;
    std::fprintf(out, "  %-28s %7.3f %7.3f\n", row.name, row.seconds, total);
  }
  for (const Row& row : g_beside) std::fprintf(out, "  %-28s %7.3f (beside)\n", row.name, row.seconds);
}

}  // namespace veltrane
