// A RenderPlatform that draws nothing: it records every call (as text, in order) and every
// attribute list, answers from settable values, and fails the step it is told to fail.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "render/render_platform.h"

namespace veltrane::test {

class FakeRenderPlatform : public RenderPlatform {
 public:
  static constexpr PlatformHandle kWindowDrawable = 10, kWindowContext = 20;
  static constexpr PlatformHandle kBuffer = 100, kBufferDrawable = 200, kBufferContext = 300;

  FakeRenderPlatform() {
    ext.wgl_arb_pbuffer = ext.wgl_arb_pixel_format = ext.wgl_arb_render_texture = true;
    ext.nv_float_buffer = ext.ati_pixel_format_float = ext.ati_texture_float = true;
    ext.nv_texture_rectangle = ext.arb_depth_texture = true;
    ext.sgis_generate_mipmap = ext.ext_texture_filter_anisotropic = true;
  }

  // Settings.
  RenderExtensions ext;
  std::string fail;                // name of the call that fails ("CountZero": no format found)
  int buffer_width = -1;           // size the buffer reports; -1: as created
  int buffer_height = -1;
  std::vector<int> format_bits = {32, 32, 32, 0, 24, 0};  // red .. alpha, depth, stencil

  // Records.
  std::vector<std::string> calls;
  std::vector<int> format_list, buffer_list;
  PlatformHandle current_drawable = kWindowDrawable, current_context = kWindowContext;
  unsigned int next_texture = 1;

  const RenderExtensions& Extensions() override { return ext; }
  PlatformHandle GetCurrentDrawable() override { return Log("GetCurrentDrawable"), current_drawable; }
  PlatformHandle GetCurrentContext() override { return Log("GetCurrentContext"), current_context; }
  bool ChoosePixelFormat(PlatformHandle drawable, const int* attributes, int* format,
                         unsigned int* count) override {
    Log("ChoosePixelFormat(%lu)", drawable);
    format_list = ListOf(attributes);
    *format = 7;
    *count = fail == "CountZero" ? 0 : 1;
    return fail != "ChoosePixelFormat";
  }
  bool GetPixelFormatAttribute(PlatformHandle drawable, int format, int attribute,
                               int* value) override {
    Log("GetPixelFormatAttribute(%lu,%d,%#x)", drawable, format, attribute);
    if (fail == "GetPixelFormatAttribute") return false;
    *value = format_bits[static_cast<size_t>(attribute - WGL_RED_BITS_ARB)];
    return true;
  }
  PlatformHandle CreateBuffer(PlatformHandle drawable, int format, int width, int height,
                              const int* attributes) override {
    Log("CreateBuffer(%lu,%d,%d,%d)", drawable, format, width, height);
    buffer_list = ListOf(attributes);
    if (buffer_width < 0) buffer_width = width;
    if (buffer_height < 0) buffer_height = height;
    return fail == "CreateBuffer" ? 0 : kBuffer;
  }
  PlatformHandle GetBufferDrawable(PlatformHandle buffer) override {
    Log("GetBufferDrawable(%lu)", buffer);
    return fail == "GetBufferDrawable" ? 0 : kBufferDrawable;
  }
  bool ReleaseBufferDrawable(PlatformHandle buffer, PlatformHandle drawable) override {
    return Log("ReleaseBufferDrawable(%lu,%lu)", buffer, drawable), true;
  }
  bool DestroyBuffer(PlatformHandle buffer) override {
    return Log("DestroyBuffer(%lu)", buffer), true;
  }
  bool QueryBuffer(PlatformHandle buffer, int attribute, int* value) override {
    Log("QueryBuffer(%lu,%#x)", buffer, attribute);
    *value = attribute == WGL_PBUFFER_WIDTH_ARB ? buffer_width : buffer_height;
    return fail != "QueryBuffer";
  }
  PlatformHandle CreateContext(PlatformHandle drawable) override {
    Log("CreateContext(%lu)", drawable);
    return fail == "CreateContext" ? 0 : kBufferContext;
  }
  bool DeleteContext(PlatformHandle context) override {
    return Log("DeleteContext(%lu)", context), true;
  }
  bool ShareObjects(PlatformHandle from, PlatformHandle to) override {
    Log("ShareObjects(%lu,%lu)", from, to);
    return fail != "ShareObjects";
  }
  bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) override {
    Log("MakeCurrent(%lu,%lu)", drawable, context);
    if (fail == "MakeCurrent") return false;
    current_drawable = drawable;
    current_context = context;
    return true;
  }
  bool BindTexImage(PlatformHandle buffer, int which) override {
    Log("BindTexImage(%lu,%#x)", buffer, which);
    return fail != "BindTexImage";
  }
  bool ReleaseTexImage(PlatformHandle buffer, int which) override {
    Log("ReleaseTexImage(%lu,%#x)", buffer, which);
    return fail != "ReleaseTexImage";
  }

  unsigned int GenTexture() override { return Log("GenTexture"), next_texture++; }
  void DeleteTexture(unsigned int name) override { Log("DeleteTexture(%u)", name); }
  void BindTexture(unsigned int target, unsigned int name) override {
    Log("BindTexture(%#x,%u)", target, name);
  }
  void TexParameteri(unsigned int target, unsigned int name, int value) override {
    Log("TexParameteri(%#x,%#x,%#x)", target, name, value);
  }
  void TexParameterf(unsigned int target, unsigned int name, float value) override {
    Log("TexParameterf(%#x,%#x,%g)", target, name, value);
  }
  float MaxTextureMaxAnisotropy() override { return Log("MaxTextureMaxAnisotropy"), 16.0f; }
  void TexImage2D(unsigned int target, int internal_format, int width, int height,
                  unsigned int format, unsigned int type, const void* pixels) override {
    Log("TexImage2D(%#x,%#x,%d,%d,%#x,%#x,%s)", target, internal_format, width, height, format,
        type, pixels != nullptr ? "data" : "null");
    // Reads what it is given, so that a short buffer shows under AddressSanitizer.
    if (pixels != nullptr && type == 0x1403 /* GL_UNSIGNED_SHORT */) {
      unsigned sum = 0;
      const auto* p = static_cast<const unsigned short*>(pixels);
      for (long i = 0; i < static_cast<long>(width) * height; ++i) sum += p[i];
      pixel_sum = sum;
    }
  }
  void CopyTexSubImage2D(unsigned int target, int width, int height) override {
    Log("CopyTexSubImage2D(%#x,%d,%d)", target, width, height);
  }
  void ReadDepthPixels(int width, int height, unsigned short* pixels) override {
    Log("ReadDepthPixels(%d,%d)", width, height);
    for (long i = 0; i < static_cast<long>(width) * height; ++i) pixels[i] = 1;
  }

  // The recorded calls from the first one whose text starts with `from`.
  std::vector<std::string> CallsFrom(const std::string& from) const {
    for (size_t i = 0; i < calls.size(); ++i)
      if (calls[i].rfind(from, 0) == 0) return {calls.begin() + static_cast<long>(i), calls.end()};
    return {};
  }
  bool Called(const std::string& prefix) const { return !CallsFrom(prefix).empty(); }

  unsigned pixel_sum = 0;

 private:
  static std::vector<int> ListOf(const int* list) {
    std::vector<int> out;
    for (int i = 0; list[i] != 0; i += 2) {
      out.push_back(list[i]);
      out.push_back(list[i + 1]);
    }
    return out;
  }
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    calls.push_back(text);
  }
};

}  // namespace veltrane::test
