// veltrane-glx-frame: the viewer as it starts (GLUT window through GLX, the same start-up), drawing
// `--frames N` frames as its main loop would and saving the window's back buffer of the last one
// in `--screenshot FILE.png` just before it is swapped. The reference that veltrane-headless's
// picture is held against (tests/e2e/headless_matches_viewer.sh).
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/frame_sequence.h"
#include "app/globals.h"
#include "app/headless/headless_options.h"
#include "app/startup.h"
#include "app/window_mode.h"
#include "app/window_operations.h"
#include "codec/deflate_container.h"
#include "codec/png_writer.h"
#include "relight/globals.h"

namespace {

int g_frames_left = 0;
std::vector<unsigned char> g_last_frame;

int GlutGetWindow() { return glutGetWindow(); }
void GlutSetWindow(int id) { glutSetWindow(id); }
void GlutPostRedisplay() { glutPostRedisplay(); }

void CaptureAndSwap() {
  if (--g_frames_left == 0) {
    g_last_frame.assign(static_cast<size_t>(window_width) * window_height * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window_width, window_height, GL_RGB, GL_UNSIGNED_BYTE, g_last_frame.data());
    const size_t row = static_cast<size_t>(window_width) * 3;
    for (int top = 0, bottom = window_height - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(g_last_frame.begin() + row * top, g_last_frame.begin() + row * (top + 1),
                       g_last_frame.begin() + row * bottom);
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
  RelightDescription* description = LoadDescription("lightmap.qdx");
  window_width = refer_width;
  window_height = refer_height;
  int glut_argc = 1;
  char* glut_argv[2] = {argv[0], nullptr};
  glutInit(&glut_argc, glut_argv);
  glutInitWindowPosition(100, 100);
  glutInitWindowSize(window_width, window_height);
  InitViewerDisplayMode();
  window_id = glutCreateWindow("Veltrane 1.0b");
  glutSetWindow(window_id);
  InitScene(description);
  PrintUsage();
  std::printf("GL_RENDERER: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

  SetWindowOperations({&GlutGetWindow, &GlutSetWindow, &CaptureAndSwap, &GlutPostRedisplay});
  g_frames_left = options.frames;
  DrawFrameSequence(options.frames);
  if (!veltrane::WritePng(options.screenshot, window_width, window_height, g_last_frame.data())) {
    std::fprintf(stderr, "veltrane-glx-frame: cannot write %s\n", options.screenshot.c_str());
    return 1;
  }
  Cleanup();
  return 0;
}
