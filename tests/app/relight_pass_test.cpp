// The viewer's start-up and relighting pass on the real shader runtime, render targets and the
// relighting shader, with synthetic coefficient maps: the light maps read back from the targets
// must be the processor's sum of each group's coefficient maps weighted by the kernel values.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "app/globals.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/globals.h"
#include "relight/gl/relight_pass.h"
#include "render/render_texture.h"
#include "viewer_scene_fixture.h"

namespace veltrane::test {
namespace {

// Unit direction for angles in degrees, theta from +Y.
void Direction(double theta_deg, double phi_deg, double out[3]) {
  double t = theta_deg * M_PI / 180.0;
  double p = phi_deg * M_PI / 180.0;
  out[0] = std::sin(t) * std::cos(p);
  out[1] = std::cos(t);
  out[2] = -std::sin(t) * std::sin(p);
}

double Kernel(const double light[3], const double centre[3], double sigma) {
  double d = light[0] * centre[0] + light[1] * centre[1] + light[2] * centre[2];
  double theta = std::acos(std::fmax(-1.0, std::fmin(1.0, d)));
  return std::exp(-theta * theta / (2.0 * sigma * sigma));
}

using ViewerStartupTest = ViewerSceneTest;

TEST_F(ViewerStartupTest, LoadsEveryMapUpsideDownAndLeavesNoExpandedShader) {
  for (const auto& entry : std::filesystem::directory_iterator("shader/dir")) {
    EXPECT_NE(entry.path().extension(), ".cg") << entry.path();
  }
  EXPECT_NE(startup_output_.find("[LoadUncompressRbfData]: Start to load the uncompressed RBF data from data/scene.rbf"),
            std::string::npos);
  EXPECT_NE(startup_output_.find("Finish loading RBF maps\n\n"), std::string::npos);
  EXPECT_EQ(startup_output_.find("Loading "), std::string::npos);

  ASSERT_EQ(lightmap_count, 3);
  ASSERT_EQ(coefficient_map_count, 12);
  int w = scene_.width;
  int h = scene_.height;
  for (int i = 0; i < 12; ++i) {
    std::vector<float> texels = ReadTextureRgb(GL_TEXTURE_RECTANGLE, G_RBF_coefficient_map[i], w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          ASSERT_EQ(texels[3 * (y * w + x) + c], SyntheticScene::Coefficient(c, i, h - 1 - y, x))
              << "centre " << i << " texel " << x << "," << y << " channel " << c;
        }
      }
    }
  }

  // Wood rows of 9 bytes arrive intact.
  std::vector<unsigned char> wood(18, 0);
  glBindTexture(GL_TEXTURE_2D, table_wood_texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, wood.data());
  EXPECT_EQ(wood, std::vector<unsigned char>(SyntheticRunDir::kWood, SyntheticRunDir::kWood + 18));
}

struct Light {
  double theta, phi;
  float colour[3];
};

// Relights for each light and checks every target against the processor's weighted sum of its
// group's coefficient maps, the kernel taken at the scene's float centre angles.
void ExpectTargetsHoldWeightedSums(const SyntheticScene& scene, const std::vector<Light>& lights,
                                   int exact_centre) {
  const int w = scene.width;
  const int h = scene.height;
  const int n = scene.count();
  for (const Light& light : lights) {
    double l[3];
    Direction(light.theta, light.phi, l);
    std::vector<double> kernel(n);
    for (int i = 0; i < n; ++i) {
      double centre[3];
      Direction(scene.theta[i], scene.phi[i], centre);
      kernel[i] = Kernel(l, centre, scene.spread);
    }
    Vec4 direction = {static_cast<float>(l[0]), static_cast<float>(l[1]), static_cast<float>(l[2]), 1.0f};
    ShaderCgRelightDir(light.colour, direction);
    if (light.theta == scene.theta[exact_centre] && light.phi == scene.phi[exact_centre]) {
      EXPECT_NEAR(G_SRBF_evaluation[exact_centre], 1.0f, 1e-5f);
    }

    for (int g = 0; g < (n + 4) / 5; ++g) {
      std::vector<float> texels = ViewerSceneTest::ReadTextureRgb(rendertexture[g]->GetTextureTarget(),
                                                                  rendertexture[g]->GetTextureName(), w, h);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          for (int c = 0; c < 3; ++c) {
            double expected = 0.0;
            for (int i = 5 * g; i < 5 * g + 5 && i < n; ++i) {
              expected += kernel[i] * SyntheticScene::Coefficient(c, i, h - 1 - y, x);
            }
            expected *= light.colour[c];
            ASSERT_NEAR(texels[3 * (y * w + x) + c], expected, 1e-4 + 1e-4 * std::fabs(expected))
                << "target " << g << " texel " << x << "," << y << " channel " << c << " light " << light.theta
                << "," << light.phi;
          }
        }
      }
    }
  }
}

TEST_F(ViewerStartupTest, EachTargetHoldsItsGroupsWeightedSum) {
  // The second light points exactly at centre 3; the third is off every centre and coloured.
  ExpectTargetsHoldWeightedSums(scene_, {{25.0, 40.0, {1, 1, 1}}, {scene_.theta[3], scene_.phi[3], {1, 1, 1}},
                                         {55.0, 200.0, {0.5f, 1.0f, 2.0f}}},
                                3);
}

// Centres where an optimised bake leaves them: irregular float angles given by their bit
// patterns, some below the horizon, scheme OPTIMIZED. The viewer needs no special case.
class MovedCentresTest : public ViewerSceneTest {
 protected:
  MovedCentresTest() { scene_ = MovedCenterScene(); }
};

TEST_F(MovedCentresTest, EachTargetHoldsItsGroupsWeightedSum) {
  // The decimal text alone is off by up to half a degree; the kernels must come from the exact
  // floats, so a light straight at centre 7 weighs it 1.
  ExpectTargetsHoldWeightedSums(scene_, {{scene_.theta[7], scene_.phi[7], {1, 1, 1}}, {37.0, 123.4, {1, 1, 1}},
                                         {84.0, 301.0, {2.0f, 1.0f, 0.25f}}},
                                7);
}

TEST_F(ViewerStartupTest, PassRestoresTheWindowsMatricesAndLeavesItCleared) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 3, -4, 5, 1, 9);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  float projection_before[16];
  float modelview_before[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection_before);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview_before);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  const float white[3] = {1, 1, 1};
  ShaderCgRelightDir(white, Vec4{0.0f, 1.0f, 0.0f, 1.0f});

  float projection_after[16];
  float modelview_after[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection_after);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview_after);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(projection_after[i], projection_before[i]);
    EXPECT_EQ(modelview_after[i], modelview_before[i]);
  }
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_RECTANGLE));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
  float pixel[4] = {-1, -1, -1, -1};
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, pixel);
  EXPECT_EQ(pixel[0], 0.0f);
  EXPECT_EQ(pixel[1], 0.0f);
  EXPECT_EQ(pixel[2], 0.0f);
}

}  // namespace
}  // namespace veltrane::test
