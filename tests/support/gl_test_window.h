// A GL context for tests: one freeglut window per test process (double-buffered RGBA with
// depth), made current, with GLEW initialised. Needs an X server with GLX ($DISPLAY; test.sh
// starts Xvfb). Fails the calling test when there is none.
//
// With VELTRANE_TEST_GL=egl the window is an EGL context with no surface on the first EGL
// device (or Mesa's surfaceless platform) drawing into a framebuffer of the same size, the
// render targets use the EGL platform, and no X server is needed.
//
// Either way the context is a debug context with the driver's error reports turned on
// (render/gl_debug_output.h): every GL error the driver reports fails the running test, unless
// an ExpectedGlErrors lives.
#pragma once

namespace veltrane::test {

// Creates the window on first use and makes it current. Returns false (and records a test
// failure) when no display is available.
bool EnsureGlWindow();

// The freeglut window id of that window.
int GlTestWindowId();
// True when the window is the EGL stand-in (VELTRANE_TEST_GL=egl): no GLUT, no X server.
bool GlTestWindowIsEgl();

// Keeps the GL driver modules loaded so far loaded until the process ends: the driver is
// unloaded at exit before LeakSanitizer looks, and its own allocations would then have no module
// name for scripts/lsan.supp to match.
void PinGlDriverModules();

// For tests that provoke GL errors on purpose: while one lives, the driver's error reports are
// counted instead of failing the test.
class ExpectedGlErrors {
 public:
  ExpectedGlErrors();
  ~ExpectedGlErrors();
  ExpectedGlErrors(const ExpectedGlErrors&) = delete;
  ExpectedGlErrors& operator=(const ExpectedGlErrors&) = delete;
  int count() const;

 private:
  int before_;
};

}  // namespace veltrane::test
