#include "render/render_texture.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>

#include "common/fatal.h"
#include "render/default_render_platform.h"

using veltrane::PlatformHandle;
using veltrane::RenderExtensions;

namespace {

// 0 counts as a power of two.
bool IsPowerOfTwo(int n) {
  const unsigned int u = static_cast<unsigned int>(n);
  return (u & (u - 1)) == 0;
}

const char kAtiPowerOfTwo[] = "RenderTexture Error: ATI textures must be power-of-two-dimensioned.\n";

// A 0-ended list of (attribute, value) pairs.
class AttributeList {
 public:
  void Add(int attribute, int value) {
    items_[count_++] = attribute;
    items_[count_++] = value;
    items_[count_] = 0;
  }
  const int* data() const { return items_; }

 private:
  int items_[33] = {0};
  int count_ = 0;
};

}  // namespace

RenderTexture::RenderTexture(int width, int height, bool is_texture, bool is_depth_texture)
    : RenderTexture(veltrane::DefaultRenderPlatform(), width, height, is_texture, is_depth_texture) {}

RenderTexture::RenderTexture(veltrane::RenderPlatform* platform, int width, int height,
                             bool is_texture, bool is_depth_texture)
    : platform_(platform),
      width_(width),
      height_(height),
      is_texture_(is_texture),
      is_depth_texture_(is_depth_texture),
      is_rectangle_(!(IsPowerOfTwo(width) && IsPowerOfTwo(height))) {}

RenderTexture::~RenderTexture() { ReleaseResources(); }

void RenderTexture::ReportMissingExtension(const char* extension) {
  std::fputs("Error: RenderTexture requires the following unsupported OpenGL extensions: \n",
             stderr);
  std::fputs(extension, stderr);
  veltrane::FatalExit(1);
}

bool RenderTexture::HoldsResources() const {
  return texture_name_ != 0 || depth_texture_name_ != 0 || pbuffer_ != 0 || depth_copy_;
}

bool RenderTexture::Initialize(bool share, bool depth, bool stencil, bool mipmap,
                               bool anisotropic, unsigned int red_bits, unsigned int green_bits,
                               unsigned int blue_bits, unsigned int alpha_bits, UpdateMode mode) {
  const RenderExtensions& ext = platform_->Extensions();
  if (!ext.wgl_arb_pbuffer) ReportMissingExtension("WGL_ARB_pbuffer");
  if (!ext.wgl_arb_pixel_format) ReportMissingExtension("WGL_ARB_pixel_format");
  if (is_texture_ && !ext.wgl_arb_render_texture) ReportMissingExtension("WGL_ARB_render_texture");
  if (is_depth_texture_ && !ext.arb_depth_texture) has_arb_depth_texture_ = false;

  // A failed earlier Initialize leaves what it created with the object: release that too, so a
  // second attempt does not lose it.
  if (initialized_ || HoldsResources()) ReleaseResources();

  is_float_ = red_bits > 8 || green_bits > 8 || blue_bits > 8 || alpha_bits > 8;
  bool nv_path = true;
  if (is_float_) {
    if (!ext.nv_float_buffer) {
      nv_path = false;
      if (!ext.ati_pixel_format_float)
        ReportMissingExtension("GL_NV_float_buffer or GL_ATI_pixel_format_float");
    }
    if (is_texture_ && !nv_path && !ext.ati_texture_float)
      ReportMissingExtension("NV_float_buffer or ATI_texture_float");
  }
  if (!is_float_ && !ext.nv_texture_rectangle) nv_path = false;
  is_rectangle_ = is_rectangle_ || (is_float_ && nv_path);

  has_depth_ = is_depth_texture_ ? true : depth;
  has_stencil_ = stencil;
  mipmapped_ = false;
  anisotropic_ = false;
  update_mode_ = mode;

  if (is_texture_) texture_name_ = platform_->GenTexture();
  if (is_depth_texture_) depth_texture_name_ = platform_->GenTexture();

  BindChoice choice;
  if (is_texture_ && !SetUpColourTexture(nv_path, mipmap, anisotropic, red_bits, green_bits,
                                         blue_bits, alpha_bits, &choice))
    return false;
  if (is_depth_texture_ && !SetUpDepthTexture(nv_path, &choice)) return false;

  const PlatformHandle current_dc = platform_->GetCurrentDrawable();
  const PlatformHandle current_context = platform_->GetCurrentContext();
  const bool binding = update_mode_ == UpdateByBinding;

  AttributeList format_list;
  format_list.Add(veltrane::WGL_RED_BITS_ARB, static_cast<int>(red_bits));
  format_list.Add(veltrane::WGL_GREEN_BITS_ARB, static_cast<int>(green_bits));
  format_list.Add(veltrane::WGL_BLUE_BITS_ARB, static_cast<int>(blue_bits));
  format_list.Add(veltrane::WGL_ALPHA_BITS_ARB, static_cast<int>(alpha_bits));
  if (is_float_) {
    if (nv_path)
      format_list.Add(veltrane::WGL_FLOAT_COMPONENTS_NV, 1);
    else
      format_list.Add(veltrane::WGL_PIXEL_TYPE_ARB, veltrane::WGL_TYPE_RGBA_FLOAT_ATI);
  }
  format_list.Add(veltrane::WGL_STENCIL_BITS_ARB, stencil ? 8 : 0);
  format_list.Add(veltrane::WGL_DEPTH_BITS_ARB, depth ? 24 : 0);
  format_list.Add(veltrane::WGL_DRAW_TO_PBUFFER_ARB, 1);
  if (is_texture_ && binding) format_list.Add(choice.colour_bind_attribute, 1);
  if (is_depth_texture_ && binding) format_list.Add(choice.depth_bind_attribute, 1);

  AttributeList pbuffer_list;
  if ((is_texture_ || is_depth_texture_) && binding)
    pbuffer_list.Add(veltrane::WGL_TEXTURE_TARGET_ARB, choice.buffer_texture_target);
  if (is_texture_ && binding) {
    pbuffer_list.Add(veltrane::WGL_TEXTURE_FORMAT_ARB, choice.colour_texture_format);
    pbuffer_list.Add(veltrane::WGL_MIPMAP_TEXTURE_ARB, mipmap ? 1 : 0);
  }
  if (is_depth_texture_ && binding)
    pbuffer_list.Add(veltrane::WGL_DEPTH_TEXTURE_FORMAT_NV, choice.depth_texture_format);
  pbuffer_list.Add(veltrane::WGL_PBUFFER_LARGEST_ARB, 0);

  int format = 0;
  unsigned int count = 0;
  if (!platform_->ChoosePixelFormat(current_dc, format_list.data(), &format, &count)) {
    std::fputs("RenderTexture::Initialize() creation error: wglChoosePixelFormatARB() failed.\n",
               stderr);
    return false;
  }
  if (count == 0) {
    std::fputs(
        "RenderTexture::Initialize() creation error: Couldn't find a suitable pixel format.\n",
        stderr);
    return false;
  }

  pbuffer_ = platform_->CreateBuffer(current_dc, format, width_, height_, pbuffer_list.data());
  if (pbuffer_ == 0) {
    std::fputs("RenderTexture::Initialize() pbuffer creation error: wglCreatePbufferARB() failed\n",
               stderr);
    return false;
  }
  pbuffer_dc_ = platform_->GetBufferDrawable(pbuffer_);
  if (pbuffer_dc_ == 0) {
    std::fputs("RenderTexture::Initialize() creation error: wglGetGetPbufferDCARB() failed\n",
               stderr);
    return false;
  }
  pbuffer_context_ = platform_->CreateContext(pbuffer_dc_);
  if (pbuffer_context_ == 0) {
    std::fputs("RenderTexture::Initialize() creation error:  wglCreateContext() failed\n", stderr);
    return false;
  }
  if (share && !platform_->ShareObjects(current_context, pbuffer_context_)) {
    std::fputs("RenderTexture::Initialize() creation error: wglShareLists() failed\n", stderr);
    return false;
  }

  if (binding) {
    if (is_texture_) {
      platform_->BindTexture(texture_target_, texture_name_);
      if (!platform_->BindTexImage(pbuffer_, veltrane::WGL_FRONT_LEFT_ARB)) return false;
    }
    if (is_depth_texture_) {
      platform_->BindTexture(texture_target_, depth_texture_name_);
      if (!platform_->BindTexImage(pbuffer_, veltrane::WGL_DEPTH_COMPONENT_NV)) return false;
    }
  }

  // The buffer's actual size; the requested one stays where the platform cannot tell.
  int value = 0;
  if (platform_->QueryBuffer(pbuffer_, veltrane::WGL_PBUFFER_WIDTH_ARB, &value)) width_ = value;
  if (platform_->QueryBuffer(pbuffer_, veltrane::WGL_PBUFFER_HEIGHT_ARB, &value)) height_ = value;
  // The depth copy must hold what EndCapture reads back at that size.
  if (depth_copy_ && (depth_copy_width_ != width_ || depth_copy_height_ != height_) &&
      !AllocateDepthCopy(width_, height_))
    return false;

  initialized_ = true;

  auto query = [&](int attribute, int fallback) {
    int bits = 0;
    return platform_->GetPixelFormatAttribute(pbuffer_dc_, format, attribute, &bits) ? bits
                                                                                     : fallback;
  };
  red_bits_ = query(veltrane::WGL_RED_BITS_ARB, static_cast<int>(red_bits));
  green_bits_ = query(veltrane::WGL_GREEN_BITS_ARB, static_cast<int>(green_bits));
  blue_bits_ = query(veltrane::WGL_BLUE_BITS_ARB, static_cast<int>(blue_bits));
  alpha_bits_ = query(veltrane::WGL_ALPHA_BITS_ARB, static_cast<int>(alpha_bits));
  depth_bits_ = query(veltrane::WGL_DEPTH_BITS_ARB, 0);
  stencil_bits_ = query(veltrane::WGL_STENCIL_BITS_ARB, 0);
  return true;
}

bool RenderTexture::SetUpColourTexture(bool nv_path, bool mipmap, bool anisotropic,
                                       unsigned int red_bits, unsigned int green_bits,
                                       unsigned int blue_bits, unsigned int alpha_bits,
                                       BindChoice* choice) {
  const RenderExtensions& ext = platform_->Extensions();
  const bool binding = update_mode_ == UpdateByBinding;

  if (is_float_) {
    if (nv_path) {
      texture_target_ = GL_TEXTURE_RECTANGLE;
    } else if (is_rectangle_) {
      std::fputs(kAtiPowerOfTwo, stderr);
      return false;
    } else {
      texture_target_ = GL_TEXTURE_2D;
    }
  } else {
    if (is_rectangle_ && !nv_path) {
      std::fputs(kAtiPowerOfTwo, stderr);
      return false;
    }
    texture_target_ = is_rectangle_ ? GL_TEXTURE_RECTANGLE : GL_TEXTURE_2D;
  }

  platform_->BindTexture(texture_target_, texture_name_);
  platform_->TexParameteri(texture_target_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  platform_->TexParameteri(texture_target_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  if (is_float_) {
    platform_->TexParameteri(texture_target_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    platform_->TexParameteri(texture_target_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (mipmap) {
      std::fputs("RenderTexture Error: float textures do not support mipmaps\n", stderr);
      return false;
    }
    // The first row that applies: alpha, blue, green, red; each compares its own bits with 16.
    // The NV and ATI internal formats are the ARB float formats of the same layout.
    int internal_format;
    unsigned int format;
    if (alpha_bits > 0) {
      internal_format = alpha_bits > 16 ? GL_RGBA32F : GL_RGBA16F;
      format = GL_RGBA;
      choice->colour_bind_attribute = nv_path ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGBA_NV
                                              : veltrane::WGL_BIND_TO_TEXTURE_RGBA_ARB;
      choice->colour_texture_format =
          nv_path ? veltrane::WGL_TEXTURE_FLOAT_RGBA_NV : veltrane::WGL_TEXTURE_RGBA_ARB;
    } else if (blue_bits > 0) {
      internal_format = blue_bits > 16 ? GL_RGB32F : GL_RGB16F;
      format = GL_RGB;
      choice->colour_bind_attribute = nv_path ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGB_NV
                                              : veltrane::WGL_BIND_TO_TEXTURE_RGB_ARB;
      choice->colour_texture_format =
          nv_path ? veltrane::WGL_TEXTURE_FLOAT_RGB_NV : veltrane::WGL_TEXTURE_RGB_ARB;
    } else if (green_bits > 0) {
      if (nv_path)
        internal_format = green_bits > 16 ? GL_RG32F : GL_RG16F;
      else
        internal_format = green_bits > 16 ? GL_LUMINANCE_ALPHA32F_ARB : GL_LUMINANCE_ALPHA16F_ARB;
      format = GL_LUMINANCE_ALPHA;
      choice->colour_bind_attribute = nv_path ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RG_NV
                                              : veltrane::WGL_BIND_TO_TEXTURE_RGB_ARB;
      choice->colour_texture_format =
          nv_path ? veltrane::WGL_TEXTURE_FLOAT_RG_NV : veltrane::WGL_TEXTURE_RGB_ARB;
    } else {
      if (nv_path)
        internal_format = red_bits > 16 ? GL_R32F : GL_R16F;
      else
        internal_format = red_bits > 16 ? GL_LUMINANCE32F_ARB : GL_LUMINANCE16F_ARB;
      format = GL_LUMINANCE;
      choice->colour_bind_attribute = nv_path ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_R_NV
                                              : veltrane::WGL_BIND_TO_TEXTURE_RGB_ARB;
      choice->colour_texture_format =
          nv_path ? veltrane::WGL_TEXTURE_FLOAT_R_NV : veltrane::WGL_TEXTURE_RGB_ARB;
    }
    if (binding) {
      choice->buffer_texture_target =
          nv_path ? veltrane::WGL_TEXTURE_RECTANGLE_NV : veltrane::WGL_TEXTURE_2D_ARB;
    } else {
      platform_->TexImage2D(texture_target_, internal_format, width_, height_, format, GL_FLOAT,
                            nullptr);
    }
    return true;
  }

  if (is_rectangle_) {
    platform_->TexParameteri(texture_target_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    platform_->TexParameteri(texture_target_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (mipmap) {
      std::fputs("RenderTexture Error: rectangle textures do not support mipmaps\n", stderr);
      return false;
    }
  } else {
    platform_->TexParameteri(texture_target_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (mipmap) {
      mipmapped_ = true;
      platform_->TexParameteri(texture_target_, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
      if (!ext.sgis_generate_mipmap) ReportMissingExtension("GL_SGIS_generate_mipmap");
      platform_->TexParameteri(texture_target_, GL_GENERATE_MIPMAP, 1);
    } else {
      platform_->TexParameteri(texture_target_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    if (anisotropic && ext.ext_texture_filter_anisotropic) {
      anisotropic_ = true;
      platform_->TexParameterf(texture_target_, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                               platform_->MaxTextureMaxAnisotropy());
    }
  }

  if (binding) {
    choice->buffer_texture_target =
        is_rectangle_ ? veltrane::WGL_TEXTURE_RECTANGLE_NV : veltrane::WGL_TEXTURE_2D_ARB;
    if (alpha_bits > 0) {
      choice->colour_bind_attribute = is_rectangle_ ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_RGBA_NV
                                                    : veltrane::WGL_BIND_TO_TEXTURE_RGBA_ARB;
      choice->colour_texture_format = veltrane::WGL_TEXTURE_RGBA_ARB;
    } else {
      choice->colour_bind_attribute = is_rectangle_ ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_RGB_NV
                                                    : veltrane::WGL_BIND_TO_TEXTURE_RGB_ARB;
      choice->colour_texture_format = veltrane::WGL_TEXTURE_RGB_ARB;
    }
  } else if (alpha_bits > 0) {
    platform_->TexImage2D(texture_target_, GL_RGBA8, width_, height_, GL_RGBA, GL_FLOAT, nullptr);
  } else {
    platform_->TexImage2D(texture_target_, GL_RGB8, width_, height_, GL_RGB, GL_FLOAT, nullptr);
  }
  return true;
}

bool RenderTexture::SetUpDepthTexture(bool nv_path, BindChoice* choice) {
  if (!nv_path && is_rectangle_) {
    std::fputs(kAtiPowerOfTwo, stderr);
    return false;
  }
  if (texture_target_ == 0) texture_target_ = is_rectangle_ ? GL_TEXTURE_RECTANGLE : GL_TEXTURE_2D;

  platform_->BindTexture(texture_target_, depth_texture_name_);
  platform_->TexParameteri(texture_target_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  platform_->TexParameteri(texture_target_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  platform_->TexParameteri(texture_target_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  platform_->TexParameteri(texture_target_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  if (update_mode_ == UpdateByCopy) {
    if (has_arb_depth_texture_) {
      platform_->TexImage2D(texture_target_, GL_DEPTH_COMPONENT, width_, height_,
                            GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    } else {
      if (!AllocateDepthCopy(width_, height_)) return false;
      platform_->TexImage2D(texture_target_, GL_LUMINANCE16, width_, height_, GL_LUMINANCE,
                            GL_UNSIGNED_SHORT, depth_copy_.get());
    }
    return true;
  }

  if (choice->buffer_texture_target == 0)
    choice->buffer_texture_target =
        is_rectangle_ ? veltrane::WGL_TEXTURE_RECTANGLE_NV : veltrane::WGL_TEXTURE_2D_ARB;
  choice->depth_bind_attribute = is_rectangle_ ? veltrane::WGL_BIND_TO_TEXTURE_RECTANGLE_DEPTH_NV
                                               : veltrane::WGL_BIND_TO_TEXTURE_DEPTH_NV;
  choice->depth_texture_format = veltrane::WGL_TEXTURE_DEPTH_COMPONENT_NV;
  return true;
}

// width x height 16-bit values, zeroed. A negative size or missing memory is reported here.
bool RenderTexture::AllocateDepthCopy(int width, int height) {
  depth_copy_.reset();
  depth_copy_width_ = depth_copy_height_ = 0;
  unsigned short* buffer = nullptr;
  if (width >= 0 && height >= 0) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    buffer = veltrane::HeapAlloc<unsigned short>(count);
    if (buffer != nullptr) std::memset(buffer, 0, count * sizeof(unsigned short));
  }
  if (buffer == nullptr) {
    std::fputs("RenderTexture Error: no memory for the depth copy buffer\n", stderr);
    return false;
  }
  depth_copy_.reset(buffer);
  depth_copy_width_ = width;
  depth_copy_height_ = height;
  return true;
}

bool RenderTexture::BeginCapture() {
  if (!initialized_) {
    std::fputs("RenderTexture::BeginCapture(): Texture is not initialized!\n", stderr);
    veltrane::FatalExit(1);
  }
  // A second BeginCapture inside this target's own capture keeps the contexts saved by the
  // first, so that EndCapture still returns to the window.
  const PlatformHandle current_context = platform_->GetCurrentContext();
  const bool capturing = pbuffer_context_ != 0 && current_context == pbuffer_context_;
  if (!capturing) {
    saved_dc_ = platform_->GetCurrentDrawable();
    saved_context_ = current_context;
    saved_valid_ = true;
    if (update_mode_ == UpdateByBinding) {
      if (is_texture_) {
        platform_->BindTexture(texture_target_, texture_name_);
        if (!platform_->ReleaseTexImage(pbuffer_, veltrane::WGL_FRONT_LEFT_ARB)) return false;
      }
      if (is_depth_texture_) {
        platform_->BindTexture(texture_target_, depth_texture_name_);
        if (!platform_->ReleaseTexImage(pbuffer_, veltrane::WGL_DEPTH_COMPONENT_NV)) return false;
      }
    }
  }
  return platform_->MakeCurrent(pbuffer_dc_, pbuffer_context_);
}

bool RenderTexture::EndCapture() {
  if (!initialized_) {
    std::fputs("RenderTexture::EndCapture(): Texture is not initialized!\n", stderr);
    return false;
  }
  // Never captured: there is nothing to return to, and making "nothing" current would take the
  // window's context away.
  if (!saved_valid_) return false;

  const bool binding = update_mode_ == UpdateByBinding;
  bool restored = false;
  if (is_texture_) {
    if (binding) {
      if (!platform_->MakeCurrent(saved_dc_, saved_context_)) return false;
      restored = true;
      platform_->BindTexture(texture_target_, texture_name_);
      if (!platform_->BindTexImage(pbuffer_, veltrane::WGL_FRONT_LEFT_ARB)) return false;
    } else {
      platform_->BindTexture(texture_target_, texture_name_);
      platform_->CopyTexSubImage2D(texture_target_, width_, height_);
    }
  }
  if (is_depth_texture_) {
    if (binding) {
      if (!restored) {
        if (!platform_->MakeCurrent(saved_dc_, saved_context_)) return false;
        restored = true;
      }
      platform_->BindTexture(texture_target_, depth_texture_name_);
      if (!platform_->BindTexImage(pbuffer_, veltrane::WGL_DEPTH_COMPONENT_NV)) return false;
    } else {
      platform_->BindTexture(texture_target_, depth_texture_name_);
      if (has_arb_depth_texture_) {
        platform_->CopyTexSubImage2D(texture_target_, width_, height_);
      } else if (depth_copy_ && depth_copy_width_ == width_ && depth_copy_height_ == height_) {
        platform_->ReadDepthPixels(width_, height_, depth_copy_.get());
        platform_->TexImage2D(texture_target_, GL_LUMINANCE16, width_, height_, GL_LUMINANCE,
                              GL_UNSIGNED_SHORT, depth_copy_.get());
      }
    }
  }
  if (!restored) {
    if (!platform_->MakeCurrent(saved_dc_, saved_context_)) return false;
    // The copies were made in the buffer's context; binding the textures again in the window's
    // context is what makes the new contents visible there.
    if (!binding) {
      if (is_texture_) platform_->BindTexture(texture_target_, texture_name_);
      if (is_depth_texture_) platform_->BindTexture(texture_target_, depth_texture_name_);
    }
  }
  return true;
}

bool RenderTexture::ReleaseResources() {
  is_float_ = false;
  is_rectangle_ = !(IsPowerOfTwo(width_) && IsPowerOfTwo(height_));
  initialized_ = false;
  has_depth_ = false;
  has_stencil_ = false;
  mipmapped_ = false;
  anisotropic_ = false;
  red_bits_ = green_bits_ = blue_bits_ = alpha_bits_ = 0;
  depth_bits_ = stencil_bits_ = 0;

  // Names are forgotten once deleted: deleting them again later could hit a texture that
  // has been given the same name since.
  if (texture_name_ != 0) {
    platform_->DeleteTexture(texture_name_);
    texture_name_ = 0;
  }
  depth_copy_.reset();
  depth_copy_width_ = depth_copy_height_ = 0;
  if (depth_texture_name_ != 0) {
    platform_->DeleteTexture(depth_texture_name_);
    depth_texture_name_ = 0;
  }
  texture_target_ = 0;

  if (pbuffer_ == 0) return false;
  if (pbuffer_context_ != 0 && platform_->GetCurrentContext() == pbuffer_context_)
    platform_->MakeCurrent(0, 0);
  if (pbuffer_context_ != 0) platform_->DeleteContext(pbuffer_context_);
  if (pbuffer_dc_ != 0) platform_->ReleaseBufferDrawable(pbuffer_, pbuffer_dc_);
  platform_->DestroyBuffer(pbuffer_);
  pbuffer_ = 0;
  pbuffer_dc_ = 0;
  pbuffer_context_ = 0;
  return true;
}
