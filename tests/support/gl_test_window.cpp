#include "support/gl_test_window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>

namespace veltrane::test {
namespace {
int g_window = 0;

// Keeps the GL driver modules (Mesa's "*_dri.so", libgallium) loaded until the process ends.
// The driver is unloaded at exit before LeakSanitizer looks; its own allocations then have no
// module name and scripts/lsan.supp cannot suppress them.
int PinDriverModule(struct dl_phdr_info* info, size_t, void*) {
  const char* path = info->dlpi_name;
  if (path != nullptr && (std::strstr(path, "_dri.so") != nullptr ||
                          std::strstr(path, "libgallium") != nullptr))
    dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}
}  // namespace

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
  dl_iterate_phdr(&PinDriverModule, nullptr);
  return true;
}

int GlTestWindowId() { return g_window; }

}  // namespace veltrane::test
