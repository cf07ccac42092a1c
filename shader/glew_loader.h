// GLEW for the current context, GLX's or EGL's. Debian's GLEW is built for GLX: glewInit loads
// the GL entry points and extension flags and then GLX's, and with an EGL context and no X
// display that last part fails (GLEW_ERROR_NO_GLX_DISPLAY) although everything GL is loaded.
// That case counts as success here.
#pragma once

#include <GL/glew.h>

namespace veltrane {

// glewInit with glewExperimental set; GLEW_OK or glewInit's error.
GLenum InitGlewForCurrentContext();

}  // namespace veltrane
