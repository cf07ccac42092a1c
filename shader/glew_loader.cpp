#include "shader/glew_loader.h"

#include <GL/glx.h>

#include "render/current_gl_context.h"

namespace veltrane {

GLenum InitGlewForCurrentContext() {
  // The shader runtime needs the entry points of extensions that GLEW's own list may not
  // report on every driver.
  glewExperimental = GL_TRUE;
  GLenum error = glewInit();
  const bool egl_current = glXGetCurrentContext() == nullptr && CurrentGlContext() != nullptr;
  if (error == GLEW_ERROR_NO_GLX_DISPLAY && egl_current) error = GLEW_OK;
  return error;
}

}  // namespace veltrane
