// RenderTexture: an offscreen render target whose contents become a GL texture. It owns an
// offscreen buffer with a GL context of its own; between BeginCapture and EndCapture all
// drawing goes into the buffer, and afterwards the result is a texture in the window's context,
// either because the buffer is bound as the texture's image (UpdateByBinding) or because its
// pixels are copied into an ordinary texture (UpdateByCopy).
//
//   RenderTexture* target = new RenderTexture(width, height);   // colour texture, no depth texture
//   target->Initialize(true, true, false, false, false, 32, 32, 32, 0);
//   if (target->BeginCapture()) { ... draw ... }
//   target->EndCapture();
//   glBindTexture(target->GetTextureTarget(), target->GetTextureName());
//
// The window's context must be current for Initialize and BeginCapture. Captures do not nest
// (a BeginCapture of another target inside a capture returns to this target's context at its
// EndCapture). The window-system work goes through a RenderPlatform; by default the
// platform of default_render_platform.h (the GLX one unless a program sets another).
#pragma once

#include "common/heap.h"
#include "render/render_platform.h"

class RenderTexture {
 public:
  enum UpdateMode { UpdateByBinding = 0, UpdateByCopy = 1 };

  RenderTexture(int width, int height, bool is_texture = true, bool is_depth_texture = false);
  RenderTexture(veltrane::RenderPlatform* platform, int width, int height, bool is_texture = true,
                bool is_depth_texture = false);
  ~RenderTexture();
  RenderTexture(const RenderTexture&) = delete;
  RenderTexture& operator=(const RenderTexture&) = delete;

  bool Initialize(bool share, bool depth, bool stencil, bool mipmap, bool anisotropic,
                  unsigned int red_bits, unsigned int green_bits, unsigned int blue_bits,
                  unsigned int alpha_bits, UpdateMode mode = UpdateByBinding);
  bool BeginCapture();
  bool EndCapture();
  bool ReleaseResources();

  unsigned int GetTextureName() const { return texture_name_; }
  unsigned int GetDepthTextureName() const { return depth_texture_name_; }
  unsigned int GetTextureTarget() const { return texture_target_; }

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  int GetRedBits() const { return red_bits_; }
  int GetGreenBits() const { return green_bits_; }
  int GetBlueBits() const { return blue_bits_; }
  int GetAlphaBits() const { return alpha_bits_; }
  int GetDepthBits() const { return depth_bits_; }
  int GetStencilBits() const { return stencil_bits_; }
  bool IsInitialized() const { return initialized_; }
  bool IsFloatTexture() const { return is_float_; }
  bool IsRectangleTexture() const { return is_rectangle_; }
  bool IsMipmapped() const { return mipmapped_; }
  bool IsAnisotropicFiltered() const { return anisotropic_; }
  bool HasDepth() const { return has_depth_; }
  bool HasStencil() const { return has_stencil_; }
  bool HasArbDepthTexture() const { return has_arb_depth_texture_; }
  UpdateMode GetUpdateMode() const { return update_mode_; }

 private:
  // What Initialize chose for the attribute lists in UpdateByBinding.
  struct BindChoice {
    int buffer_texture_target = 0;
    int colour_bind_attribute = 0;
    int colour_texture_format = 0;
    int depth_bind_attribute = 0;
    int depth_texture_format = 0;
  };

  bool SetUpColourTexture(bool nv_path, bool mipmap, bool anisotropic, unsigned int red_bits,
                          unsigned int green_bits, unsigned int blue_bits, unsigned int alpha_bits,
                          BindChoice* choice);
  bool SetUpDepthTexture(bool nv_path, BindChoice* choice);
  bool AllocateDepthCopy(int width, int height);
  bool HoldsResources() const;
  [[noreturn]] static void ReportMissingExtension(const char* extension);

  veltrane::RenderPlatform* platform_;

  int width_;
  int height_;
  bool is_texture_;
  bool is_depth_texture_;
  bool has_arb_depth_texture_ = true;
  UpdateMode update_mode_ = UpdateByBinding;
  bool initialized_ = false;
  int red_bits_ = 0;
  int green_bits_ = 0;
  int blue_bits_ = 0;
  int alpha_bits_ = 0;
  int depth_bits_ = 0;
  int stencil_bits_ = 0;
  bool is_float_ = false;
  bool is_rectangle_;
  bool has_depth_ = false;
  bool has_stencil_ = false;
  bool mipmapped_ = false;
  bool anisotropic_ = false;
  veltrane::PlatformHandle pbuffer_dc_ = 0;
  veltrane::PlatformHandle pbuffer_context_ = 0;
  veltrane::PlatformHandle pbuffer_ = 0;
  veltrane::PlatformHandle saved_dc_ = 0;
  veltrane::PlatformHandle saved_context_ = 0;
  bool saved_valid_ = false;  // a BeginCapture has saved the two handles above
  unsigned int texture_target_ = 0;
  unsigned int texture_name_ = 0;
  unsigned int depth_texture_name_ = 0;
  veltrane::HeapPtr<unsigned short> depth_copy_;
  int depth_copy_width_ = 0;
  int depth_copy_height_ = 0;
};
