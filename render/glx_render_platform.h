// The Linux side of RenderPlatform: GLX contexts that share objects with the window's context,
// drawing into framebuffer objects.
//
// How the pbuffer model maps onto it:
// - A pixel format is a record kept here, decoded from the attribute list: colour bits (the
//   largest requested count decides the component size: 8 or 16-bit normalised, or 16 or 32-bit
//   float with WGL_FLOAT_COMPONENTS_NV or WGL_PIXEL_TYPE_ARB = WGL_TYPE_RGBA_FLOAT_ATI), depth 24
//   when any depth is asked for, stencil 8 likewise, and which bind attributes were asked for.
//   A list the driver cannot render (float without float textures, rectangle binding without
//   rectangle textures, more than 32 bits, depth above 24, stencil above 8) matches no format.
// - An offscreen buffer is a record of size, format and the buffer attribute list, with a 1 x 1
//   GLX pbuffer of its own as the drawable its context is made current on. The 1 x 1 pbuffer is
//   only something to be current on: nothing is ever drawn into it.
// - Its context is a GLX context created on that pbuffer's framebuffer configuration;
//   ShareObjects re-creates it with the window's context as its share list (GLX gives sharing
//   at creation only). In that context a framebuffer object stands for the pbuffer's surfaces:
//   created, and its viewport set to the whole buffer, the first time the context is made
//   current, and bound again every time it is made current.
// - WGL_TEXTURE_FORMAT_ARB / WGL_TEXTURE_TARGET_ARB give the storage of the bound texture:
//   WGL_TEXTURE_FLOAT_R/RG/RGB/RGBA_NV give GL_R/RG/RGB/RGBA 32F or 16F, WGL_TEXTURE_RGB_ARB and
//   WGL_TEXTURE_RGBA_ARB the float formats of that layout for a float pixel format and
//   GL_RGB8/GL_RGBA8 (16 for 16-bit) otherwise; WGL_TEXTURE_RECTANGLE_NV is GL_TEXTURE_RECTANGLE,
//   WGL_TEXTURE_2D_ARB is GL_TEXTURE_2D; WGL_TEXTURE_DEPTH_COMPONENT_NV is GL_DEPTH_COMPONENT24
//   (GL_DEPTH24_STENCIL8 with stencil). A three-component float format the driver cannot render
//   into is stored with four components instead.
// - BindTexImage(WGL_FRONT_LEFT_ARB) takes the texture bound to the buffer's target in the
//   current context, gives it that storage (once per texture) and makes it the framebuffer's
//   colour attachment: the texture is the buffer's colour contents, drawn into directly.
//   ReleaseTexImage is bookkeeping. With WGL_MIPMAP_TEXTURE_ARB, binding generates the mipmaps.
//   WGL_DEPTH_COMPONENT_NV does the same with the depth attachment. Binding needs a context that
//   shares objects with the buffer's.
// - Without a texture format (UpdateByCopy) the framebuffer has colour storage of its own, a
//   texture made in the buffer's context; depth and stencil are a renderbuffer of its own unless
//   a depth texture is bound.
// - Hand-over: when the current context changes between two contexts that share objects, the
//   old one gets a fence (glFenceSync, glFlush) that the new one waits for (glWaitSync) before
//   anything else runs in it; without fences, or between contexts that do not share, a buffer's
//   context is finished (glFinish) before it is left. Together with binding the texture again
//   in the window's context (RenderTexture does that in EndCapture) this is what GL's rules on
//   shared objects ask for the drawing to be seen there.
// - A buffer has at most one context.
#pragma once

#include <GL/glew.h>
#include <GL/glx.h>

#include <map>
#include <memory>
#include <vector>

#include "render/glx_render_extensions.h"
#include "render/render_platform.h"

namespace veltrane {

class GlxRenderPlatform : public RenderPlatform {
 public:
  GlxRenderPlatform();
  ~GlxRenderPlatform() override;

  const RenderExtensions& Extensions() override;
  PlatformHandle GetCurrentDrawable() override;
  PlatformHandle GetCurrentContext() override;
  bool ChoosePixelFormat(PlatformHandle drawable, const int* attributes, int* format,
                         unsigned int* count) override;
  bool GetPixelFormatAttribute(PlatformHandle drawable, int format, int attribute,
                               int* value) override;
  PlatformHandle CreateBuffer(PlatformHandle drawable, int format, int width, int height,
                              const int* attributes) override;
  PlatformHandle GetBufferDrawable(PlatformHandle buffer) override;
  bool ReleaseBufferDrawable(PlatformHandle buffer, PlatformHandle drawable) override;
  bool DestroyBuffer(PlatformHandle buffer) override;
  bool QueryBuffer(PlatformHandle buffer, int attribute, int* value) override;
  PlatformHandle CreateContext(PlatformHandle drawable) override;
  bool DeleteContext(PlatformHandle context) override;
  bool ShareObjects(PlatformHandle from, PlatformHandle to) override;
  bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) override;
  bool BindTexImage(PlatformHandle buffer, int which) override;
  bool ReleaseTexImage(PlatformHandle buffer, int which) override;

  unsigned int GenTexture() override;
  void DeleteTexture(unsigned int name) override;
  void BindTexture(unsigned int target, unsigned int name) override;
  void TexParameteri(unsigned int target, unsigned int name, int value) override;
  void TexParameterf(unsigned int target, unsigned int name, float value) override;
  float MaxTextureMaxAnisotropy() override;
  void TexImage2D(unsigned int target, int internal_format, int width, int height,
                  unsigned int format, unsigned int type, const void* pixels) override;
  void CopyTexSubImage2D(unsigned int target, int width, int height) override;
  void ReadDepthPixels(int width, int height, unsigned short* pixels) override;

  // For tests: the framebuffer object of a buffer's context (0 before its first capture).
  GLuint FramebufferOf(PlatformHandle buffer) const;

 private:
  struct Format {
    bool is_float = false;
    int component_bits = 8;  // 8 or 16 (normalised), 16 or 32 (float)
    int channels = 3;        // of the colour buffer: 1..4 (3 or 4 unless float)
    int depth_bits = 0;
    int stencil_bits = 0;
    bool bind_colour = false;
    bool bind_rectangle = false;
    bool bind_float = false;  // one of the NV float bind attributes
    bool bind_depth = false;
    bool operator==(const Format& o) const;
  };
  struct Context;
  struct Buffer {
    Format format;
    int width = 0;
    int height = 0;
    int texture_target = WGL_NO_TEXTURE_ARB;
    int texture_format = WGL_NO_TEXTURE_ARB;
    int depth_texture_format = WGL_NO_TEXTURE_ARB;
    bool mipmap = false;
    GLenum gl_target = GL_TEXTURE_2D;  // of bound textures
    GLenum colour_storage = 0;         // bound colour texture / own colour texture
    GLXFBConfig config = nullptr;
    GLXPbuffer drawable = 0;
    bool drawable_given = false;
    Context* context = nullptr;
    // What BindTexImage made the buffer's contents; the generation counts new storage.
    GLuint colour_texture = 0;
    GLuint depth_texture = 0;
    unsigned int colour_generation = 0;
    unsigned int depth_generation = 0;
  };
  struct Context {
    GLXContext glx = nullptr;
    Buffer* buffer = nullptr;
    GLXContext share_root = nullptr;  // the outside context whose objects it shares
    bool used = false;
    GLuint framebuffer = 0;
    GLuint own_colour = 0;       // texture
    GLuint own_depth = 0;        // renderbuffer
    unsigned int attached_colour_generation = 0;
    unsigned int attached_depth_generation = 0;
    GLuint attached_colour = 0;
    GLuint attached_depth = 0;
    bool complete = false;
  };

  Display* CurrentDisplay();
  Buffer* FindBuffer(PlatformHandle handle) const;
  Context* FindContext(PlatformHandle handle) const;
  Context* FindContextByGlx(GLXContext glx) const;
  GLXContext ShareRoot(GLXContext glx) const;
  bool ColourRenderable(GLenum internal_format);
  GLenum ColourStorageFor(const Format& format, int texture_format);
  bool PrepareFramebuffer(Context* context);
  void DestroyContextObjects(Context* context);
  void DestroyContext(Context* context);

  bool capabilities_known_ = false;
  GlxRenderCapabilities capabilities_;
  Display* display_ = nullptr;
  std::vector<Format> formats_;  // format n is formats_[n - 1]
  std::vector<std::unique_ptr<Buffer>> buffers_;
  std::vector<std::unique_ptr<Context>> contexts_;
  std::map<GLenum, bool> renderable_;
};

// The process-wide platform RenderTexture uses by default.
RenderPlatform* GetGlxRenderPlatform();

}  // namespace veltrane
