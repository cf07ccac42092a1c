#include "render/fbo_render_platform.h"

#include <GL/glew.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "render/render_capabilities.h"

namespace veltrane {
namespace {

template <typename T>
PlatformHandle HandleOf(T* p) {
  return reinterpret_cast<PlatformHandle>(p);
}

// Tight rows (alignment 1, no row length, no skips, no byte swapping) and no pixel buffer
// object for one transfer, whatever the context has set; all of it (the buffer binding is
// pixel-store state too) comes back afterwards from the client attribute stack. Without it a
// transfer of 16-bit depth values of odd width would run past the caller's buffer.
class PixelStoreScope {
 public:
  explicit PixelStoreScope(bool pack) {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    const GLenum* names = pack ? kPack : kUnpack;
    for (int i = 0; i < kCount; ++i) glPixelStorei(names[i], i == 0 ? 1 : 0);
    if (GLEW_VERSION_2_1 || GLEW_ARB_pixel_buffer_object)
      glBindBuffer(pack ? GL_PIXEL_PACK_BUFFER : GL_PIXEL_UNPACK_BUFFER, 0);
  }
  ~PixelStoreScope() { glPopClientAttrib(); }
  PixelStoreScope(const PixelStoreScope&) = delete;
  PixelStoreScope& operator=(const PixelStoreScope&) = delete;

 private:
  static constexpr int kCount = 7;
  static constexpr GLenum kPack[kCount] = {GL_PACK_ALIGNMENT,   GL_PACK_ROW_LENGTH,
                                           GL_PACK_SKIP_ROWS,   GL_PACK_SKIP_PIXELS,
                                           GL_PACK_SWAP_BYTES,  GL_PACK_IMAGE_HEIGHT,
                                           GL_PACK_SKIP_IMAGES};
  static constexpr GLenum kUnpack[kCount] = {GL_UNPACK_ALIGNMENT,  GL_UNPACK_ROW_LENGTH,
                                             GL_UNPACK_SKIP_ROWS,  GL_UNPACK_SKIP_PIXELS,
                                             GL_UNPACK_SWAP_BYTES, GL_UNPACK_IMAGE_HEIGHT,
                                             GL_UNPACK_SKIP_IMAGES};
};

// The internal format of a colour layout: channels 1..4, float or normalised, wide = 32-bit
// float or 16-bit normalised.
GLenum ColourFormat(int channels, bool is_float, bool wide) {
  if (is_float) {
    static const GLenum kFloat32[4] = {GL_R32F, GL_RG32F, GL_RGB32F, GL_RGBA32F};
    static const GLenum kFloat16[4] = {GL_R16F, GL_RG16F, GL_RGB16F, GL_RGBA16F};
    return (wide ? kFloat32 : kFloat16)[channels - 1];
  }
  static const GLenum kNorm16[4] = {GL_R16, GL_RG16, GL_RGB16, GL_RGBA16};
  static const GLenum kNorm8[4] = {GL_R8, GL_RG8, GL_RGB8, GL_RGBA8};
  return (wide ? kNorm16 : kNorm8)[channels - 1];
}

GLenum FourChannelFormat(GLenum format) {
  switch (format) {
    case GL_RGB32F: return GL_RGBA32F;
    case GL_RGB16F: return GL_RGBA16F;
    case GL_RGB16: return GL_RGBA16;
    case GL_RGB8: return GL_RGBA8;
    default: return format;
  }
}

bool IsTextureFormat(int value) {
  switch (value) {
    case WGL_NO_TEXTURE_ARB:
    case WGL_TEXTURE_RGB_ARB:
    case WGL_TEXTURE_RGBA_ARB:
    case WGL_TEXTURE_FLOAT_R_NV:
    case WGL_TEXTURE_FLOAT_RG_NV:
    case WGL_TEXTURE_FLOAT_RGB_NV:
    case WGL_TEXTURE_FLOAT_RGBA_NV:
      return true;
    default:
      return false;
  }
}

bool IsFloatTextureFormat(int value) {
  return value == WGL_TEXTURE_FLOAT_R_NV || value == WGL_TEXTURE_FLOAT_RG_NV ||
         value == WGL_TEXTURE_FLOAT_RGB_NV || value == WGL_TEXTURE_FLOAT_RGBA_NV;
}

// Lists longer than this are taken for unterminated ones.
constexpr int kMaxListPairs = 64;

}  // namespace

// See fbo_render_platform.h for how the pbuffer model maps onto contexts and framebuffer objects.
class FboRenderPlatform : public RenderPlatform {
 public:
  explicit FboRenderPlatform(std::unique_ptr<ContextSystem> system);
  ~FboRenderPlatform() override;

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
  // A buffer's context: the state of its captures, drawn in the host, the window system's
  // context that was current when it was made.
  struct Context {
    PlatformHandle host = 0;  // 0 until the context is made
    PlatformHandle host_drawable = 0;
    GLint host_draw_framebuffer = -1;  // the host's framebuffers, read at the first capture
    GLint host_read_framebuffer = -1;
    bool shared = false;  // shares the host's objects (ShareObjects); else has a namespace of its own
    bool used = false;
    GLuint framebuffer = 0;
    GLuint own_colour = 0;       // texture
    GLuint own_depth = 0;        // renderbuffer
    unsigned int attached_colour_generation = 0;
    unsigned int attached_depth_generation = 0;
    GLuint attached_colour = 0;
    GLuint attached_depth = 0;
    bool complete = false;
    bool made() const { return host != 0; }
  };
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
    bool drawable_given = false;
    Context context;  // at most one
    // What BindTexImage made the buffer's contents; the generation counts new storage.
    GLuint colour_texture = 0;
    GLuint depth_texture = 0;
    unsigned int colour_generation = 0;
    unsigned int depth_generation = 0;
  };
  Buffer* FindBuffer(PlatformHandle handle) const;
  Buffer* FindContext(PlatformHandle handle) const;  // the buffer whose context it is
  PlatformHandle ObjectRoot(PlatformHandle context) const;
  bool EnterCapture(Buffer* buffer);
  void LeaveCapture();
  bool ColourRenderable(GLenum internal_format);
  GLenum ColourStorageFor(const Format& format, int texture_format);
  bool PrepareFramebuffer(Buffer* buffer);
  void DestroyContext(Buffer* buffer);

  bool capabilities_known_ = false;
  RenderExtensions capabilities_;
  std::unique_ptr<ContextSystem> system_;
  std::vector<Format> formats_;  // format n is formats_[n - 1]
  std::vector<std::unique_ptr<Buffer>> buffers_;
  Buffer* capturing_ = nullptr;  // the buffer whose capture is under way in its host
  std::map<GLenum, bool> renderable_;
  // The texture that BindTexture last bound, and where: BindTexImage, which RenderTexture calls
  // right after binding, takes it from here instead of asking GL (a query waits for a driver
  // that runs on a thread of its own). Used once, then forgotten.
  struct LastBinding {
    PlatformHandle context = 0;
    GLenum target = 0;
    GLuint name = 0;
  } last_binding_;
  GLuint BoundTexture(GLenum target);
};

bool FboRenderPlatform::Format::operator==(const Format& o) const {
  return is_float == o.is_float && component_bits == o.component_bits && channels == o.channels &&
         depth_bits == o.depth_bits && stencil_bits == o.stencil_bits &&
         bind_colour == o.bind_colour && bind_rectangle == o.bind_rectangle &&
         bind_float == o.bind_float && bind_depth == o.bind_depth;
}

FboRenderPlatform::FboRenderPlatform(std::unique_ptr<ContextSystem> system)
    : system_(std::move(system)) {}

// The platforms live as long as the process; GL objects go with their contexts at exit.
FboRenderPlatform::~FboRenderPlatform() = default;

FboRenderPlatform::Buffer* FboRenderPlatform::FindBuffer(PlatformHandle handle) const {
  for (const auto& b : buffers_)
    if (handle != 0 && HandleOf(b.get()) == handle) return b.get();
  return nullptr;
}

// A context's handle is the address of its record in the buffer.
FboRenderPlatform::Buffer* FboRenderPlatform::FindContext(PlatformHandle handle) const {
  for (const auto& b : buffers_)
    if (handle != 0 && b->context.made() && HandleOf(&b->context) == handle) return b.get();
  return nullptr;
}

// Contexts with the same root share objects: a buffer's context shares its host's, or has its
// own.
PlatformHandle FboRenderPlatform::ObjectRoot(PlatformHandle context) const {
  const Buffer* b = FindContext(context);
  if (b == nullptr) return context;
  return b->context.shared ? b->context.host : context;
}

const RenderExtensions& FboRenderPlatform::Extensions() {
  if (!capabilities_known_ && system_->CurrentContext() != 0) {
    capabilities_ = QueryRenderCapabilities();
    capabilities_known_ = true;
  }
  return capabilities_;
}

// During a capture, the buffer's drawable and context; a buffer's drawable is the buffer's handle.
PlatformHandle FboRenderPlatform::GetCurrentDrawable() {
  return capturing_ != nullptr ? HandleOf(capturing_) : system_->CurrentDrawable();
}

PlatformHandle FboRenderPlatform::GetCurrentContext() {
  return capturing_ != nullptr ? HandleOf(&capturing_->context) : system_->CurrentContext();
}

// Whether the driver can draw into a texture of this format, tried once in the current context
// with everything it touches put back.
bool FboRenderPlatform::ColourRenderable(GLenum internal_format) {
  auto known = renderable_.find(internal_format);
  if (known != renderable_.end()) return known->second;

  GLint old_texture = 0, old_draw = 0, old_read = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &old_texture);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &old_draw);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &old_read);
  GLuint texture = 0, framebuffer = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  {
    PixelStoreScope unpack(false);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internal_format), 4, 4, 0, GL_RGBA, GL_FLOAT,
                 nullptr);
  }
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool renderable = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(old_draw));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(old_read));
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(old_texture));
  renderable_[internal_format] = renderable;
  return renderable;
}

// The storage of the colour contents: of the bound texture for a texture format, else of the
// framebuffer's own colour texture. 0 when the driver cannot draw into any of it.
GLenum FboRenderPlatform::ColourStorageFor(const Format& format, int texture_format) {
  int channels = format.channels;
  switch (texture_format) {
    case WGL_TEXTURE_FLOAT_R_NV: channels = 1; break;
    case WGL_TEXTURE_FLOAT_RG_NV: channels = 2; break;
    case WGL_TEXTURE_FLOAT_RGB_NV: channels = 3; break;
    case WGL_TEXTURE_FLOAT_RGBA_NV: channels = 4; break;
    case WGL_TEXTURE_RGB_ARB: channels = 3; break;
    case WGL_TEXTURE_RGBA_ARB: channels = 4; break;
    default: break;
  }
  const bool wide = format.component_bits > (format.is_float ? 16 : 8);
  GLenum storage = ColourFormat(channels, format.is_float, wide);
  if (channels == 3 && !ColourRenderable(storage)) storage = FourChannelFormat(storage);
  return ColourRenderable(storage) ? storage : 0;
}

bool FboRenderPlatform::ChoosePixelFormat(PlatformHandle drawable, const int* attributes,
                                          int* format, unsigned int* count) {
  if (attributes == nullptr || format == nullptr || count == nullptr) return false;
  *format = 0;
  *count = 0;
  if (!system_->Connected() || system_->CurrentContext() == 0) return false;
  const RenderExtensions& ext = Extensions();
  if (!ext.wgl_arb_pixel_format) return false;

  int bits[4] = {0, 0, 0, 0};
  int depth = 0, stencil = 0;
  Format f;
  for (int i = 0; attributes[i] != 0; i += 2) {
    if (i >= 2 * kMaxListPairs) return false;
    const int value = attributes[i + 1];
    switch (attributes[i]) {
      case WGL_RED_BITS_ARB: bits[0] = value; break;
      case WGL_GREEN_BITS_ARB: bits[1] = value; break;
      case WGL_BLUE_BITS_ARB: bits[2] = value; break;
      case WGL_ALPHA_BITS_ARB: bits[3] = value; break;
      case WGL_DEPTH_BITS_ARB: depth = value; break;
      case WGL_STENCIL_BITS_ARB: stencil = value; break;
      case WGL_FLOAT_COMPONENTS_NV: f.is_float = f.is_float || value != 0; break;
      case WGL_PIXEL_TYPE_ARB:
        if (value == WGL_TYPE_RGBA_FLOAT_ATI)
          f.is_float = true;
        else if (value != WGL_TYPE_RGBA_ARB)
          return false;
        break;
      case WGL_DRAW_TO_PBUFFER_ARB: break;  // every format draws to a buffer
      case WGL_BIND_TO_TEXTURE_RGB_ARB:
      case WGL_BIND_TO_TEXTURE_RGBA_ARB:
        f.bind_colour = f.bind_colour || value != 0;
        break;
      case WGL_BIND_TO_TEXTURE_RECTANGLE_RGB_NV:
      case WGL_BIND_TO_TEXTURE_RECTANGLE_RGBA_NV:
        if (value != 0) f.bind_colour = f.bind_rectangle = true;
        break;
      case WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_R_NV:
      case WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RG_NV:
      case WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGB_NV:
      case WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGBA_NV:
        if (value != 0) f.bind_colour = f.bind_rectangle = f.bind_float = true;
        break;
      case WGL_BIND_TO_TEXTURE_DEPTH_NV: f.bind_depth = f.bind_depth || value != 0; break;
      case WGL_BIND_TO_TEXTURE_RECTANGLE_DEPTH_NV:
        if (value != 0) f.bind_depth = f.bind_rectangle = true;
        break;
      default:
        return false;
    }
  }

  // From here on the call succeeds; what cannot be had matches no format.
  const int largest = *std::max_element(bits, bits + 4);
  if (*std::min_element(bits, bits + 4) < 0 || depth < 0 || stencil < 0) return true;
  if (f.is_float) {
    if (!ext.ati_pixel_format_float || largest > 32) return true;
    f.component_bits = largest > 16 ? 32 : 16;
    f.channels = bits[3] > 0 ? 4 : bits[2] > 0 ? 3 : bits[1] > 0 ? 2 : 1;
  } else {
    if (largest > 16) return true;
    f.component_bits = largest > 8 ? 16 : 8;
    f.channels = bits[3] > 0 ? 4 : 3;
  }
  if (depth > 24 || stencil > 8) return true;
  f.depth_bits = depth > 0 ? 24 : 0;
  f.stencil_bits = stencil > 0 ? 8 : 0;
  if (f.bind_rectangle && !ext.nv_texture_rectangle) return true;
  if (f.bind_float && (!f.is_float || !ext.nv_float_buffer)) return true;
  if (f.bind_depth && !ext.arb_depth_texture) return true;
  if (ColourStorageFor(f, WGL_NO_TEXTURE_ARB) == 0) return true;

  auto same = std::find(formats_.begin(), formats_.end(), f);
  if (same == formats_.end()) same = formats_.insert(formats_.end(), f);
  *format = static_cast<int>(same - formats_.begin()) + 1;
  *count = 1;
  return true;
}

bool FboRenderPlatform::GetPixelFormatAttribute(PlatformHandle drawable, int format,
                                                int attribute, int* value) {
  if (value == nullptr || format < 1 || format > static_cast<int>(formats_.size())) return false;
  const Format& f = formats_[static_cast<size_t>(format - 1)];
  switch (attribute) {
    case WGL_RED_BITS_ARB: *value = f.component_bits; return true;
    case WGL_GREEN_BITS_ARB: *value = f.channels >= 2 ? f.component_bits : 0; return true;
    case WGL_BLUE_BITS_ARB: *value = f.channels >= 3 ? f.component_bits : 0; return true;
    case WGL_ALPHA_BITS_ARB: *value = f.channels >= 4 ? f.component_bits : 0; return true;
    case WGL_DEPTH_BITS_ARB: *value = f.depth_bits; return true;
    case WGL_STENCIL_BITS_ARB: *value = f.stencil_bits; return true;
    case WGL_FLOAT_COMPONENTS_NV: *value = f.is_float ? 1 : 0; return true;
    case WGL_PIXEL_TYPE_ARB:
      *value = f.is_float ? WGL_TYPE_RGBA_FLOAT_ATI : WGL_TYPE_RGBA_ARB;
      return true;
    case WGL_DRAW_TO_PBUFFER_ARB: *value = 1; return true;
    default: return false;
  }
}

PlatformHandle FboRenderPlatform::CreateBuffer(PlatformHandle drawable, int format, int width,
                                               int height, const int* attributes) {
  if (!system_->Connected() || system_->CurrentContext() == 0) return 0;
  if (format < 1 || format > static_cast<int>(formats_.size())) return 0;
  const RenderExtensions& ext = Extensions();
  if (!ext.wgl_arb_pbuffer) return 0;

  auto b = std::make_unique<Buffer>();
  b->format = formats_[static_cast<size_t>(format - 1)];
  b->width = width;
  b->height = height;
  for (int i = 0; attributes != nullptr && attributes[i] != 0; i += 2) {
    if (i >= 2 * kMaxListPairs) return 0;
    const int value = attributes[i + 1];
    switch (attributes[i]) {
      case WGL_TEXTURE_TARGET_ARB:
        if (value != WGL_NO_TEXTURE_ARB && value != WGL_TEXTURE_2D_ARB &&
            value != WGL_TEXTURE_RECTANGLE_NV)
          return 0;
        b->texture_target = value;
        break;
      case WGL_TEXTURE_FORMAT_ARB:
        if (!IsTextureFormat(value)) return 0;
        b->texture_format = value;
        break;
      case WGL_DEPTH_TEXTURE_FORMAT_NV:
        if (value != WGL_NO_TEXTURE_ARB && value != WGL_TEXTURE_DEPTH_COMPONENT_NV) return 0;
        b->depth_texture_format = value;
        break;
      case WGL_MIPMAP_TEXTURE_ARB: b->mipmap = value != 0; break;
      case WGL_PBUFFER_LARGEST_ARB: break;  // the buffer is always of the size asked for
      default: return 0;
    }
  }

  // What the format and the list must agree on.
  const bool colour_bound = b->texture_format != WGL_NO_TEXTURE_ARB;
  const bool depth_bound = b->depth_texture_format != WGL_NO_TEXTURE_ARB;
  const bool rectangle = b->texture_target == WGL_TEXTURE_RECTANGLE_NV;
  if ((colour_bound || depth_bound) && b->texture_target == WGL_NO_TEXTURE_ARB) return 0;
  if (colour_bound && !b->format.bind_colour) return 0;
  if (depth_bound && !b->format.bind_depth) return 0;
  if (IsFloatTextureFormat(b->texture_format) && (!b->format.is_float || !rectangle)) return 0;
  if (rectangle && (!ext.nv_texture_rectangle || b->mipmap)) return 0;
  b->gl_target = rectangle ? GL_TEXTURE_RECTANGLE : GL_TEXTURE_2D;

  GLint max_size = 0, max_rectangle = 0, max_renderbuffer = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_renderbuffer);
  if (rectangle) {
    glGetIntegerv(GL_MAX_RECTANGLE_TEXTURE_SIZE, &max_rectangle);
    max_size = max_rectangle;
  }
  max_size = std::min(max_size, max_renderbuffer);
  if (width < 1 || height < 1 || width > max_size || height > max_size) return 0;

  b->colour_storage = ColourStorageFor(b->format, b->texture_format);
  if (b->colour_storage == 0) return 0;
  buffers_.push_back(std::move(b));
  return HandleOf(buffers_.back().get());
}

PlatformHandle FboRenderPlatform::GetBufferDrawable(PlatformHandle buffer) {
  Buffer* b = FindBuffer(buffer);
  if (b == nullptr) return 0;
  b->drawable_given = true;
  return buffer;
}

bool FboRenderPlatform::ReleaseBufferDrawable(PlatformHandle buffer, PlatformHandle drawable) {
  Buffer* b = FindBuffer(buffer);
  if (b == nullptr || !b->drawable_given || drawable != buffer) return false;
  b->drawable_given = false;
  return true;
}

bool FboRenderPlatform::DestroyBuffer(PlatformHandle buffer) {
  Buffer* b = FindBuffer(buffer);
  if (b == nullptr) return false;
  if (b->context.made()) DestroyContext(b);
  buffers_.erase(std::find_if(buffers_.begin(), buffers_.end(),
                              [&](const std::unique_ptr<Buffer>& p) { return p.get() == b; }));
  return true;
}

bool FboRenderPlatform::QueryBuffer(PlatformHandle buffer, int attribute, int* value) {
  const Buffer* b = FindBuffer(buffer);
  if (b == nullptr || value == nullptr) return false;
  switch (attribute) {
    case WGL_PBUFFER_WIDTH_ARB: *value = b->width; return true;
    case WGL_PBUFFER_HEIGHT_ARB: *value = b->height; return true;
    case WGL_TEXTURE_TARGET_ARB: *value = b->texture_target; return true;
    case WGL_TEXTURE_FORMAT_ARB: *value = b->texture_format; return true;
    case WGL_DEPTH_TEXTURE_FORMAT_NV: *value = b->depth_texture_format; return true;
    case WGL_MIPMAP_TEXTURE_ARB: *value = b->mipmap ? 1 : 0; return true;
    default: return false;
  }
}

// The context is made for the window system's context current now, its host.
PlatformHandle FboRenderPlatform::CreateContext(PlatformHandle drawable) {
  Buffer* b = FindBuffer(drawable);
  if (!system_->Connected() || b == nullptr || b->context.made()) return 0;
  Context& c = b->context;
  c.host = capturing_ != nullptr ? capturing_->context.host : system_->CurrentContext();
  c.host_drawable =
      capturing_ != nullptr ? capturing_->context.host_drawable : system_->CurrentDrawable();
  return c.made() ? HandleOf(&c) : 0;
}

// Only with the objects of the host (or of a context sharing them), and before first use.
bool FboRenderPlatform::ShareObjects(PlatformHandle from, PlatformHandle to) {
  Buffer* b = FindContext(to);
  if (!system_->Connected() || b == nullptr || b->context.used || from == 0 || from == to)
    return false;
  if (ObjectRoot(from) != b->context.host) return false;
  b->context.shared = true;
  return true;
}

// Making a buffer's context current starts a capture in its host; making anything else current
// ends the capture under way. The window system is asked only when its current context must
// change, which the viewer and veltrane-headless never need.
bool FboRenderPlatform::MakeCurrent(PlatformHandle drawable, PlatformHandle context) {
  if (!system_->Connected()) return drawable == 0 && context == 0;
  Buffer* target = FindContext(context);
  if (target != nullptr) {
    if (drawable != HandleOf(target)) return false;
    if (capturing_ == target) return PrepareFramebuffer(target);
    if (capturing_ != nullptr) LeaveCapture();
    const Context& c = target->context;
    if (system_->CurrentContext() != c.host && !system_->MakeCurrent(c.host_drawable, c.host))
      return false;
    return EnterCapture(target);
  }
  if (capturing_ != nullptr) LeaveCapture();
  if (context != 0 && system_->IsCurrent(drawable, context)) return true;
  return system_->MakeCurrent(drawable, context);
}

// What a new context would give the capture, in the host: identity matrices, the whole buffer
// in view, none of the capabilities the window's drawing turns on, clearing to black. All of the
// host's state is kept (glPushAttrib, the two matrix stacks) for LeaveCapture to give back.
bool FboRenderPlatform::EnterCapture(Buffer* b) {
  Context& c = b->context;
  if (c.host_draw_framebuffer < 0) {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &c.host_draw_framebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &c.host_read_framebuffer);
  }
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  static const GLenum kOff[] = {
      GL_LIGHTING,     GL_LIGHT0,       GL_DEPTH_TEST,   GL_CULL_FACE,          GL_BLEND,
      GL_ALPHA_TEST,   GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_FOG,                GL_COLOR_MATERIAL,
      GL_NORMALIZE,    GL_TEXTURE_2D,   GL_TEXTURE_RECTANGLE, GL_TEXTURE_CUBE_MAP,
      GL_POLYGON_OFFSET_FILL};
  for (GLenum cap : kOff) glDisable(cap);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  capturing_ = b;
  c.used = true;
  const bool complete = PrepareFramebuffer(b);
  glViewport(0, 0, b->width, b->height);
  glScissor(0, 0, b->width, b->height);
  return complete;
}

// The host's framebuffers and state again, as they were when the capture began.
void FboRenderPlatform::LeaveCapture() {
  const Context& c = capturing_->context;
  capturing_ = nullptr;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(c.host_draw_framebuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(c.host_read_framebuffer));
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

// In the buffer's capture: the framebuffer object bound, made the first time, its attachments
// following what BindTexImage made the buffer's contents.
bool FboRenderPlatform::PrepareFramebuffer(Buffer* b) {
  Context* c = &b->context;
  const bool first = c->framebuffer == 0;
  bool changed = first;
  if (first) glGenFramebuffers(1, &c->framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, c->framebuffer);

  if (first) {
    // The bindings made here go with the capture's state (LeaveCapture); within the capture
    // they are left as a new context has them.
    if (b->texture_format == WGL_NO_TEXTURE_ARB) {
      glGenTextures(1, &c->own_colour);
      glBindTexture(GL_TEXTURE_2D, c->own_colour);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      {
        PixelStoreScope unpack(false);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(b->colour_storage), b->width, b->height,
                     0, GL_RGBA, GL_FLOAT, nullptr);
      }
      glBindTexture(GL_TEXTURE_2D, 0);
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, c->own_colour, 0);
    }
    const int depth = b->format.depth_bits, stencil = b->format.stencil_bits;
    if (b->depth_texture_format == WGL_NO_TEXTURE_ARB && (depth > 0 || stencil > 0)) {
      glGenRenderbuffers(1, &c->own_depth);
      glBindRenderbuffer(GL_RENDERBUFFER, c->own_depth);
      const GLenum storage = depth > 0 && stencil > 0 ? GL_DEPTH24_STENCIL8
                             : depth > 0              ? GL_DEPTH_COMPONENT24
                                                      : GL_STENCIL_INDEX8;
      glRenderbufferStorage(GL_RENDERBUFFER, storage, b->width, b->height);
      glBindRenderbuffer(GL_RENDERBUFFER, 0);
      const GLenum attachment = depth > 0 && stencil > 0 ? GL_DEPTH_STENCIL_ATTACHMENT
                                : depth > 0              ? GL_DEPTH_ATTACHMENT
                                                         : GL_STENCIL_ATTACHMENT;
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, c->own_depth);
    }
  }

  if (b->texture_format != WGL_NO_TEXTURE_ARB &&
      (c->attached_colour != b->colour_texture ||
       c->attached_colour_generation != b->colour_generation)) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, b->gl_target, b->colour_texture, 0);
    c->attached_colour = b->colour_texture;
    c->attached_colour_generation = b->colour_generation;
    changed = true;
  }
  if (b->depth_texture_format != WGL_NO_TEXTURE_ARB &&
      (c->attached_depth != b->depth_texture ||
       c->attached_depth_generation != b->depth_generation)) {
    const GLenum attachment =
        b->format.stencil_bits > 0 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, b->gl_target, b->depth_texture, 0);
    c->attached_depth = b->depth_texture;
    c->attached_depth_generation = b->depth_generation;
    changed = true;
  }
  if (changed)
    c->complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  return c->complete;
}

bool FboRenderPlatform::BindTexImage(PlatformHandle buffer, int which) {
  Buffer* b = FindBuffer(buffer);
  const PlatformHandle current = system_->CurrentContext();
  if (b == nullptr || !b->context.made() || current == 0) return false;
  // The texture is drawn into in the buffer's context: it must be one object in both.
  if (ObjectRoot(GetCurrentContext()) != ObjectRoot(HandleOf(&b->context))) return false;

  const GLuint texture = BoundTexture(b->gl_target);
  if (texture == 0) return false;

  if (which == WGL_FRONT_LEFT_ARB) {
    if (b->texture_format == WGL_NO_TEXTURE_ARB) return false;
    if (texture != b->colour_texture) {
      PixelStoreScope unpack(false);
      glTexImage2D(b->gl_target, 0, static_cast<GLint>(b->colour_storage), b->width, b->height, 0,
                   GL_RGBA, GL_FLOAT, nullptr);
      b->colour_texture = texture;
      ++b->colour_generation;
    }
    if (b->mipmap) glGenerateMipmap(b->gl_target);
    return true;
  }
  if (which == WGL_DEPTH_COMPONENT_NV) {
    if (b->depth_texture_format == WGL_NO_TEXTURE_ARB) return false;
    if (texture != b->depth_texture) {
      PixelStoreScope unpack(false);
      if (b->format.stencil_bits > 0)
        glTexImage2D(b->gl_target, 0, GL_DEPTH24_STENCIL8, b->width, b->height, 0,
                     GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, nullptr);
      else
        glTexImage2D(b->gl_target, 0, GL_DEPTH_COMPONENT24, b->width, b->height, 0,
                     GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
      b->depth_texture = texture;
      ++b->depth_generation;
    }
    return true;
  }
  return false;
}

// The texture stays the framebuffer's attachment; nothing samples it while it is drawn into.
bool FboRenderPlatform::ReleaseTexImage(PlatformHandle buffer, int which) {
  const Buffer* b = FindBuffer(buffer);
  if (b == nullptr) return false;
  if (which == WGL_FRONT_LEFT_ARB) return b->texture_format != WGL_NO_TEXTURE_ARB;
  if (which == WGL_DEPTH_COMPONENT_NV) return b->depth_texture_format != WGL_NO_TEXTURE_ARB;
  return false;
}

// The framebuffer and the objects of its own are deleted in the host, when it is current; with
// the host gone they went with it.
void FboRenderPlatform::DestroyContext(Buffer* b) {
  if (capturing_ == b) LeaveCapture();
  Context& c = b->context;
  if (system_->Connected() && system_->CurrentContext() == c.host) {
    if (c.framebuffer != 0) glDeleteFramebuffers(1, &c.framebuffer);
    if (c.own_colour != 0) glDeleteTextures(1, &c.own_colour);
    if (c.own_depth != 0) glDeleteRenderbuffers(1, &c.own_depth);
  }
  c = Context();
}

bool FboRenderPlatform::DeleteContext(PlatformHandle context) {
  Buffer* b = FindContext(context);
  if (b == nullptr) return false;
  DestroyContext(b);
  return true;
}

unsigned int FboRenderPlatform::GenTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  return name;
}

void FboRenderPlatform::DeleteTexture(unsigned int name) { glDeleteTextures(1, &name); }

void FboRenderPlatform::BindTexture(unsigned int target, unsigned int name) {
  glBindTexture(target, name);
  last_binding_ = {GetCurrentContext(), target, name};
}

// The texture bound to the target on the active unit of the current context.
GLuint FboRenderPlatform::BoundTexture(GLenum target) {
  const LastBinding last = last_binding_;
  last_binding_ = LastBinding();
  if (last.target == target && last.context != 0 && last.context == GetCurrentContext())
    return last.name;
  GLint name = 0;
  glGetIntegerv(target == GL_TEXTURE_RECTANGLE ? GL_TEXTURE_BINDING_RECTANGLE
                                               : GL_TEXTURE_BINDING_2D,
                &name);
  return static_cast<GLuint>(name);
}

void FboRenderPlatform::TexParameteri(unsigned int target, unsigned int name, int value) {
  glTexParameteri(target, name, value);
}

void FboRenderPlatform::TexParameterf(unsigned int target, unsigned int name, float value) {
  glTexParameterf(target, name, value);
}

float FboRenderPlatform::MaxTextureMaxAnisotropy() {
  GLfloat value = 1.0f;
  glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &value);
  return value;
}

void FboRenderPlatform::TexImage2D(unsigned int target, int internal_format, int width,
                                   int height, unsigned int format, unsigned int type,
                                   const void* pixels) {
  PixelStoreScope unpack(false);
  glTexImage2D(target, 0, internal_format, width, height, 0, format, type, pixels);
}

void FboRenderPlatform::CopyTexSubImage2D(unsigned int target, int width, int height) {
  glCopyTexSubImage2D(target, 0, 0, 0, 0, 0, width, height);
}

void FboRenderPlatform::ReadDepthPixels(int width, int height, unsigned short* pixels) {
  PixelStoreScope pack(true);
  glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, pixels);
}

std::unique_ptr<RenderPlatform> MakeFboRenderPlatform(std::unique_ptr<ContextSystem> system) {
  return std::make_unique<FboRenderPlatform>(std::move(system));
}

}  // namespace veltrane
