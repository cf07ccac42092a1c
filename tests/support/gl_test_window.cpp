#include "support/gl_test_window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace veltrane::test {
namespace {
int g_window = 0;

// Keeps the GL vendor and driver libraries loaded until the process ends. The GL loader
// unloads them at exit, before LeakSanitizer looks at the heap, and the driver's own
// allocations would then be reported as leaks from an unknown module that no suppression
// can name.
void PinGlDriverLibraries() {
  std::vector<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        const char* name = info->dlpi_name;
        if (name != nullptr && (std::strstr(name, "_dri.so") || std::strstr(name, "libGLX_"))) {
          static_cast<std::vector<std::string>*>(data)->push_back(name);
        }
        return 0;
      },
      &names);
  for (const std::string& name : names) {
    dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
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
  PinGlDriverLibraries();
  return true;
}

int GlTestWindowId() { return g_window; }

}  // namespace veltrane::test
