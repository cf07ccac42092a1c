// The EGL side of RenderPlatform: desktop OpenGL contexts of the current EGL display that share
// objects with the window's context, current on no surface (EGL_KHR_surfaceless_context) and
// drawing into framebuffer objects (fbo_render_platform.h). For displays without a window:
// EGL_EXT_platform_device or Mesa's surfaceless platform (egl_session.h opens one).
#pragma once

#include "render/render_platform.h"

namespace veltrane {

// The process-wide EGL platform.
RenderPlatform* GetEglRenderPlatform();

}  // namespace veltrane
