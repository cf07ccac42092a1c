// RenderTexture's decisions, lists, messages and states, on a platform that only records.
#include "render/render_texture.h"

#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "fake_render_platform.h"
#include "support/fatal_catcher.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;
using veltrane::test::FakeRenderPlatform;
using namespace veltrane;  // the WGL_* attribute constants

std::string Call(const char* format, ...) {
  char text[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// The system's arguments: (share, depth, no stencil, no mipmaps, no anisotropy, 32, 32, 32, 0).
bool InitializeAsTheSystemDoes(RenderTexture* target,
                               RenderTexture::UpdateMode mode = RenderTexture::UpdateByBinding) {
  return target->Initialize(true, true, false, false, false, 32, 32, 32, 0, mode);
}

TEST(RenderTextureTest, SizeBitsAndExtensionsDecideFloatRectangleAndTarget) {
  struct Case {
    int width, height;
    unsigned bits[4];
    bool nv_texture_rectangle;
    bool is_float, is_rectangle;
    unsigned target;  // 0: Initialize fails with the ATI message
  } cases[] = {
      {256, 256, {8, 8, 8, 8}, true, false, false, GL_TEXTURE_2D},
      {640, 480, {8, 8, 8, 8}, true, false, true, GL_TEXTURE_RECTANGLE},
      {640, 480, {8, 8, 8, 8}, false, false, true, 0},
      {0, 256, {8, 8, 8, 0}, false, false, false, GL_TEXTURE_2D},  // 0 is a power of two
      {256, 256, {8, 8, 8, 9}, true, true, true, GL_TEXTURE_RECTANGLE},  // any float on the NV path
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Call("%dx%d bits %u %u %u %u", c.width, c.height, c.bits[0], c.bits[1], c.bits[2],
                      c.bits[3]));
    FakeRenderPlatform platform;
    platform.ext.nv_texture_rectangle = c.nv_texture_rectangle;
    RenderTexture target(&platform, c.width, c.height);
    CaptureStderr();
    const bool ok = target.Initialize(true, false, false, false, false, c.bits[0], c.bits[1],
                                      c.bits[2], c.bits[3]);
    const std::string err = GetCapturedStderr();
    EXPECT_EQ(target.IsFloatTexture(), c.is_float);
    EXPECT_EQ(target.IsRectangleTexture(), c.is_rectangle);
    if (c.target == 0) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(err, "RenderTexture Error: ATI textures must be power-of-two-dimensioned.\n");
    } else {
      EXPECT_TRUE(ok);
      EXPECT_EQ(err, "");
      EXPECT_EQ(target.GetTextureTarget(), c.target);
    }
  }
}

TEST(RenderTextureTest, SystemArgumentsGiveTheNvListsAndCallsInOrder) {
  FakeRenderPlatform platform;
  platform.buffer_width = 512;  // the size the buffer reports is the one kept
  {
    RenderTexture target(&platform, 640, 480);
    ASSERT_TRUE(InitializeAsTheSystemDoes(&target));
    EXPECT_THAT(platform.format_list,
                ElementsAre(WGL_RED_BITS_ARB, 32, WGL_GREEN_BITS_ARB, 32, WGL_BLUE_BITS_ARB, 32,
                            WGL_ALPHA_BITS_ARB, 0, WGL_FLOAT_COMPONENTS_NV, 1, WGL_STENCIL_BITS_ARB,
                            0, WGL_DEPTH_BITS_ARB, 24, WGL_DRAW_TO_PBUFFER_ARB, 1,
                            WGL_BIND_TO_TEXTURE_RECTANGLE_FLOAT_RGB_NV, 1));
    EXPECT_THAT(platform.buffer_list,
                ElementsAre(WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_RECTANGLE_NV, WGL_TEXTURE_FORMAT_ARB,
                            WGL_TEXTURE_FLOAT_RGB_NV, WGL_MIPMAP_TEXTURE_ARB, 0,
                            WGL_PBUFFER_LARGEST_ARB, 0));
    const unsigned R = GL_TEXTURE_RECTANGLE;
    EXPECT_THAT(
        platform.calls,
        ElementsAre("GenTexture", Call("BindTexture(%#x,1)", R),
                    Call("TexParameteri(%#x,%#x,%#x)", R, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE),
                    Call("TexParameteri(%#x,%#x,%#x)", R, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE),
                    Call("TexParameteri(%#x,%#x,%#x)", R, GL_TEXTURE_MIN_FILTER, GL_NEAREST),
                    Call("TexParameteri(%#x,%#x,%#x)", R, GL_TEXTURE_MAG_FILTER, GL_NEAREST),
                    "GetCurrentDrawable", "GetCurrentContext", "ChoosePixelFormat(10)",
                    "CreateBuffer(10,7,640,480)", "GetBufferDrawable(100)", "CreateContext(200)",
                    "ShareObjects(20,300)", Call("BindTexture(%#x,1)", R),
                    Call("BindTexImage(100,%#x)", WGL_FRONT_LEFT_ARB),
                    Call("QueryBuffer(100,%#x)", WGL_PBUFFER_WIDTH_ARB),
                    Call("QueryBuffer(100,%#x)", WGL_PBUFFER_HEIGHT_ARB),
                    Call("GetPixelFormatAttribute(200,7,%#x)", WGL_RED_BITS_ARB),
                    Call("GetPixelFormatAttribute(200,7,%#x)", WGL_GREEN_BITS_ARB),
                    Call("GetPixelFormatAttribute(200,7,%#x)", WGL_BLUE_BITS_ARB),
                    Call("GetPixelFormatAttribute(200,7,%#x)", WGL_ALPHA_BITS_ARB),
                    Call("GetPixelFormatAttribute(200,7,%#x)", WGL_DEPTH_BITS_ARB),
                    Call("GetPixelFormatAttribute(200,7,%#x)", WGL_STENCIL_BITS_ARB)));
    EXPECT_EQ(target.GetWidth(), 512);
    EXPECT_EQ(target.GetHeight(), 480);
    EXPECT_EQ(target.GetDepthBits(), 24);
    EXPECT_TRUE(target.HasDepth());

    // A capture: release the image, switch; then back to the window and bind it again.
    platform.calls.clear();
    ASSERT_TRUE(target.BeginCapture());
    ASSERT_TRUE(target.EndCapture());
    EXPECT_THAT(platform.calls,
                ElementsAre("GetCurrentContext", "GetCurrentDrawable", Call("BindTexture(%#x,1)", R),
                            Call("ReleaseTexImage(100,%#x)", WGL_FRONT_LEFT_ARB),
                            "MakeCurrent(200,300)", "MakeCurrent(10,20)",
                            Call("BindTexture(%#x,1)", R),
                            Call("BindTexImage(100,%#x)", WGL_FRONT_LEFT_ARB)));
    platform.calls.clear();
  }
  EXPECT_THAT(platform.calls, ElementsAre("DeleteTexture(1)", "GetCurrentContext",
                                          "DeleteContext(300)", "ReleaseBufferDrawable(100,200)",
                                          "DestroyBuffer(100)"));
}

TEST(RenderTextureTest, AtiPathListsAndItsPowerOfTwoRule) {
  FakeRenderPlatform platform;
  platform.ext.nv_float_buffer = false;
  RenderTexture square(&platform, 256, 256);
  ASSERT_TRUE(InitializeAsTheSystemDoes(&square));
  EXPECT_EQ(square.GetTextureTarget(), static_cast<unsigned>(GL_TEXTURE_2D));
  EXPECT_FALSE(square.IsRectangleTexture());
  EXPECT_THAT(platform.format_list,
              ElementsAre(WGL_RED_BITS_ARB, 32, WGL_GREEN_BITS_ARB, 32, WGL_BLUE_BITS_ARB, 32,
                          WGL_ALPHA_BITS_ARB, 0, WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_FLOAT_ATI,
                          WGL_STENCIL_BITS_ARB, 0, WGL_DEPTH_BITS_ARB, 24, WGL_DRAW_TO_PBUFFER_ARB,
                          1, WGL_BIND_TO_TEXTURE_RGB_ARB, 1));
  EXPECT_THAT(platform.buffer_list,
              ElementsAre(WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB, WGL_TEXTURE_FORMAT_ARB,
                          WGL_TEXTURE_RGB_ARB, WGL_MIPMAP_TEXTURE_ARB, 0, WGL_PBUFFER_LARGEST_ARB,
                          0));

  // Not a power of two: Initialize fails, the users go on, and the first capture is fatal.
  RenderTexture wide(&platform, 640, 480);
  CaptureStderr();
  EXPECT_FALSE(InitializeAsTheSystemDoes(&wide));
  EXPECT_EQ(GetCapturedStderr(),
            "RenderTexture Error: ATI textures must be power-of-two-dimensioned.\n");
  veltrane::test::FatalCatcher catcher;
  CaptureStderr();
  EXPECT_EQ(catcher.Run([&] { wide.BeginCapture(); }), 1);
  EXPECT_EQ(GetCapturedStderr(), "RenderTexture::BeginCapture(): Texture is not initialized!\n");
}

TEST(RenderTextureTest, CopyModeAllocatesTheFormatOfTheFirstRowThatApplies) {
  struct Case {
    bool nv;
    unsigned bits[4];
    unsigned internal_format, format;
  } cases[] = {
      {true, {32, 32, 32, 0}, GL_RGB32F, GL_RGB},
      {true, {32, 32, 16, 0}, GL_RGB16F, GL_RGB},  // blue's own bits count
      {true, {16, 16, 16, 32}, GL_RGBA32F, GL_RGBA},
      {true, {32, 32, 0, 0}, GL_RG32F, GL_LUMINANCE_ALPHA},
      {false, {32, 16, 0, 0}, GL_LUMINANCE_ALPHA16F_ARB, GL_LUMINANCE_ALPHA},
      {true, {16, 0, 0, 0}, GL_R16F, GL_LUMINANCE},
      {false, {32, 0, 0, 0}, GL_LUMINANCE32F_ARB, GL_LUMINANCE},
      {true, {8, 8, 8, 0}, GL_RGB8, GL_RGB},  // 256 x 256: not float, not rectangle
      {true, {8, 8, 8, 8}, GL_RGBA8, GL_RGBA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Call("nv %d bits %u %u %u %u", c.nv, c.bits[0], c.bits[1], c.bits[2], c.bits[3]));
    FakeRenderPlatform platform;
    platform.ext.nv_float_buffer = c.nv;
    RenderTexture target(&platform, 256, 256);
    ASSERT_TRUE(target.Initialize(true, false, false, false, false, c.bits[0], c.bits[1], c.bits[2],
                                  c.bits[3], RenderTexture::UpdateByCopy));
    const unsigned t = target.GetTextureTarget();
    EXPECT_TRUE(platform.Called(Call("TexImage2D(%#x,%#x,256,256,%#x,%#x,null)", t,
                                     c.internal_format, c.format, GL_FLOAT)));
    // No bind attribute, no texture attributes.
    EXPECT_EQ(platform.format_list[platform.format_list.size() - 2], WGL_DRAW_TO_PBUFFER_ARB);
    EXPECT_THAT(platform.buffer_list, ElementsAre(WGL_PBUFFER_LARGEST_ARB, 0));
    EXPECT_FALSE(platform.Called("BindTexImage"));

    // A capture copies in the buffer's context, then binds again in the window's.
    platform.calls.clear();
    ASSERT_TRUE(target.BeginCapture());
    ASSERT_TRUE(target.EndCapture());
    EXPECT_THAT(platform.calls,
                ElementsAre("GetCurrentContext", "GetCurrentDrawable", "MakeCurrent(200,300)",
                            Call("BindTexture(%#x,1)", t), Call("CopyTexSubImage2D(%#x,256,256)", t),
                            "MakeCurrent(10,20)", Call("BindTexture(%#x,1)", t)));
  }
}

TEST(RenderTextureTest, MissingExtensionsEndTheProcess) {
  struct Case {
    const char* text;
    void (*remove)(RenderExtensions*);
    unsigned bits;
    bool mipmap;
    RenderTexture::UpdateMode mode;
  } cases[] = {
      {"WGL_ARB_pbuffer", [](RenderExtensions* e) { e->wgl_arb_pbuffer = false; }, 8, false,
       RenderTexture::UpdateByBinding},
      {"WGL_ARB_pixel_format", [](RenderExtensions* e) { e->wgl_arb_pixel_format = false; }, 8,
       false, RenderTexture::UpdateByBinding},
      {"WGL_ARB_render_texture", [](RenderExtensions* e) { e->wgl_arb_render_texture = false; }, 8,
       false, RenderTexture::UpdateByCopy},
      {"GL_NV_float_buffer or GL_ATI_pixel_format_float",
       [](RenderExtensions* e) { e->nv_float_buffer = e->ati_pixel_format_float = false; }, 32,
       false, RenderTexture::UpdateByBinding},
      {"NV_float_buffer or ATI_texture_float",
       [](RenderExtensions* e) { e->nv_float_buffer = e->ati_texture_float = false; }, 32, false,
       RenderTexture::UpdateByBinding},
      {"GL_SGIS_generate_mipmap", [](RenderExtensions* e) { e->sgis_generate_mipmap = false; }, 8,
       true, RenderTexture::UpdateByBinding},
  };
  veltrane::test::FatalCatcher catcher;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FakeRenderPlatform platform;
    c.remove(&platform.ext);
    RenderTexture target(&platform, 256, 256);
    CaptureStderr();
    testing::internal::CaptureStdout();
    const int status = catcher.Run([&] {
      target.Initialize(true, true, false, c.mipmap, false, c.bits, c.bits, c.bits, 0, c.mode);
    });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(GetCapturedStderr(),
              std::string("Error: RenderTexture requires the following unsupported OpenGL "
                          "extensions: \n") + c.text);
    EXPECT_EQ(status, 1);
  }
}

TEST(RenderTextureTest, MipmapAndAnisotropyRequests) {
  // Refused for float and for rectangle textures, after the texture parameters are set.
  const struct {
    int width;
    unsigned bits;
    const char* message;
  } refused[] = {{256, 32, "RenderTexture Error: float textures do not support mipmaps\n"},
                 {640, 8, "RenderTexture Error: rectangle textures do not support mipmaps\n"}};
  for (const auto& c : refused) {
    FakeRenderPlatform platform;
    RenderTexture target(&platform, c.width, 256);
    CaptureStderr();
    EXPECT_FALSE(target.Initialize(true, true, false, true, false, c.bits, c.bits, c.bits, 0));
    EXPECT_EQ(GetCapturedStderr(), c.message);
    EXPECT_EQ(platform.calls.back(), Call("TexParameteri(%#x,%#x,%#x)", GL_TEXTURE_RECTANGLE,
                                          GL_TEXTURE_MAG_FILTER, GL_NEAREST));
    EXPECT_FALSE(target.IsMipmapped());
  }

  // Granted for an 8-bit power-of-two texture.
  FakeRenderPlatform platform;
  RenderTexture target(&platform, 128, 64);
  ASSERT_TRUE(target.Initialize(true, false, true, true, true, 8, 8, 8, 8));
  EXPECT_TRUE(target.IsMipmapped());
  EXPECT_TRUE(target.IsAnisotropicFiltered());
  EXPECT_TRUE(target.HasStencil());
  const unsigned T = GL_TEXTURE_2D;
  EXPECT_TRUE(platform.Called(
      Call("TexParameteri(%#x,%#x,%#x)", T, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR)));
  EXPECT_TRUE(platform.Called(Call("TexParameteri(%#x,%#x,0x1)", T, GL_GENERATE_MIPMAP)));
  EXPECT_TRUE(platform.Called(Call("TexParameterf(%#x,%#x,16)", T, GL_TEXTURE_MAX_ANISOTROPY_EXT)));
  EXPECT_THAT(platform.format_list,
              ElementsAre(WGL_RED_BITS_ARB, 8, WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8,
                          WGL_ALPHA_BITS_ARB, 8, WGL_STENCIL_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, 0,
                          WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_BIND_TO_TEXTURE_RGBA_ARB, 1));
  EXPECT_THAT(platform.buffer_list,
              ElementsAre(WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB, WGL_TEXTURE_FORMAT_ARB,
                          WGL_TEXTURE_RGBA_ARB, WGL_MIPMAP_TEXTURE_ARB, 1, WGL_PBUFFER_LARGEST_ARB,
                          0));
}

TEST(RenderTextureTest, EachFailingPlatformStepFailsInitializeAndLeavesItsLeftoversToRelease) {
  const struct {
    const char* step;
    const char* message;
    bool buffer_made;
  } cases[] = {
      {"ChoosePixelFormat",
       "RenderTexture::Initialize() creation error: wglChoosePixelFormatARB() failed.\n", false},
      {"CountZero",
       "RenderTexture::Initialize() creation error: Couldn't find a suitable pixel format.\n",
       false},
      {"CreateBuffer",
       "RenderTexture::Initialize() pbuffer creation error: wglCreatePbufferARB() failed\n", false},
      {"GetBufferDrawable",
       "RenderTexture::Initialize() creation error: wglGetGetPbufferDCARB() failed\n", true},
      {"CreateContext", "RenderTexture::Initialize() creation error:  wglCreateContext() failed\n",
       true},
      {"ShareObjects", "RenderTexture::Initialize() creation error: wglShareLists() failed\n", true},
      {"BindTexImage", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    FakeRenderPlatform platform;
    platform.fail = c.step;
    RenderTexture target(&platform, 64, 64);
    CaptureStderr();
    EXPECT_FALSE(InitializeAsTheSystemDoes(&target));
    EXPECT_EQ(GetCapturedStderr(), c.message);
    EXPECT_FALSE(target.IsInitialized());
    EXPECT_EQ(target.GetRedBits(), 0);

    // A second attempt releases what the first one left, then succeeds.
    platform.fail.clear();
    platform.calls.clear();
    ASSERT_TRUE(InitializeAsTheSystemDoes(&target));
    EXPECT_EQ(platform.calls.front(), "DeleteTexture(1)");
    EXPECT_EQ(platform.Called("DestroyBuffer(100)"), c.buffer_made);
    EXPECT_EQ(target.GetTextureName(), 2u);
    EXPECT_EQ(target.GetRedBits(), 32);
  }

  // A failed query keeps the requested value, or 0 for depth and stencil.
  FakeRenderPlatform platform;
  platform.fail = "GetPixelFormatAttribute";
  RenderTexture target(&platform, 64, 64);
  ASSERT_TRUE(target.Initialize(true, true, false, false, false, 32, 16, 32, 0));
  EXPECT_EQ(target.GetGreenBits(), 16);
  EXPECT_EQ(target.GetDepthBits(), 0);
}

TEST(RenderTextureTest, StateMachineBeforeDuringAndAfterCaptures) {
  FakeRenderPlatform platform;
  {
    RenderTexture target(&platform, 64, 64);
    CaptureStderr();
    EXPECT_FALSE(target.EndCapture());
    EXPECT_EQ(GetCapturedStderr(), "RenderTexture::EndCapture(): Texture is not initialized!\n");
    veltrane::test::FatalCatcher catcher;
    CaptureStderr();
    EXPECT_EQ(catcher.Run([&] { target.BeginCapture(); }), 1);
    EXPECT_EQ(GetCapturedStderr(), "RenderTexture::BeginCapture(): Texture is not initialized!\n");
    EXPECT_FALSE(target.ReleaseResources());
  }
  EXPECT_TRUE(platform.calls.empty());  // nothing created, nothing destroyed

  RenderTexture target(&platform, 64, 64);
  ASSERT_TRUE(InitializeAsTheSystemDoes(&target));
  // An EndCapture with no capture before it has nothing to return to: no switch at all.
  platform.calls.clear();
  EXPECT_FALSE(target.EndCapture());
  EXPECT_TRUE(platform.calls.empty());
  // A second BeginCapture inside the capture still returns to the window at EndCapture.
  ASSERT_TRUE(target.BeginCapture());
  ASSERT_TRUE(target.BeginCapture());
  ASSERT_TRUE(target.EndCapture());
  EXPECT_EQ(platform.current_context, FakeRenderPlatform::kWindowContext);
  // Failing steps of a capture report false; the window's context is current after EndCapture.
  for (const char* step : {"ReleaseTexImage", "MakeCurrent", "BindTexImage"}) {
    platform.fail = step;
    EXPECT_EQ(target.BeginCapture(), platform.fail == "BindTexImage") << step;
    EXPECT_EQ(target.EndCapture(), platform.fail == "ReleaseTexImage") << step;
    EXPECT_EQ(platform.current_context, FakeRenderPlatform::kWindowContext);
  }
  platform.fail.clear();

  // Initialised again: the first one's resources are released before anything else.
  platform.calls.clear();
  ASSERT_TRUE(InitializeAsTheSystemDoes(&target));
  EXPECT_THAT(std::vector<std::string>(platform.calls.begin(), platform.calls.begin() + 6),
              ElementsAre("DeleteTexture(1)", "GetCurrentContext", "DeleteContext(300)",
                          "ReleaseBufferDrawable(100,200)", "DestroyBuffer(100)", "GenTexture"));

  // Released while capturing, then again: nothing is left current on the deleted context,
  // and the texture name is deleted once.
  ASSERT_TRUE(target.BeginCapture());
  platform.calls.clear();
  EXPECT_TRUE(target.ReleaseResources());
  EXPECT_FALSE(target.ReleaseResources());
  EXPECT_THAT(platform.calls, ElementsAre("DeleteTexture(2)", "GetCurrentContext",
                                          "MakeCurrent(0,0)", "DeleteContext(300)",
                                          "ReleaseBufferDrawable(100,200)", "DestroyBuffer(100)"));
  EXPECT_FALSE(target.IsInitialized());
  EXPECT_FALSE(target.IsFloatTexture());
  EXPECT_FALSE(target.IsRectangleTexture());
  EXPECT_EQ(target.GetBlueBits(), 0);
}

TEST(RenderTextureTest, DepthCopyWithoutArbDepthTextureFollowsTheBuffersActualSize) {
  // Without GL_ARB_depth_texture the depth is read back into a buffer of the buffer's actual
  // size, which may differ from the one asked for.
  FakeRenderPlatform platform;
  platform.ext.arb_depth_texture = false;
  platform.buffer_width = 33;
  platform.buffer_height = 17;
  RenderTexture target(&platform, 16, 16, true, true);
  ASSERT_TRUE(target.Initialize(true, true, false, false, false, 8, 8, 8, 0,
                                RenderTexture::UpdateByCopy));
  EXPECT_FALSE(target.HasArbDepthTexture());
  const unsigned T = GL_TEXTURE_2D;
  EXPECT_TRUE(platform.Called(Call("TexImage2D(%#x,%#x,16,16,%#x,%#x,data)", T, GL_LUMINANCE16,
                                   GL_LUMINANCE, GL_UNSIGNED_SHORT)));
  ASSERT_TRUE(target.BeginCapture());
  platform.calls.clear();
  ASSERT_TRUE(target.EndCapture());
  EXPECT_THAT(platform.calls,
              ElementsAre(Call("BindTexture(%#x,1)", T), Call("CopyTexSubImage2D(%#x,33,17)", T),
                          Call("BindTexture(%#x,2)", T), "ReadDepthPixels(33,17)",
                          Call("TexImage2D(%#x,%#x,33,17,%#x,%#x,data)", T, GL_LUMINANCE16,
                               GL_LUMINANCE, GL_UNSIGNED_SHORT),
                          "MakeCurrent(10,20)", Call("BindTexture(%#x,1)", T),
                          Call("BindTexture(%#x,2)", T)));
  EXPECT_EQ(platform.pixel_sum, 33u * 17u);
}

}  // namespace
