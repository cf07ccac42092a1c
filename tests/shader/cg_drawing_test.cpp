// Drawing through the runtime: stages switched between programs and fixed function, texture
// parameters on their own units, and a second GL context with stages of its own.
#include "cg_test_fixture.h"
#include "common/gl_context_events.h"
#include "shader/cg_objects.h"

// After GoogleTest: Xlib's macros (None, Bool, ...) clash with its names.
#include <GL/glx.h>

namespace veltrane::test {
namespace {

using CgDrawingTest = CgTest;

const char kScaleColour[] =
    "#version 120\n"
    "uniform vec3 scale;\n"
    "void main() { gl_FragColor = vec4(gl_Color.rgb * scale, 1.0); }\n";

TEST_F(CgDrawingTest, EachStageRunsItsProgramOrFixedFunction) {
  CGprogram fragment = Program(fragment_, kScaleColour);
  CGprogram vertex = Program(vertex_,
                             "#version 120\nvoid main() { gl_Position = ftransform();\n"
                             "  gl_FrontColor = vec4(0.25, 0.5, 1.0, 1.0); }\n");
  cgGLSetParameter3f(cgGetNamedParameter(fragment, "scale"), 1.0f, 0.5f, 2.0f);
  cgGLEnableProfile(fragment_);  // fragment program fed by fixed-function vertices
  cgGLBindProgram(fragment);
  Rgba p = DrawQuadAndRead(1, 1, 0.5f, 1.0f, 0.25f);
  EXPECT_NEAR(p.g, 0.5f, 0.01);
  EXPECT_NEAR(p.b, 0.5f, 0.01);
  cgGLEnableProfile(vertex_);  // both stages: the fragment program takes the vertex colour
  cgGLBindProgram(vertex);
  EXPECT_NEAR(DrawQuadAndRead().b, 1.0f, 0.01);
  cgGLDisableProfile(vertex_);  // neither: fixed function, no pipeline left bound
  cgGLDisableProfile(fragment_);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0, 0.5f, 0).g, 0.5f, 0.01);
  GLint pipeline = -1;
  glGetIntegerv(GL_PROGRAM_PIPELINE_BINDING, &pipeline);
  EXPECT_EQ(pipeline, 0);
}

TEST_F(CgDrawingTest, TextureParametersSampleTheirTextureOnTheirOwnUnit) {
  CGprogram program = Program(fragment_,
                              "#version 120\n#extension GL_ARB_texture_rectangle : enable\n"
                              "uniform sampler2D flat_map;\nuniform sampler2DRect rect_map;\n"
                              "void main() { gl_FragColor = vec4(texture2D(flat_map, vec2(0.5)).rgb\n"
                              "  + texture2DRect(rect_map, vec2(2.5, 1.5)).rgb, 1.0); }\n");
  CGparameter flat_map = cgGetNamedParameter(program, "flat_map");
  CGparameter rect_map = cgGetNamedParameter(program, "rect_map");
  ASSERT_TRUE(flat_map && rect_map);
  EXPECT_NE(flat_map->unit, rect_map->unit);
  GLuint textures[3] = {PositionTexture(GL_TEXTURE_2D, 0.125f),
                        PositionTexture(GL_TEXTURE_2D, 0.0625f),
                        PositionTexture(GL_TEXTURE_RECTANGLE, 0.1f)};
  cgGLSetTextureParameter(flat_map, textures[0]);
  cgGLSetTextureParameter(rect_map, textures[2]);
  cgGLEnableTextureParameter(flat_map);
  cgGLEnableTextureParameter(rect_map);
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);

  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  Rgba p = DrawQuadAndRead();  // 2D texel (4, 4) plus rectangle texel (2, 1)
  EXPECT_NEAR(p.r, 0.5f + 0.2f, 0.01);
  EXPECT_NEAR(p.g, 0.5f + 0.1f, 0.01);
  cgGLSetTextureParameter(flat_map, textures[1]);  // takes effect when enabled again
  cgGLEnableTextureParameter(flat_map);
  EXPECT_NEAR(DrawQuadAndRead().r, 0.25f + 0.2f, 0.01);

  // Released samplers have no texture and read nothing.
  cgGLDisableTextureParameter(flat_map);
  cgGLDisableTextureParameter(rect_map);
  p = DrawQuadAndRead();
  EXPECT_EQ(p.r + p.g + p.b, 0.0f);
  glDeleteTextures(3, textures);
}

TEST_F(CgDrawingTest, EachGlContextHasItsOwnStages) {
  CGprogram program = Program(fragment_, kScaleColour);
  CGparameter scale = cgGetNamedParameter(program, "scale");
  cgGLSetParameter3f(scale, 1.0f, 0.0f, 0.0f);
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.0f, 0.01);

  // A second context on the window's drawable, sharing objects with the window's context.
  Display* display = glXGetCurrentDisplay();
  GLXDrawable drawable = glXGetCurrentDrawable();
  GLXContext window = glXGetCurrentContext();
  int config_id = 0;
  glXQueryContext(display, window, GLX_FBCONFIG_ID, &config_id);
  const int attributes[] = {GLX_FBCONFIG_ID, config_id, 0};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
  ASSERT_TRUE(configs != nullptr && count > 0);
  GLXContext second = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, window, True);
  XFree(configs);
  ASSERT_NE(second, nullptr);
  glXMakeCurrent(display, drawable, second);

  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.5f, 0.01);  // all fixed function
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);  // with the value set while the window's context was current
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).r, 0.5f, 0.01);
  cgGLSetParameter3f(scale, 0.0f, 1.0f, 0.0f);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.5f, 0.01);
  cgGLDisableProfile(fragment_);

  // The window's stage is still programmable, and bound again it uses the new value.
  glXMakeCurrent(display, drawable, window);
  glXDestroyContext(display, second);
  NotifyGlContextDestroyed(second);
  cgGLBindProgram(program);
  Rgba p = DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f);
  EXPECT_NEAR(p.r, 0.0f, 0.01);
  EXPECT_NEAR(p.g, 0.5f, 0.01);
}

}  // namespace
}  // namespace veltrane::test
