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
    *value = format_bits[static_cast<size_t>(attribute - WGL_RED_BITS_ARB)];  // red .. stencil
    return fail != "GetPixelFormatAttribute";
  }
  PlatformHandle CreateBuffer(PlatformHandle drawable, int format, int width, int height,
                              const int* attributes) override {
    Log("CreateBuffer(%lu,%d,%d,%d)", drawable, format, width, height);
    buffer_list = ListOf(attributes);
    if (buffer_width < 0) buffer_width = width;
    if (buffer_height < 0) buffer_height = height;
    return Fails("CreateBuffer") ? 0 : kBuffer;
  }
  PlatformHandle GetBufferDrawable(PlatformHandle b) override {
    return Log("GetBufferDrawable(%lu)", b), Fails("GetBufferDrawable") ? 0 : kBufferDrawable;
  }
  bool ReleaseBufferDrawable(PlatformHandle b, PlatformHandle d) override {
    return Log("ReleaseBufferDrawable(%lu,%lu)", b, d), true;
  }
  bool DestroyBuffer(PlatformHandle b) override { return Log("DestroyBuffer(%lu)", b), true; }
  bool QueryBuffer(PlatformHandle b, int attribute, int* value) override {
    Log("QueryBuffer(%lu,%#x)", b, attribute);
    *value = attribute == WGL_PBUFFER_WIDTH_ARB ? buffer_width : buffer_height;
    return true;
  }
  PlatformHandle CreateContext(PlatformHandle d) override {
    return Log("CreateContext(%lu)", d), Fails("CreateContext") ? 0 : kBufferContext;
  }
  bool DeleteContext(PlatformHandle c) override { return Log("DeleteContext(%lu)", c), true; }
  bool ShareObjects(PlatformHandle from, PlatformHandle to) override {
    return Log("ShareObjects(%lu,%lu)", from, to), !Fails("ShareObjects");
  }
  bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) override {
    Log("MakeCurrent(%lu,%lu)", drawable, context);
    if (Fails("MakeCurrent")) return false;
    current_drawable = drawable;
    current_context = context;
    return true;
  }
  bool BindTexImage(PlatformHandle b, int which) override {
    return Log("BindTexImage(%lu,%#x)", b, which), !Fails("BindTexImage");
  }
  bool ReleaseTexImage(PlatformHandle b, int which) override {
    return Log("ReleaseTexImage(%lu,%#x)", b, which), !Fails("ReleaseTexImage");
  }

  unsigned int GenTexture() override { return Log("GenTexture"), next_texture++; }
  void DeleteTexture(unsigned int name) override { Log("DeleteTexture(%u)", name); }
  void BindTexture(unsigned int t, unsigned int name) override { Log("BindTexture(%#x,%u)", t, name); }
  void TexParameteri(unsigned int t, unsigned int name, int value) override {
    Log("TexParameteri(%#x,%#x,%#x)", t, name, value);
  }
  void TexParameterf(unsigned int t, unsigned int name, float value) override {
    Log("TexParameterf(%#x,%#x,%g)", t, name, value);
  }
  float MaxTextureMaxAnisotropy() override { return Log("MaxTextureMaxAnisotropy"), 16.0f; }
  void TexImage2D(unsigned int t, int internal_format, int width, int height, unsigned int format,
                  unsigned int type, const void* pixels) override {
    Log("TexImage2D(%#x,%#x,%d,%d,%#x,%#x,%s)", t, internal_format, width, height, format, type,
        pixels != nullptr ? "data" : "null");
    // Reads all it is given, so that a short buffer shows under AddressSanitizer.
    const auto* p = static_cast<const unsigned short*>(pixels);
    pixel_sum = 0;
    for (long i = 0; p != nullptr && i < static_cast<long>(width) * height; ++i) pixel_sum += p[i];
  }
  void CopyTexSubImage2D(unsigned int t, int width, int height) override {
    Log("CopyTexSubImage2D(%#x,%d,%d)", t, width, height);
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

  unsigned pixel_sum = 0;  // of the 16-bit values last given to TexImage2D

 private:
  bool Fails(const char* step) const { return fail == step; }
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
