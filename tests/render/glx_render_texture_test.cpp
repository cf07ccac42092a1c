// RenderTexture on a real platform: the GLX one under Xvfb, or with VELTRANE_TEST_GL=egl the EGL
// one (Mesa in CI): what is drawn in a target is what the window's context reads back, exactly,
// and a capture leaves the window's state alone.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "render/default_render_platform.h"
#include "render/render_texture.h"
#include "support/gl_test_window.h"

namespace {

const float kExact[3] = {0.123456789f, 1e-3f, 12345.5f};

class GlxRenderTextureTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(veltrane::test::EnsureGlWindow());
    window_context_ = CurrentContext();
    ASSERT_NE(window_context_, 0u);
  }

  // The system's way: colour texture, 32-bit float RGB, depth 24, shared, by binding.
  static std::unique_ptr<RenderTexture> MakeFloatTarget(int width, int height) {
    auto target = std::make_unique<RenderTexture>(width, height);
    EXPECT_TRUE(target->Initialize(true, true, false, false, false, 32, 32, 32, 0));
    return target;
  }

  // Fills the whole target (identity matrices assumed) with one unclamped, unlit colour.
  static void FillWith(float r, float g, float b) {
    glClampColor(GL_CLAMP_VERTEX_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
    glShadeModel(GL_FLAT);
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
  }

  // Level 0 of the target's colour texture, read in the current context.
  static std::vector<float> ReadColour(const RenderTexture& target) {
    std::vector<float> texels(static_cast<size_t>(target.GetWidth()) * target.GetHeight() * 3);
    glBindTexture(target.GetTextureTarget(), target.GetTextureName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target.GetTextureTarget(), 0, GL_RGB, GL_FLOAT, texels.data());
    return texels;
  }

  static int CountTexelsOf(const std::vector<float>& texels, const float rgb[3]) {
    int n = 0;
    for (size_t i = 0; i + 2 < texels.size(); i += 3)
      n += texels[i] == rgb[0] && texels[i + 1] == rgb[1] && texels[i + 2] == rgb[2];
    return n;
  }

  static veltrane::PlatformHandle CurrentContext() {
    return veltrane::DefaultRenderPlatform()->GetCurrentContext();
  }

  veltrane::PlatformHandle window_context_ = 0;
};

TEST_F(GlxRenderTextureTest, FloatTargetOfAnySizeHoldsExactValuesSeenByTheWindow) {
  for (const auto& size : {std::make_pair(640, 480), std::make_pair(64, 64)}) {
    auto target = MakeFloatTarget(size.first, size.second);
    ASSERT_TRUE(target->IsInitialized());
    EXPECT_EQ(target->GetTextureTarget(), static_cast<unsigned>(GL_TEXTURE_RECTANGLE));
    EXPECT_EQ(target->GetWidth(), size.first);
    EXPECT_EQ(target->GetHeight(), size.second);
    EXPECT_EQ(target->GetRedBits(), 32);
    EXPECT_EQ(target->GetGreenBits(), 32);
    EXPECT_EQ(target->GetBlueBits(), 32);
    EXPECT_EQ(target->GetAlphaBits(), 0);
    EXPECT_EQ(target->GetDepthBits(), 24);

    ASSERT_TRUE(target->BeginCapture());
    EXPECT_NE(CurrentContext(), window_context_);
    // A fresh target: the viewport and the scissor box cover it and both matrices are identity.
    GLint viewport[4], scissor[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], size.first);
    EXPECT_EQ(viewport[3], size.second);
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    EXPECT_EQ(scissor[2], size.first);
    EXPECT_EQ(scissor[3], size.second);
    FillWith(kExact[0], kExact[1], kExact[2]);
    ASSERT_TRUE(target->EndCapture());
    EXPECT_EQ(CurrentContext(), window_context_);

    GLint internal_format = 0;
    glBindTexture(GL_TEXTURE_RECTANGLE, target->GetTextureName());
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal_format);
    EXPECT_EQ(internal_format, GL_RGB32F);
    const std::vector<float> texels = ReadColour(*target);
    EXPECT_EQ(CountTexelsOf(texels, kExact), size.first * size.second);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlxRenderTextureTest, TargetsKeepTheirOwnContentsAndAreSampledByOtherTargets) {
  auto a = MakeFloatTarget(32, 16);
  auto b = MakeFloatTarget(32, 16);
  const float one[3] = {1.5f, -2.0f, 100.25f};
  const float two[3] = {7.0f, 0.0f, -0.5f};
  ASSERT_TRUE(a->BeginCapture());
  FillWith(one[0], one[1], one[2]);
  ASSERT_TRUE(a->EndCapture());
  ASSERT_TRUE(b->BeginCapture());
  FillWith(two[0], two[1], two[2]);
  ASSERT_TRUE(b->EndCapture());
  EXPECT_EQ(CountTexelsOf(ReadColour(*a), one), 32 * 16);
  EXPECT_EQ(CountTexelsOf(ReadColour(*b), two), 32 * 16);

  // b samples a (rectangle texture, coordinates in texels) the way the scene capture samples
  // the light maps: a's drawing is visible in b's context too.
  ASSERT_TRUE(b->BeginCapture());
  glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
  glEnable(GL_TEXTURE_RECTANGLE);
  glBindTexture(GL_TEXTURE_RECTANGLE, a->GetTextureName());
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(32, 0);
  glVertex2f(1, -1);
  glTexCoord2f(32, 16);
  glVertex2f(1, 1);
  glTexCoord2f(0, 16);
  glVertex2f(-1, 1);
  glEnd();
  glDisable(GL_TEXTURE_RECTANGLE);
  ASSERT_TRUE(b->EndCapture());
  EXPECT_EQ(CountTexelsOf(ReadColour(*b), one), 32 * 16);
  EXPECT_EQ(CountTexelsOf(ReadColour(*a), one), 32 * 16);
}

TEST_F(GlxRenderTextureTest, EveryCaptureStartsAsANewContextAndLeavesTheWindowAlone) {
  glViewport(0, 0, 256, 256);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
  auto target = MakeFloatTarget(64, 32);
  GLint window_framebuffer = 0;  // 0 for a GLX window; the window's framebuffer under EGL
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &window_framebuffer);

  ASSERT_TRUE(target->BeginCapture());
  GLint framebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_NE(framebuffer, 0);
  GLfloat matrix[16];
  glGetFloatv(GL_PROJECTION_MATRIX, matrix);
  EXPECT_EQ(matrix[0], 1.0f);
  EXPECT_EQ(matrix[5], 1.0f);
  EXPECT_EQ(matrix[12], 0.0f);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(viewport[3], 32);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  glViewport(0, 0, 10, 10);
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, 4, 0, 2, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(3, 0, 0);
  glEnable(GL_BLEND);
  glClearColor(1, 0, 0, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);  // the target binds its framebuffer again
  ASSERT_TRUE(target->EndCapture());

  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 256);
  EXPECT_EQ(viewport[3], 256);
  glGetFloatv(GL_PROJECTION_MATRIX, matrix);
  EXPECT_EQ(matrix[0], 1.0f);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_EQ(matrix[12], 0.0f);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.25f);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_EQ(framebuffer, window_framebuffer);

  // The next capture starts afresh again: nothing of the last one is left.
  ASSERT_TRUE(target->BeginCapture());
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  glGetFloatv(GL_PROJECTION_MATRIX, matrix);
  EXPECT_EQ(matrix[0], 1.0f);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_EQ(matrix[12], 0.0f);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.0f);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  EXPECT_NE(framebuffer, 0);
  // Drawn in the window's own context: the capture is no context switch.
  EXPECT_NE(CurrentContext(), window_context_);  // the target's, as the platform names it
  ASSERT_TRUE(target->EndCapture());
  EXPECT_EQ(CurrentContext(), window_context_);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
}

TEST_F(GlxRenderTextureTest, ColourAndDepthTexturesByCopyAndByBinding) {
  // 8-bit colour and a depth texture: copied at EndCapture, or drawn into directly.
  for (auto mode : {RenderTexture::UpdateByCopy, RenderTexture::UpdateByBinding}) {
    SCOPED_TRACE(mode);
    RenderTexture target(16, 8, true, true);
    ASSERT_TRUE(target.Initialize(true, true, false, false, false, 8, 8, 8, 8, mode));
    EXPECT_EQ(target.GetTextureTarget(), static_cast<unsigned>(GL_TEXTURE_2D));
    for (int capture = 0; capture < 2; ++capture) {
      // The second capture draws on the other half: what EndCapture brings over is new each time.
      ASSERT_TRUE(target.BeginCapture());
      glClearDepth(1.0);
      glClearColor(0, 0, 0, 0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glEnable(GL_DEPTH_TEST);
      glColor4f(1.0f, 0.0f, 1.0f, 1.0f);
      const float left = capture == 0 ? -1.0f : 0.0f;
      glBegin(GL_QUADS);  // half the target at z = 0, depth 0.5
      glVertex3f(left, -1, 0);
      glVertex3f(left + 1, -1, 0);
      glVertex3f(left + 1, 1, 0);
      glVertex3f(left, 1, 0);
      glEnd();
      glDisable(GL_DEPTH_TEST);
      ASSERT_TRUE(target.EndCapture());
      EXPECT_EQ(CurrentContext(), window_context_);

      std::vector<unsigned char> colour(16 * 8 * 4);
      glBindTexture(GL_TEXTURE_2D, target.GetTextureName());
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, colour.data());
      std::vector<float> depth(16 * 8);
      glBindTexture(GL_TEXTURE_2D, target.GetDepthTextureName());
      glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
      int wrong = 0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
          const int i = y * 16 + x;
          const bool drawn = (x < 8) == (capture == 0);
          wrong += colour[4 * i] != (drawn ? 255 : 0) || colour[4 * i + 1] != 0 ||
                   std::abs(depth[i] - (drawn ? 0.5f : 1.0f)) > 1e-4f;
        }
      }
      EXPECT_EQ(wrong, 0) << "capture " << capture;
    }
  }
}

TEST_F(GlxRenderTextureTest, ReleaseEndsTheTargetAndLeavesTheWindowCurrent) {
  auto target = MakeFloatTarget(8, 8);
  ASSERT_TRUE(target->BeginCapture());
  ASSERT_TRUE(target->EndCapture());
  EXPECT_TRUE(target->ReleaseResources());
  EXPECT_FALSE(target->IsInitialized());
  EXPECT_EQ(target->GetTextureName(), 0u);
  EXPECT_EQ(CurrentContext(), window_context_);
  EXPECT_FALSE(target->ReleaseResources());

  // Initialising again works as the first time.
  ASSERT_TRUE(target->Initialize(true, true, false, false, false, 32, 32, 32, 0));
  ASSERT_TRUE(target->BeginCapture());
  FillWith(kExact[0], kExact[1], kExact[2]);
  ASSERT_TRUE(target->EndCapture());
  EXPECT_EQ(CountTexelsOf(ReadColour(*target), kExact), 64);

  // Binding needs the texture to be one object in both contexts: without sharing it fails.
  RenderTexture unshared(8, 8);
  EXPECT_FALSE(unshared.Initialize(false, true, false, false, false, 32, 32, 32, 0));
  EXPECT_EQ(CurrentContext(), window_context_);
}

}  // namespace
