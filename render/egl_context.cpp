#include "render/egl_context.h"

#include <cstdio>
#include <initializer_list>

#include "common/extension_list.h"
#include "render/gl_debug_output.h"

namespace veltrane {

EGLContext CreateCompatibilityContext(EGLDisplay display, EGLConfig config, EGLContext share) {
  if (!eglBindAPI(EGL_OPENGL_API)) return EGL_NO_CONTEXT;
  int major = 0, minor = 0;
  const char* version = eglQueryString(display, EGL_VERSION);
  const bool egl15 = version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
                     (major > 1 || (major == 1 && minor >= 5));
  if (egl15 || ExtensionListHas(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_create_context")) {
    // A debug context first when asked for (gl_debug_output.h), else or failing that a plain one.
    for (const bool debug : {DebugContexts(), false}) {
      const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION_KHR, 3,
                                   EGL_CONTEXT_MINOR_VERSION_KHR, 2,
                                   EGL_CONTEXT_OPENGL_PROFILE_MASK_KHR,
                                   EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT_KHR,
                                   // The flags only for a debug context: EGL 1.5 without
                                   // EGL_KHR_create_context does not know the attribute.
                                   debug ? EGL_CONTEXT_FLAGS_KHR : EGL_NONE,
                                   EGL_CONTEXT_OPENGL_DEBUG_BIT_KHR,
                                   EGL_NONE};
      EGLContext context = eglCreateContext(display, config, share, attributes);
      if (context != EGL_NO_CONTEXT) return context;
      if (!debug) break;
    }
  }
  return eglCreateContext(display, config, share, nullptr);
}

}  // namespace veltrane
