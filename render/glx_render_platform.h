// The GLX side of RenderPlatform: render targets drawn as framebuffer objects in the window's
// GLX context (fbo_render_platform.h).
#pragma once

#include "render/render_platform.h"

namespace veltrane {

// The process-wide GLX platform; RenderTexture's default unless another is set
// (default_render_platform.h).
RenderPlatform* GetGlxRenderPlatform();

}  // namespace veltrane
