// Cost of one capture of a 512 x 512 32-bit float RenderTexture: BeginCapture, one full-target
// quad, EndCapture, and glFinish in the window's context so that the drawing is counted.
// Argument: 0 = UpdateByBinding (what the viewer uses), 1 = UpdateByCopy. Needs an X display.
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include "bench/bench_window.h"
#include "render/render_texture.h"

namespace {

void BM_Capture(benchmark::State& state) {
  if (!OpenBenchWindow()) {
    state.SkipWithError("no X display");
    return;
  }
  const auto mode = static_cast<RenderTexture::UpdateMode>(state.range(0));
  RenderTexture target(512, 512);
  if (!target.Initialize(true, true, false, false, false, 32, 32, 32, 0, mode)) {
    state.SkipWithError("Initialize failed");
    return;
  }
  for (auto _ : state) {
    target.BeginCapture();
    glBegin(GL_QUADS);
    glColor3f(0.5f, 0.25f, 2.0f);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    target.EndCapture();
    glFinish();
  }
}
BENCHMARK(BM_Capture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
