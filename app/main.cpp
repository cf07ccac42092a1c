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
#include "relight/globals.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/gl/pass_timer.h"

int main(int argc, char** argv) {
  // Each line of progress and usage text shows as it is written, also into a file or a pipe.
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
#ifdef VELTRANE_TIMED
  veltrane::MarkProgramStart();
#endif
  SetDeflateProgramName("veltrane");
  RelightDescription* description = LoadDescription("lightmap.qdx");
  // A coefficient file too small for the resolution is refused before a window of that size
  // and its buffers exist.
  CheckCoefficientFileCapacity(encoded_file_name, refer_width, refer_height, srbf_center_count);
  window_width = refer_width;
  window_height = refer_height;

  // GLUT sees the program's name only: the arguments are ignored.
  char default_name[] = "veltrane";
  char* glut_argv[2] = {argc > 0 && argv[0] != nullptr ? argv[0] : default_name, nullptr};
  int glut_argc = 1;
  glutInit(&glut_argc, glut_argv);
  glutInitWindowPosition(100, 100);
  glutInitWindowSize(window_width, window_height);
  // Deliberately not the plain double-buffered window of the original viewer: the window has a
  // depth buffer (the frame passes test and clear depth) and, on hardware-accelerated
  // renderers, four samples per pixel to smooth the angel's and the table's silhouettes.
  // Software rasterisers keep one sample: measured with bench/viewer_fps.sh at 512 x 512 on
  // llvmpipe, the median was 42.1 fps with one sample against 28.5 and 24.8 fps in two series
  // with four. The offscreen targets keep one sample either way. See app/window_mode.h.
  InitViewerDisplayMode();
  window_id = glutCreateWindow("Veltrane 1.0b");
  glutSetWindow(window_id);

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
