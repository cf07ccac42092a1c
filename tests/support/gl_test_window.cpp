#include "support/gl_test_window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/headless/offscreen_window.h"
#include "render/default_render_platform.h"
#include "render/egl_render_platform.h"
#include "render/egl_session.h"
#include "render/gl_debug_output.h"
#include "shader/glew_loader.h"

namespace veltrane::test {
namespace {
int g_window = 0;
int g_expecting = 0;  // ExpectedGlErrors alive

void FailOnGlError(const char* message) {
  if (g_expecting == 0) ADD_FAILURE() << "GL error reported by the driver: " << message;
}

// The driver's error reports, on from the start; a driver without them is told in the log.
void TurnOnDebugOutput() {
  if (!veltrane::EnableGlDebugOutput(&FailOnGlError))
    std::fprintf(stderr, "note: the driver offers no debug output (KHR_debug, GL_ARB_debug_output)\n");
}
constexpr int kWindowSize = 256;

bool UseEgl() {
  const char* choice = std::getenv("VELTRANE_TEST_GL");
  return choice != nullptr && std::strcmp(choice, "egl") == 0;
}

// The EGL stand-in for the window: a context with no surface, drawing into a window-sized
// framebuffer, with the app's window operations over it.
struct EglWindow {
  veltrane::EglSession session;
  OffscreenWindow target;
};
EglWindow* g_egl = nullptr;

bool MakeEglWindow() {
  g_egl = new EglWindow();  // lives as long as the process, like the GLUT window
  veltrane::SetDebugContexts(true);
  std::string error;
  if (!g_egl->session.Open(-1, &error)) {
    ADD_FAILURE() << "EGL: " << error;
    return false;
  }
  GLenum rc = veltrane::InitGlewForCurrentContext();
  if (rc != GLEW_OK) {
    ADD_FAILURE() << "glewInit: " << reinterpret_cast<const char*>(glewGetErrorString(rc));
    return false;
  }
  TurnOnDebugOutput();
  if (!g_egl->target.Create(kWindowSize, kWindowSize)) {
    ADD_FAILURE() << "EGL: no window-sized framebuffer";
    return false;
  }
  veltrane::SetDefaultRenderPlatform(veltrane::GetEglRenderPlatform());
  g_window = 1;
  UseOffscreenWindowOperations(&g_egl->target, g_window);
  return true;
}

// Keeps the GL driver modules (Mesa's "*_dri.so", libgallium, its EGL vendor library) loaded
// until the process ends. The driver is unloaded at exit before LeakSanitizer looks; its own
// allocations then have no module name and scripts/lsan.supp cannot suppress them.
int PinDriverModule(struct dl_phdr_info* info, size_t, void*) {
  const char* path = info->dlpi_name;
  if (path != nullptr && (std::strstr(path, "_dri.so") != nullptr ||
                          std::strstr(path, "libgallium") != nullptr ||
                          std::strstr(path, "libEGL_mesa") != nullptr))
    dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}
}  // namespace

bool EnsureGlWindow() {
  if (g_window != 0) {
    if (g_egl != nullptr) {
      eglMakeCurrent(g_egl->session.display(), EGL_NO_SURFACE, EGL_NO_SURFACE,
                     g_egl->session.context());
      g_egl->target.Bind();
    } else {
      glutSetWindow(g_window);
    }
    return true;
  }
  if (g_egl != nullptr) return false;  // tried and failed
  if (UseEgl()) {
    const bool made = MakeEglWindow();
    PinGlDriverModules();
    return made;
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
  glutInitWindowSize(kWindowSize, kWindowSize);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  glutInitContextFlags(GLUT_DEBUG);
  g_window = glutCreateWindow("veltrane-test");
  glutSetWindow(g_window);
  glewExperimental = GL_TRUE;
  GLenum rc = glewInit();
  if (rc != GLEW_OK) {
    ADD_FAILURE() << "glewInit: " << reinterpret_cast<const char*>(glewGetErrorString(rc));
    return false;
  }
  while (glGetError() != GL_NO_ERROR) {
  }  // GLEW's probing of the entry points may leave one behind
  TurnOnDebugOutput();
  PinGlDriverModules();
  return true;
}

int GlTestWindowId() { return g_window; }

bool GlTestWindowIsEgl() { return UseEgl(); }

void PinGlDriverModules() { dl_iterate_phdr(&PinDriverModule, nullptr); }

ExpectedGlErrors::ExpectedGlErrors() : before_(veltrane::GlDebugErrorCount()) { ++g_expecting; }

ExpectedGlErrors::~ExpectedGlErrors() { --g_expecting; }

int ExpectedGlErrors::count() const { return veltrane::GlDebugErrorCount() - before_; }

}  // namespace veltrane::test
