// How the number of centres shapes the frame: the light-map targets, the relighting program's
// empty slots, which light-map samplers the two scene passes bind, and frames that go on when
// the refraction capture fails.
#include <GL/glew.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "app/display.h"
#include "app/globals.h"
#include "app/window_operations.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/gl/relight_pass.h"
#include "support/gl_test_window.h"
#include "render/fake_render_platform.h"
#include "render/render_texture.h"
#include "shader/cg_objects.h"
#include "viewer_scene_fixture.h"

namespace {
// Binds seen while recording: (texture unit, texture name) -> count.
bool g_recording = false;
GLenum g_active_unit = GL_TEXTURE0;
std::map<std::pair<GLenum, GLuint>, int> g_binds;
int g_swaps = 0;
PFNGLACTIVETEXTUREPROC g_real_active_texture = nullptr;

void GLAPIENTRY RecordingActiveTexture(GLenum unit) {
  g_active_unit = unit;
  g_real_active_texture(unit);
}
}  // namespace

extern "C" void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
  using Real = void (*)(GLenum, GLuint);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glBindTexture"));
  if (g_recording && texture != 0) ++g_binds[{g_active_unit, texture}];
  real(target, texture);
}

WindowOperations g_window_operations;
void CountingSwap() {
  ++g_swaps;
  g_window_operations.swap_buffers();
}

namespace veltrane::test {
namespace {

SyntheticScene SceneOf(int count) {
  SyntheticScene scene;
  for (int i = 0; i < count; ++i) {
    scene.theta.push_back(3.0f * static_cast<float>(i % 20) + 5.0f);
    scene.phi.push_back(14.0f * static_cast<float>(i));
  }
  return scene;
}

class TwentyFiveCentresTest : public ViewerSceneTest {
 protected:
  TwentyFiveCentresTest() { scene_ = SceneOf(25); }
};

TEST_F(TwentyFiveCentresTest, FiveTargetsOfFiveCentresEach) {
  ASSERT_EQ(lightmap_count, 5);
  EXPECT_EQ(coefficient_map_count, 25);
  for (int g = 0; g < 5; ++g) {
    ASSERT_NE(rendertexture[g], nullptr);
    EXPECT_TRUE(rendertexture[g]->IsInitialized()) << g;
  }
  const float white[3] = {1, 1, 1};
  ShaderCgRelightDir(white, Vec4{0.0f, 1.0f, 0.0f, 1.0f});
  for (int s = 0; s < 5; ++s) EXPECT_EQ(relight_valid_param[s]->value[0], 1.0f) << s;  // the last group is full
}

class ThreeCentresTest : public ViewerSceneTest {
 protected:
  ThreeCentresTest() { scene_ = SceneOf(3); }
};

TEST_F(ThreeCentresTest, OneTargetWhoseLastTwoSlotsAreFlaggedEmpty) {
  ASSERT_EQ(lightmap_count, 1);
  const float white[3] = {1, 1, 1};
  ShaderCgRelightDir(white, Vec4{0.3f, 0.9f, 0.1f, 1.0f});
  for (int s = 0; s < 3; ++s) EXPECT_EQ(relight_valid_param[s]->value[0], 1.0f) << s;
  EXPECT_EQ(relight_valid_param[3]->value[0], 0.0f);
  EXPECT_EQ(relight_valid_param[4]->value[0], 0.0f);
}

// Twelve centres: three targets. Each frame binds each of the three light maps on its own
// sampler's unit in both scene passes (the refraction capture and the window), and the two
// samplers without a target are never given a texture.
TEST_F(ViewerSceneTest, OnlyTheLightMapsThatExistAreBoundInBothPasses) {
  ASSERT_EQ(lightmap_count, 3);
  Display();  // the first frame makes the targets' framebuffers
  g_real_active_texture = glActiveTexture;
  glActiveTexture = &RecordingActiveTexture;
  g_binds.clear();
  g_recording = true;
  Display();
  g_recording = false;
  glActiveTexture = g_real_active_texture;

  for (int i = 0; i < 3; ++i) {
    const GLenum unit = GL_TEXTURE0 + static_cast<GLenum>(lightmap_param[i]->unit);
    // Unit 0 also sees the relighting pass bind the target's texture around its capture.
    const int own_binds = unit == GL_TEXTURE0 ? 4 : 2;
    EXPECT_EQ((g_binds[{unit, rendertexture[i]->GetTextureName()}]), own_binds) << "lightmap" << i;
  }
  EXPECT_EQ(lightmap_param[3]->texture, 0u);
  EXPECT_EQ(lightmap_param[4]->texture, 0u);
}

// A refraction capture that cannot begin is reported on every frame, and every frame is still
// drawn and presented.
TEST_F(ViewerSceneTest, FailingRefractionCaptureIsReportedEveryFrameWhileFramesGoOn) {
  FakeRenderPlatform platform;
  RenderTexture* real_capture = angelfrag_rendertexture;
  angelfrag_rendertexture = new RenderTexture(&platform, window_width, window_height, true, false);
  ASSERT_TRUE(angelfrag_rendertexture->Initialize(true, true, false, false, false, 32, 32, 32, 0,
                                                  RenderTexture::UpdateByBinding));
  platform.fail = "MakeCurrent";

  g_swaps = 0;
  g_window_operations = CurrentWindowOperations();
  WindowOperations counting = g_window_operations;
  counting.swap_buffers = &CountingSwap;
  SetWindowOperations(counting);
  testing::internal::CaptureStdout();
  {
    // The fake's texture name is none of GL's: the driver refuses to bind it for refraction.
    ExpectedGlErrors fake_texture;
    for (int frame = 0; frame < 3; ++frame) Display();
  }
  const std::string out = testing::internal::GetCapturedStdout();
  SetWindowOperations(g_window_operations);
  delete angelfrag_rendertexture;
  angelfrag_rendertexture = real_capture;

  size_t reports = 0;
  for (size_t at = out.find("Error in angelfrag_rendertexture->BeginCapture()\n"); at != std::string::npos;
       at = out.find("Error in angelfrag_rendertexture->BeginCapture()\n", at + 1)) {
    ++reports;
  }
  EXPECT_EQ(reports, 3u) << out;
  EXPECT_EQ(g_swaps, 3);
}

}  // namespace
}  // namespace veltrane::test
