#include "app/float_targets.h"

#include <GL/glew.h>

#include <cstdio>

#include "render/render_texture.h"

namespace {

bool g_reported = false;

}  // namespace

const char* FloatTargetShortcoming(int width, int height) {
  if (!GLEW_ARB_texture_float) return "the driver lacks GL_ARB_texture_float (float textures)";
  GLint max_texture = 0;
  GLint max_renderbuffer = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_renderbuffer);
  const GLint largest = max_renderbuffer > 0 && max_renderbuffer < max_texture ? max_renderbuffer : max_texture;
  if (width > largest || height > largest) return "the size is beyond the driver's largest render target";
  return "the driver cannot render to a 32-bit float RGB texture of that size";
}

bool InitializeFloatTarget(RenderTexture* target) {
  const bool ok = target->Initialize(true, true, false, false, false, 32, 32, 32, 0, RenderTexture::UpdateByBinding);
  if (!ok && !g_reported) {
    g_reported = true;
    std::fprintf(stderr, "[InitScene]: a %d x %d float render target cannot be created: %s\n", target->GetWidth(),
                 target->GetHeight(), FloatTargetShortcoming(target->GetWidth(), target->GetHeight()));
  }
  return ok;
}
