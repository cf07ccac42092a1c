#include "relight/gl/pass_timer.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "render/current_gl_context.h"

namespace veltrane {
namespace {

using Clock = std::chrono::steady_clock;

struct TimerSlot {
  const void* context;
  FramePass pass;
  GLuint query;
  bool pending;
  unsigned generation;
};

constexpr int kMaxSlots = 16;
TimerSlot g_slots[kMaxSlots];
int g_slot_count = 0;
unsigned g_generation = 0;
TimerSlot* g_running = nullptr;
Clock::time_point g_running_since;

// Per pass, one entry per query (GL_TIME_ELAPSED) and one per wall-clock span, in ns.
std::vector<uint64_t> g_query_ns[kFramePassCount];
std::vector<uint64_t> g_wall_ns[kFramePassCount];

Clock::time_point g_program_start = Clock::now();

TimerSlot* FindSlot(FramePass pass) {
  const void* context = CurrentGlContext();
  for (int i = 0; i < g_slot_count; ++i) {
    if (g_slots[i].context == context && g_slots[i].pass == pass) return &g_slots[i];
  }
  if (g_slot_count == kMaxSlots) return nullptr;
  TimerSlot* slot = &g_slots[g_slot_count++];
  *slot = TimerSlot{context, pass, 0, false, g_generation};
  glGenQueries(1, &slot->query);
  return slot;
}

double MedianMs(std::vector<uint64_t> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return 1e-6 * static_cast<double>(values[values.size() / 2]);
}

}  // namespace

void PassTimerBegin(FramePass pass) {
  TimerSlot* slot = FindSlot(pass);
  if (slot == nullptr || g_running != nullptr) return;
  if (slot->pending) {
    GLuint64 ns = 0;
    glGetQueryObjectui64v(slot->query, GL_QUERY_RESULT, &ns);
    if (slot->generation == g_generation) g_query_ns[pass].push_back(ns);
    slot->pending = false;
  }
  // Earlier work is finished first, so the pass's span holds the pass alone.
  glFinish();
  slot->generation = g_generation;
  glBeginQuery(GL_TIME_ELAPSED, slot->query);
  g_running = slot;
  g_running_since = Clock::now();
}

void PassTimerEnd(FramePass pass) {
  if (g_running == nullptr || g_running->pass != pass) return;
  glEndQuery(GL_TIME_ELAPSED);
  glFinish();
  g_wall_ns[pass].push_back(
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - g_running_since).count()));
  g_running->pending = true;
  g_running = nullptr;
}

void PassTimerReset() {
  ++g_generation;
  for (int p = 0; p < kFramePassCount; ++p) {
    g_query_ns[p].clear();
    g_wall_ns[p].clear();
  }
}

void PassTimerReport(FILE* out) {
  static const char* const kNames[kFramePassCount] = {"relight", "capture", "screen"};
  // Medians: llvmpipe now and then reports a time elapsed since boot for one query.
  std::fprintf(out, "pass times (GL_TIME_ELAPSED, median ms per frame):");
  for (int p = 0; p < kFramePassCount; ++p) {
    int per_frame = 0;  // queries of this pass in one frame: one per context that runs it
    for (int i = 0; i < g_slot_count; ++i) per_frame += g_slots[i].pass == p;
    std::fprintf(out, " %s %.3f", kNames[p], MedianMs(g_query_ns[p]) * per_frame);
  }
  std::fprintf(out, "\npass times (wall clock between glFinish calls, median ms per frame):");
  for (int p = 0; p < kFramePassCount; ++p) {
    int per_frame = 0;
    for (int i = 0; i < g_slot_count; ++i) per_frame += g_slots[i].pass == p;
    std::fprintf(out, " %s %.3f", kNames[p], MedianMs(g_wall_ns[p]) * per_frame);
  }
  std::fprintf(out, "\n");
}

void MarkProgramStart() { g_program_start = Clock::now(); }

double SecondsSinceProgramStart() {
  return std::chrono::duration<double>(Clock::now() - g_program_start).count();
}

}  // namespace veltrane
