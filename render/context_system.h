// The window-system calls under the framebuffer-object render platform (fbo_render_platform.h):
// contexts, what they are current on, and sharing. GLX (glx_context_system.h) and EGL
// (egl_context_system.h) answer them. Handles are the window system's own, as numbers; 0 is
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
  // Whether contexts with no window of their own can be made (GLX 1.3 pbuffers, EGL
  // surfaceless contexts).
  virtual bool OffscreenContexts() = 0;
  // Something for an offscreen context to be current on, made to suit the current context;
  // nothing is drawn into it. 0 on failure.
  virtual PlatformHandle CreateDrawable() = 0;
  virtual void DestroyDrawable(PlatformHandle drawable) = 0;
  // A context that can be current on the drawable, sharing the objects of `share` (0: none).
  // 0 on failure.
  virtual PlatformHandle CreateContext(PlatformHandle drawable, PlatformHandle share) = 0;
  virtual void DestroyContext(PlatformHandle context) = 0;
};

}  // namespace veltrane
