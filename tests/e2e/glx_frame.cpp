// veltrane-glx-frame: the viewer as it starts (GLUT window through GLX, the same start-up), drawing
// `--frames N` frames as its main loop would and saving the window's back buffer of the last one
// in `--screenshot FILE.png` just before it is swapped. The reference that veltrane-headless's
// picture is held against (tests/e2e/headless_matches_viewer.sh).
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/frame_sequence.h"
#include "app/globals.h"
#include "app/headless/headless_options.h"
#include "app/headless/offscreen_window.h"
#include "app/startup.h"
#include "app/window_mode.h"
#include "app/window_operations.h"
#include "codec/deflate_container.h"
#include "codec/png_writer.h"

namespace {

int g_frames_left = 0;
std::vector<unsigned char> g_last_frame;

void CaptureAndSwap() {
  if (--g_frames_left == 0) {
    glReadBuffer(GL_BACK);
    g_last_frame = ReadRgbTopRowFirst(window_width, window_height);
  }
  glutSwapBuffers();
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  HeadlessOptions options;
  std::string error;
  if (!ParseHeadlessOptions(argc, argv, &options, &error) || options.screenshot.empty()) {
    std::fprintf(stderr, "usage: veltrane-glx-frame [--frames N] --screenshot FILE.png\n");
    return 2;
  }
  SetDeflateProgramName("veltrane-glx-frame");
  RelightDescription* description = LoadViewerDescription("lightmap.qdx");
  window_id = CreateViewerWindow(argv[0], window_width, window_height);
  InitScene(description);
  PrintUsage();
  std::printf("GL_RENDERER: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

  WindowOperations operations = GlutWindowOperations();
  operations.swap_buffers = &CaptureAndSwap;
  SetWindowOperations(operations);
  g_frames_left = options.frames;
  DrawFrameSequence(options.frames);
  if (g_last_frame.empty() ||
      !veltrane::WritePng(options.screenshot, window_width, window_height, g_last_frame.data())) {
    std::fprintf(stderr, "veltrane-glx-frame: cannot write %s\n", options.screenshot.c_str());
    return 1;
  }
  Cleanup();
  return 0;
}
