#include "relight/pass_timer.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include <chrono>
#include <cstdint>

namespace veltrane {
namespace {

struct TimerSlot {
  GLXContext context;
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

uint64_t g_elapsed_ns[kFramePassCount] = {};
uint64_t g_results[kFramePassCount] = {};

std::chrono::steady_clock::time_point g_program_start = std::chrono::steady_clock::now();

TimerSlot* FindSlot(FramePass pass) {
  GLXContext context = glXGetCurrentContext();
  for (int i = 0; i < g_slot_count; ++i) {
    if (g_slots[i].context == context && g_slots[i].pass == pass) return &g_slots[i];
  }
  if (g_slot_count == kMaxSlots) return nullptr;
  TimerSlot* slot = &g_slots[g_slot_count++];
  *slot = TimerSlot{context, pass, 0, false, g_generation};
  glGenQueries(1, &slot->query);
  return slot;
}

}  // namespace

void PassTimerBegin(FramePass pass) {
  TimerSlot* slot = FindSlot(pass);
  if (slot == nullptr || g_running != nullptr) return;
  if (slot->pending) {
    GLuint64 ns = 0;
    glGetQueryObjectui64v(slot->query, GL_QUERY_RESULT, &ns);
    if (slot->generation == g_generation) {
      g_elapsed_ns[pass] += ns;
      ++g_results[pass];
    }
    slot->pending = false;
  }
  slot->generation = g_generation;
  glBeginQuery(GL_TIME_ELAPSED, slot->query);
  g_running = slot;
}

void PassTimerEnd(FramePass pass) {
  if (g_running == nullptr || g_running->pass != pass) return;
  glEndQuery(GL_TIME_ELAPSED);
  g_running->pending = true;
  g_running = nullptr;
}

void PassTimerReset() {
  ++g_generation;
  for (int p = 0; p < kFramePassCount; ++p) g_elapsed_ns[p] = g_results[p] = 0;
}

void PassTimerReport(FILE* out) {
  static const char* const kNames[kFramePassCount] = {"relight", "capture", "screen"};
  std::fprintf(out, "pass times (GL_TIME_ELAPSED, ms per frame):");
  for (int p = 0; p < kFramePassCount; ++p) {
    int per_frame = 0;  // queries of this pass in one frame: one per context that runs it
    for (int i = 0; i < g_slot_count; ++i) per_frame += g_slots[i].pass == p;
    double ms = g_results[p] == 0 ? 0.0 : 1e-6 * static_cast<double>(g_elapsed_ns[p]) / g_results[p] * per_frame;
    std::fprintf(out, " %s %.3f", kNames[p], ms);
  }
  std::fprintf(out, "\n");
}

void MarkProgramStart() { g_program_start = std::chrono::steady_clock::now(); }

double SecondsSinceProgramStart() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_program_start).count();
}

}  // namespace veltrane
