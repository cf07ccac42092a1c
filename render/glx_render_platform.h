// The GLX side of RenderPlatform: GLX contexts that share objects with the window's context,
// each current on a 1 x 1 GLX pbuffer of its own, drawing into framebuffer objects
// (fbo_render_platform.h).
#pragma once

#include "render/render_platform.h"

namespace veltrane {

// The process-wide GLX platform; RenderTexture's default unless another is set
// (default_render_platform.h).
RenderPlatform* GetGlxRenderPlatform();

}  // namespace veltrane
