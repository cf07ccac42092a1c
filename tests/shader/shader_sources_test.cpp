// The viewer's seven shaders: each compiles under the runtime with the parameters the viewer
// looks up, and the relighting shader sums what the relighting pass relies on.
#include <string>
#include <vector>

#include "cg_test_fixture.h"
#include "shader/cg_objects.h"

namespace veltrane::test {
namespace {

using ShaderSourcesTest = CgTest;

std::vector<std::string> Numbered(const std::string& head, const std::string& tail = "") {
  std::vector<std::string> names;
  for (char i = '0'; i <= '4'; ++i) names.push_back(head + i + tail);
  return names;
}

TEST_F(ShaderSourcesTest, EveryShaderOffersItsParametersWithTheirTypes) {
  struct Family {
    std::vector<std::string> names;
    GLenum type;
  };
  struct Case {
    const char* file;
    bool vertex;
    std::vector<Family> parameters;
  };
  const GLenum rect = GL_SAMPLER_2D_RECT;
  const Case cases[] = {
      {"lightmap_relitdir16", false,
       {{Numbered("map"), rect}, {Numbered("RBFmap", "_Valid"), GL_FLOAT},
        {Numbered("R_evaluate_"), GL_FLOAT}, {{"lightcolor"}, GL_FLOAT_VEC3}}},
      {"draw_scene", false, {{{"texture_scene"}, rect}}},
      {"lightmap_mapping", false,
       {{Numbered("lightmap"), rect},
        {{"lightmap_width", "lightmap_height", "woodtext_Width", "woodtext_Height", "lightmapOn"},
         GL_FLOAT},
        {{"wood_texture"}, GL_SAMPLER_2D}}},
      {"table_frag", false,
       {{{"woodtexture"}, GL_SAMPLER_2D}, {{"woodtext_width", "woodtext_height"}, GL_FLOAT}}},
      {"table_vert", true, {{{"modelViewProj"}, GL_FLOAT_MAT4}, {{"lightDir"}, GL_FLOAT_VEC3}}},
      {"angel_vert", true,
       {{{"model2View", "modelViewProj", "model2ViewIT"}, GL_FLOAT_MAT4},
        {{"lightDir"}, GL_FLOAT_VEC4}}},
      {"angel_frag", false, {{{"texture4refraction"}, rect}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    CGprogram program = Shader(c.file, c.vertex ? vertex_ : fragment_);
    if (program == nullptr) continue;
    size_t count = 0;
    for (const Family& family : c.parameters) {
      for (const std::string& name : family.names) {
        CGparameter param = cgGetNamedParameter(program, name.c_str());
        ASSERT_NE(param, nullptr) << name;
        EXPECT_EQ(param->gl_type, family.type) << name;
        ++count;
      }
    }
    EXPECT_EQ(program->parameters.size(), count);
  }
}

void Bind(CGprogram program, const std::string& name, GLuint texture) {
  cgGLSetTextureParameter(cgGetNamedParameter(program, name.c_str()), texture);
  cgGLEnableTextureParameter(cgGetNamedParameter(program, name.c_str()));
}

void Set(CGprogram program, const std::string& name, float value) {
  cgGLSetParameter1f(cgGetNamedParameter(program, name.c_str()), value);
}

// Pixel (4, 4) sees texel (4, 4) of each map: (4, 4, 1) * the map's scale.
TEST_F(ShaderSourcesTest, RelightingSumsTheFilledSlotsInTheLightColour) {
  CGprogram relight = Shader("lightmap_relitdir16", fragment_);
  GLuint maps[3] = {PositionTexture(GL_TEXTURE_RECTANGLE, 0.01f),
                    PositionTexture(GL_TEXTURE_RECTANGLE, 0.02f),
                    PositionTexture(GL_TEXTURE_RECTANGLE, 100.0f)};
  // Slots 0 and 1 filled; 2 to 4 empty (flag 0.0) though bound to a bright map.
  for (int s = 0; s < 5; ++s) {
    Bind(relight, Numbered("map")[s], maps[s < 2 ? s : 2]);
    Set(relight, Numbered("R_evaluate_")[s], s == 0 ? 0.5f : 2.0f);
    Set(relight, Numbered("RBFmap", "_Valid")[s], s < 2 ? 1.0f : 0.0f);
  }
  cgGLSetParameter3f(cgGetNamedParameter(relight, "lightcolor"), 1.0f, 0.5f, 2.0f);
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(relight);

  GLuint target = 0;  // a float target, as the light maps are
  GLuint colour = PositionTexture(GL_TEXTURE_2D, 0);
  glGenFramebuffers(1, &target);
  glBindFramebuffer(GL_FRAMEBUFFER, target);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
  Rgba p = DrawQuadAndRead(8, 8);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &target);
  glDeleteTextures(1, &colour);

  // (0.5 * (0.04, 0.04, 0.01) + 2 * (0.08, 0.08, 0.02)) * (1, 0.5, 2)
  EXPECT_NEAR(p.r, 0.18f, 1e-5);
  EXPECT_NEAR(p.g, 0.09f, 1e-5);
  EXPECT_NEAR(p.b, 0.09f, 1e-5);
  for (const std::string& name : Numbered("map")) {
    cgGLDisableTextureParameter(cgGetNamedParameter(relight, name.c_str()));
  }
  glDeleteTextures(3, maps);
}

}  // namespace
}  // namespace veltrane::test
