// The relighting pass under an environment, on the real shader runtime and render targets with
// synthetic coefficient maps: each target must hold its group's coefficient maps weighted by the
// RGB weights, per channel; and the lights that "e" steps through, made from the data set's
// lobes, must give a sky and an image their weights.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "app/globals.h"
#include "app/light_choice.h"
#include "codec/environment_file_writer.h"
#include "relight/gl/environment_relight_pass.h"
#include "relight/gl/relight_pass.h"
#include "relight/globals.h"
#include "relight/studio_environment.h"
#include "render/render_texture.h"
#include "viewer_scene_fixture.h"

namespace veltrane::test {
namespace {

using EnvironmentRelightTest = ViewerSceneTest;

TEST_F(EnvironmentRelightTest, EachTargetHoldsItsGroupsRgbWeightedSum) {
  while (glGetError() != GL_NO_ERROR) {
  }
  ASSERT_TRUE(PrepareEnvironmentRelightProgram());
  for (const auto& entry : std::filesystem::directory_iterator("shader/dir")) {
    EXPECT_NE(entry.path().extension(), ".cg") << entry.path();
  }
  const int w = scene_.width, h = scene_.height, n = scene_.count();
  std::vector<float> rgb(3 * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    rgb[3 * i] = 0.1f * (i + 1);
    rgb[3 * i + 1] = i % 2 == 0 ? 2.0f : -0.5f;  // negative weights occur near the horizon
    rgb[3 * i + 2] = 0.03f * i * i;
  }
  ShaderCgRelightWeights(rgb.data());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  for (int g = 0; g < (n + 4) / 5; ++g) {
    const std::vector<float> texels =
        ReadTextureRgb(rendertexture[g]->GetTextureTarget(), rendertexture[g]->GetTextureName(), w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          double expected = 0.0;
          for (int i = 5 * g; i < 5 * g + 5 && i < n; ++i) {
            expected += rgb[3 * i + c] * SyntheticScene::Coefficient(c, i, h - 1 - y, x);
          }
          ASSERT_NEAR(texels[3 * (y * w + x) + c], expected, 1e-4 + 1e-4 * std::fabs(expected))
              << "target " << g << " texel " << x << "," << y << " channel " << c;
        }
      }
    }
  }
  // The seed's pass still draws with its own program afterwards.
  const float white[3] = {1, 1, 1};
  ShaderCgRelightDir(white, Vec4{0.0f, 1.0f, 0.0f, 1.0f});
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EnvironmentRelightTest, ChosenLightsRelightAndABrokenImageKeepsThePreviousLight) {
  std::filesystem::create_directories(kEnvironmentFolder);
  ASSERT_TRUE(WriteEnvironmentFile(std::string(kEnvironmentFolder) + "/a_studio.exr", StudioEnvironment(64, 32)));
  { std::FILE* f = std::fopen("environment/b_broken.hdr", "wb"); std::fputs("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 8 +X 16\n", f); std::fclose(f); }

  EXPECT_FALSE(RelightChosenLight());  // the seed's light until a key is pressed
  EXPECT_EQ(ChosenLightName(), "seed");
  testing::internal::CaptureStdout();
  StepLight();  // the sky
  EXPECT_EQ(ChosenLightName(), "sky");
  EXPECT_TRUE(RelightChosenLight());
  StepLight();  // the studio
  EXPECT_EQ(ChosenLightName(), "environment/a_studio.exr");
  EXPECT_TRUE(RelightChosenLight());
  testing::internal::CaptureStderr();
  StepLight();  // the broken image: refused, the studio stays
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ChosenLightName(), "environment/a_studio.exr");
  StepLight();  // round to the seed's light
  const std::string lines = testing::internal::GetCapturedStdout();
  EXPECT_EQ(ChosenLightName(), "seed");
  EXPECT_FALSE(RelightChosenLight());
  EXPECT_NE(errors.find("environment/b_broken.hdr"), std::string::npos) << errors;
  EXPECT_NE(lines.find("light: the built-in sky"), std::string::npos) << lines;
  EXPECT_NE(lines.find("light: environment/a_studio.exr (OpenEXR, 64 x 32)"), std::string::npos) << lines;
  EXPECT_NE(lines.find("light: the seed's moving light"), std::string::npos) << lines;
}

}  // namespace
}  // namespace veltrane::test
