#include "render/current_gl_context.h"

#include <EGL/egl.h>
#include <GL/glx.h>

namespace veltrane {

// GLX first: that is the viewer's, and asking it costs a thread-local read. EGL is asked only
// when no GLX context is current.
const void* CurrentGlContext() {
  if (GLXContext glx = glXGetCurrentContext(); glx != nullptr) return glx;
  EGLContext egl = eglGetCurrentContext();
  return egl != EGL_NO_CONTEXT ? egl : nullptr;
}

}  // namespace veltrane
