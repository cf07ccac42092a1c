// The window-system calls under the framebuffer-object render platform (fbo_render_platform.h):
// which context is current, and on what. GLX (glx_render_platform.cpp) and EGL
// (egl_render_platform.cpp) answer them. Handles are the window system's own, as numbers; 0 is
// none.
#pragma once

#include "render/render_platform.h"

namespace veltrane {

class ContextSystem {
 public:
  virtual ~ContextSystem() = default;

  // Whether the window system is reachable: a context of it has been current on this thread.
  virtual bool Connected() = 0;
  virtual PlatformHandle CurrentContext() = 0;
  virtual PlatformHandle CurrentDrawable() = 0;
  // Whether `context` is current on `drawable`, for drawing and for reading.
  virtual bool IsCurrent(PlatformHandle drawable, PlatformHandle context) = 0;
  // Both 0: no context current.
  virtual bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) = 0;
};

}  // namespace veltrane
