// The platform that RenderTexture's plain constructor uses: the GLX one (the viewer's) unless a
// program sets another before making its targets (veltrane-headless sets the EGL one).
#pragma once

#include "render/render_platform.h"

namespace veltrane {

RenderPlatform* DefaultRenderPlatform();

// nullptr goes back to the GLX platform.
void SetDefaultRenderPlatform(RenderPlatform* platform);

}  // namespace veltrane
