#include "support/gl_test_window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace veltrane::test {
namespace {
int g_window = 0;
}

bool EnsureGlWindow() {
  if (g_window != 0) {
    glutSetWindow(g_window);
    return true;
  }
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') {
    ADD_FAILURE() << "no X display: run the GL tests through ./test.sh, which starts Xvfb";
    return false;
  }
  int argc = 1;
  char name[] = "veltrane-test";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
  glutInitWindowSize(256, 256);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  g_window = glutCreateWindow("veltrane-test");
  glutSetWindow(g_window);
  glewExperimental = GL_TRUE;
  GLenum rc = glewInit();
  if (rc != GLEW_OK) {
    ADD_FAILURE() << "glewInit: " << reinterpret_cast<const char*>(glewGetErrorString(rc));
    return false;
  }
  return true;
}

int GlTestWindowId() { return g_window; }

}  // namespace veltrane::test
