#include "render/default_render_platform.h"

#include "render/glx_render_platform.h"

namespace veltrane {
namespace {
RenderPlatform* g_default = nullptr;
}  // namespace

RenderPlatform* DefaultRenderPlatform() {
  return g_default != nullptr ? g_default : GetGlxRenderPlatform();
}

void SetDefaultRenderPlatform(RenderPlatform* platform) { g_default = platform; }

}  // namespace veltrane
