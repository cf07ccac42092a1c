#include "render/render_capabilities.h"

#include <GL/glew.h>

namespace veltrane {

RenderExtensions QueryRenderCapabilities() {
  RenderExtensions ext;

  // The entry points are GLEW's: without glewInit they are missing, and so is everything here.
  const bool fbo = (GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object) &&
                   glGenFramebuffers != nullptr && glCheckFramebufferStatus != nullptr;
  const bool float_textures = GLEW_VERSION_3_0 || GLEW_ARB_texture_float;
  const bool rectangle = GLEW_VERSION_3_1 || GLEW_ARB_texture_rectangle ||
                         GLEW_EXT_texture_rectangle || GLEW_NV_texture_rectangle;

  ext.wgl_arb_pbuffer = fbo;
  ext.wgl_arb_pixel_format = fbo;
  ext.wgl_arb_render_texture = fbo;
  ext.nv_float_buffer = fbo && float_textures && rectangle;
  ext.ati_pixel_format_float = fbo && float_textures;
  ext.ati_texture_float = float_textures;
  ext.nv_texture_rectangle = rectangle;
  ext.arb_depth_texture = GLEW_VERSION_1_4 || GLEW_ARB_depth_texture;
  ext.sgis_generate_mipmap = GLEW_VERSION_1_4 || GLEW_SGIS_generate_mipmap;
  ext.ext_texture_filter_anisotropic =
      GLEW_VERSION_4_6 || GLEW_ARB_texture_filter_anisotropic || GLEW_EXT_texture_filter_anisotropic;
  return ext;
}

}  // namespace veltrane
