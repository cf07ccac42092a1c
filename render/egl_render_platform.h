// The EGL side of RenderPlatform: render targets drawn as framebuffer objects in the current
// EGL context (fbo_render_platform.h), veltrane-headless's, whose display has no window
// (EGL_EXT_platform_device or Mesa's surfaceless platform; egl_session.h opens one).
#pragma once

#include "render/render_platform.h"

namespace veltrane {

// The process-wide EGL platform.
RenderPlatform* GetEglRenderPlatform();

}  // namespace veltrane
