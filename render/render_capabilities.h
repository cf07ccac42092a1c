// The extension questions of the render-to-texture model, answered from what a modern GL
// driver offers through GLEW (glewInit must have run on a current context):
//
//   WGL_ARB_pbuffer, WGL_ARB_pixel_format,      framebuffer objects (GL 3.0 or
//   WGL_ARB_render_texture                      GL_ARB_framebuffer_object)
//   GL_NV_float_buffer                           float colour-renderable textures (GL 3.0 or
//                                                GL_ARB_texture_float, with framebuffer
//                                                objects) and rectangle textures
//   WGL_ATI_pixel_format_float                   float textures with framebuffer objects
//   GL_ATI_texture_float                         float textures
//   GL_NV_texture_rectangle                      GL 3.1, GL_ARB/EXT/NV_texture_rectangle
//   GL_ARB_depth_texture                         GL 1.4 or GL_ARB_depth_texture
//   GL_SGIS_generate_mipmap                      GL 1.4 or GL_SGIS_generate_mipmap
//   GL_EXT_texture_filter_anisotropic            GL 4.6, GL_ARB/EXT_texture_filter_anisotropic
//
// So the NV path is taken on any GL 3.0+ driver.
#pragma once

#include "render/render_platform.h"

namespace veltrane {

// Needs a current context with GLEW's entry points loaded; without them everything is false.
RenderExtensions QueryRenderCapabilities();

}  // namespace veltrane
