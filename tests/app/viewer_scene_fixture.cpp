#include "viewer_scene_fixture.h"

#include <GL/glew.h>

#include <cstdlib>

#include "app/globals.h"
#include "app/light_choice.h"
#include "app/startup.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/globals.h"
#include "relight/gl/relight_pass.h"
#include "support/gl_test_window.h"

namespace veltrane::test {

void ViewerSceneTest::SetUp() {
  ResetLightChoice();
  ASSERT_TRUE(EnsureGlWindow());
  dir_ = std::make_unique<SyntheticRunDir>(scene_);
  dir_->WriteDescription();
  dir_->WriteRaw();
  dir_->PackShaders();
  dir_->WriteWood();
  dir_->Enter();

  RelightDescription* description = LoadDescription("lightmap.qdx");
  window_width = refer_width;
  window_height = refer_height;
  window_id = GlTestWindowId();
  testing::internal::CaptureStdout();
  InitScene(description);
  startup_output_ = testing::internal::GetCapturedStdout();
}

void ViewerSceneTest::TearDown() {
  Cleanup();
  std::free(rendertexture);
  rendertexture = nullptr;
  lightmap_count = 0;
  std::free(G_RBF_coefficient_map);
  G_RBF_coefficient_map = nullptr;
  std::free(G_SRBF_evaluation);
  G_SRBF_evaluation = nullptr;
  dir_.reset();
}

std::vector<float> ViewerSceneTest::ReadTextureRgb(unsigned int target, unsigned int name, int width, int height) {
  std::vector<float> texels(3 * static_cast<size_t>(width) * static_cast<size_t>(height), -999.0f);
  glBindTexture(target, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(target, 0, GL_RGB, GL_FLOAT, texels.data());
  glBindTexture(target, 0);
  return texels;
}

}  // namespace veltrane::test
