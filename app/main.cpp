// veltrane: the relighting viewer. Started in a run directory that holds "lightmap.qdx", the
// coefficient data it names, "wood.ppm" and the compressed shaders in shader/dir/.
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdio>

#include "app/display.h"
#include "app/globals.h"
#include "app/input.h"
#include "app/light_animation.h"
#include "app/startup.h"
#include "app/window_mode.h"
#include "codec/deflate_container.h"
#include "relight/gl/pass_timer.h"
#include "relight/gl/startup_profile.h"

int main(int argc, char** argv) {
  // Each line of progress and usage text shows as it is written, also into a file or a pipe.
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  veltrane::MarkProgramStart();
#ifdef VELTRANE_TIMED
  veltrane::RequestStartupReport();
#endif
  SetDeflateProgramName("veltrane");
  RelightDescription* description = LoadViewerDescription("lightmap.qdx");

  // GLUT sees the program's name only: the arguments are ignored. The window is not a plain
  // double-buffered one: it has depth and, on graphics cards, four samples (app/window_mode.cpp
  // says why, with the measurement that decided it).
  window_id = CreateViewerWindow(argc > 0 ? argv[0] : nullptr, window_width, window_height);
  veltrane::MarkStartupStep("window and context");

  InitScene(description);
  PrintUsage();

  glutDisplayFunc(Display);
  glutReshapeFunc(Reshape);
  glutKeyboardFunc(Keyboard);
  glutMouseFunc(Mouse);
  glutMotionFunc(Motion);
  glutIdleFunc(Idle);
  glutMainLoop();

  Cleanup();
  return 0;
}
