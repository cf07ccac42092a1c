// The EGL context request of a display without a window (egl_session.h), and of tests that
// need a second context beside it.
#pragma once

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace veltrane {

// A desktop OpenGL context in the compatibility profile (version 3.2 or later where the display
// can be asked for one, else whatever the display gives by default), sharing the objects of
// `share` (EGL_NO_CONTEXT: none). EGL_NO_CONTEXT on failure.
EGLContext CreateCompatibilityContext(EGLDisplay display, EGLConfig config, EGLContext share);

}  // namespace veltrane
