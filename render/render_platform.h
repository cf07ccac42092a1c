// What RenderTexture needs of the window system and of the current GL context, as one narrow
// interface. The operations and the attribute lists follow the pbuffer render-to-texture model
// (WGL_ARB_pbuffer, WGL_ARB_pixel_format, WGL_ARB_render_texture and the NV/ATI float and
// rectangle additions): a pixel format is chosen by an integer attribute list, an offscreen
// buffer of that format gets a context of its own, and the buffer's colour (or depth) contents
// are bound as the image of a texture. The attribute names are kept as our own constants
// below; their values are ours and mean nothing to any window system. On Linux the model is
// realised with framebuffer objects drawn in the window's own context (fbo_render_platform.h),
// a GLX one for the viewer (glx_render_platform.h) or an EGL one without a window
// (egl_render_platform.h); tests use a fake that records every call.
//
// Handles are opaque non-zero values; 0 is "none". A drawable stands for the device context of
// the model (what a context is made current on).
#pragma once

#include <cstdint>

namespace veltrane {

using PlatformHandle = std::uintptr_t;

// Attribute names and values of the pixel-format and buffer attribute lists, and the buffer
// names of BindTexImage/ReleaseTexImage. A list is (attribute, value) pairs ended by a single 0.
enum RenderAttribute : int {
  // pixel-format attributes
  WGL_DRAW_TO_PBUFFER_ARB = 0x5001,
  WGL_PIXEL_TYPE_ARB,
  WGL_RED_BITS_ARB,
  WGL_GREEN_BITS_ARB,
  WGL_BLUE_BITS_ARB,
  WGL_ALPHA_BITS_ARB,
  WGL_DEPTH_BITS_ARB,
  WGL_STENCIL_BITS_ARB,
  WGL_FLOAT_COMPONENTS_NV,
  WGL_BIND_TO_TEXTURE_RGB_ARB,
  WGL_BIND_TO_TEXTURE_RGBA_ARB,
  WGL_BIND_TO_TEXTURE_RECTANGLE_RGB_NV,
  WGL_BIND_TO_TEXTURE_RECTANGLE_RGBA_NV,
  WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_R_NV,
  WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RG_NV,
  WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGB_NV,
  WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGBA_NV,
  WGL_BIND_TO_TEXTURE_DEPTH_NV,
  WGL_BIND_TO_TEXTURE_RECTANGLE_DEPTH_NV,

  // values of WGL_PIXEL_TYPE_ARB
  WGL_TYPE_RGBA_ARB = 0x5101,
  WGL_TYPE_RGBA_FLOAT_ATI,

  // buffer attributes (creation list and queries)
  WGL_PBUFFER_LARGEST_ARB = 0x5201,
  WGL_PBUFFER_WIDTH_ARB,
  WGL_PBUFFER_HEIGHT_ARB,
  WGL_TEXTURE_TARGET_ARB,
  WGL_TEXTURE_FORMAT_ARB,
  WGL_MIPMAP_TEXTURE_ARB,
  WGL_DEPTH_TEXTURE_FORMAT_NV,

  // values of WGL_TEXTURE_TARGET_ARB
  WGL_NO_TEXTURE_ARB = 0x5301,
  WGL_TEXTURE_2D_ARB,
  WGL_TEXTURE_RECTANGLE_NV,

  // values of WGL_TEXTURE_FORMAT_ARB and WGL_DEPTH_TEXTURE_FORMAT_NV
  WGL_TEXTURE_RGB_ARB = 0x5401,
  WGL_TEXTURE_RGBA_ARB,
  WGL_TEXTURE_FLOAT_R_NV,
  WGL_TEXTURE_FLOAT_RG_NV,
  WGL_TEXTURE_FLOAT_RGB_NV,
  WGL_TEXTURE_FLOAT_RGBA_NV,
  WGL_TEXTURE_DEPTH_COMPONENT_NV,

  // which contents BindTexImage/ReleaseTexImage bind
  WGL_FRONT_LEFT_ARB = 0x5501,
  WGL_DEPTH_COMPONENT_NV,
};

// Extension availability, answered once at start-up. The names are those of the extensions
// the render-to-texture model was written against; a platform answers them from whatever
// equivalent it has.
struct RenderExtensions {
  bool wgl_arb_pbuffer = false;
  bool wgl_arb_pixel_format = false;
  bool wgl_arb_render_texture = false;
  bool nv_float_buffer = false;             // GL_NV_float_buffer
  bool ati_pixel_format_float = false;      // WGL_ATI_pixel_format_float
  bool ati_texture_float = false;           // GL_ATI_texture_float
  bool nv_texture_rectangle = false;        // GL_NV_texture_rectangle
  bool arb_depth_texture = false;           // GL_ARB_depth_texture
  bool sgis_generate_mipmap = false;        // GL_SGIS_generate_mipmap
  bool ext_texture_filter_anisotropic = false;  // GL_EXT_texture_filter_anisotropic
};

class RenderPlatform {
 public:
  virtual ~RenderPlatform() = default;

  virtual const RenderExtensions& Extensions() = 0;

  // --- window-system side ---
  virtual PlatformHandle GetCurrentDrawable() = 0;
  virtual PlatformHandle GetCurrentContext() = 0;
  // Chooses at most one pixel format matching the 0-ended list. False when the call itself
  // fails; *count is the number of formats returned (0 or 1), *format the first one.
  virtual bool ChoosePixelFormat(PlatformHandle drawable, const int* attributes, int* format,
                                 unsigned int* count) = 0;
  // The format's attribute, layer 0; false when it cannot be answered.
  virtual bool GetPixelFormatAttribute(PlatformHandle drawable, int format, int attribute,
                                       int* value) = 0;
  // An offscreen buffer of the format and size, with the 0-ended buffer attribute list;
  // 0 on failure.
  virtual PlatformHandle CreateBuffer(PlatformHandle drawable, int format, int width, int height,
                                      const int* attributes) = 0;
  virtual PlatformHandle GetBufferDrawable(PlatformHandle buffer) = 0;
  virtual bool ReleaseBufferDrawable(PlatformHandle buffer, PlatformHandle drawable) = 0;
  virtual bool DestroyBuffer(PlatformHandle buffer) = 0;
  virtual bool QueryBuffer(PlatformHandle buffer, int attribute, int* value) = 0;
  // A context for drawing into the buffer whose drawable this is; 0 on failure.
  virtual PlatformHandle CreateContext(PlatformHandle drawable) = 0;
  virtual bool DeleteContext(PlatformHandle context) = 0;
  // Makes `to` (not yet used) share the objects of `from`.
  virtual bool ShareObjects(PlatformHandle from, PlatformHandle to) = 0;
  // Both 0: no context current.
  virtual bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) = 0;
  // Binds the buffer's colour (WGL_FRONT_LEFT_ARB) or depth (WGL_DEPTH_COMPONENT_NV) contents as
  // the image of the texture bound to the buffer's texture target in the current context, and
  // releases them again.
  virtual bool BindTexImage(PlatformHandle buffer, int which) = 0;
  virtual bool ReleaseTexImage(PlatformHandle buffer, int which) = 0;

  // --- texture operations in the current context ---
  virtual unsigned int GenTexture() = 0;
  virtual void DeleteTexture(unsigned int name) = 0;
  virtual void BindTexture(unsigned int target, unsigned int name) = 0;
  virtual void TexParameteri(unsigned int target, unsigned int name, int value) = 0;
  virtual void TexParameterf(unsigned int target, unsigned int name, float value) = 0;
  virtual float MaxTextureMaxAnisotropy() = 0;
  // Level 0 with border 0.
  virtual void TexImage2D(unsigned int target, int internal_format, int width, int height,
                          unsigned int format, unsigned int type, const void* pixels) = 0;
  // Level 0 from (0, 0) of the current read buffer to offset (0, 0).
  virtual void CopyTexSubImage2D(unsigned int target, int width, int height) = 0;
  // Depth of the current read buffer from (0, 0) as GL_UNSIGNED_SHORT.
  virtual void ReadDepthPixels(int width, int height, unsigned short* pixels) = 0;
};

}  // namespace veltrane
