// Drawing through the runtime: stages switched between programs and fixed function, texture
// parameters on their own units, and a second GL context with stages of its own.
#include "cg_test_fixture.h"
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

const char kFlatVertex[] =
    "#version 120\n"
    "uniform vec4 colour;\n"
    "void main() {\n"
    "  gl_Position = ftransform();\n"
    "  gl_FrontColor = colour;\n"
    "  gl_TexCoord[1] = vec4(0.0, 0.75, 0.0, 0.0);\n"
    "}\n";

const char kFromTexCoord1[] =
    "#version 120\n"
    "void main() { gl_FragColor = vec4(gl_Color.r, gl_TexCoord[1].g, 0.0, 1.0); }\n";

TEST_F(CgDrawingTest, EachStageRunsItsProgramOrFixedFunction) {
  CGprogram fragment = Program(fragment_, kScaleColour);
  CGprogram vertex = Program(vertex_, kFlatVertex);
  CGprogram pair_fragment = Program(fragment_, kFromTexCoord1);
  cgGLSetParameter3f(cgGetNamedParameter(fragment, "scale"), 1.0f, 0.5f, 2.0f);
  cgGLSetParameter4f(cgGetNamedParameter(vertex, "colour"), 0.25f, 0.5f, 1.0f, 1.0f);

  // Fragment program fed by fixed-function vertices.
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(fragment);
  Rgba p = DrawQuadAndRead(1, 1, 0.5f, 1.0f, 0.25f);
  EXPECT_NEAR(p.r, 0.5f, 0.01);
  EXPECT_NEAR(p.g, 0.5f, 0.01);
  EXPECT_NEAR(p.b, 0.5f, 0.01);

  // Vertex program feeding fixed-function fragments.
  cgGLDisableProfile(fragment_);
  cgGLEnableProfile(vertex_);
  cgGLBindProgram(vertex);
  p = DrawQuadAndRead(1, 1, 1, 1, 1);
  EXPECT_NEAR(p.r, 0.25f, 0.01);
  EXPECT_NEAR(p.b, 1.0f, 0.01);

  // Both programmable; the fragment program reads what the vertex program wrote.
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(pair_fragment);
  p = DrawQuadAndRead(1, 1, 1, 1, 1);
  EXPECT_NEAR(p.r, 0.25f, 0.01);
  EXPECT_NEAR(p.g, 0.75f, 0.01);

  // Neither: plain fixed function, and no pipeline left bound.
  cgGLDisableProfile(vertex_);
  cgGLDisableProfile(fragment_);
  p = DrawQuadAndRead(1, 1, 0.0f, 0.5f, 0.0f);
  EXPECT_NEAR(p.g, 0.5f, 0.01);
  GLint pipeline = -1;
  glGetIntegerv(GL_PROGRAM_PIPELINE_BINDING, &pipeline);
  EXPECT_EQ(pipeline, 0);
}

GLuint MakeTexture(GLenum target, float r, float g, float b) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(target, texture);
  const float texel[3] = {r, g, b};
  glTexImage2D(target, 0, GL_RGB32F, 1, 1, 0, GL_RGB, GL_FLOAT, texel);
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(target, 0);
  return texture;
}

GLint BoundOnUnit(GLint unit, GLenum binding) {
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  GLint texture = -1;
  glGetIntegerv(binding, &texture);
  glActiveTexture(GL_TEXTURE0);
  return texture;
}

TEST_F(CgDrawingTest, TextureParametersSampleTheirTextureOnTheirOwnUnit) {
  CGprogram program = Program(fragment_,
                              "#version 120\n"
                              "#extension GL_ARB_texture_rectangle : enable\n"
                              "uniform sampler2D flat_map;\n"
                              "uniform sampler2DRect rect_map;\n"
                              "void main() {\n"
                              "  gl_FragColor = vec4(texture2D(flat_map, vec2(0.5)).rgb +\n"
                              "                      texture2DRect(rect_map, vec2(0.5)).rgb, 1.0);\n"
                              "}\n");
  CGparameter flat_map = cgGetNamedParameter(program, "flat_map");
  CGparameter rect_map = cgGetNamedParameter(program, "rect_map");
  ASSERT_TRUE(flat_map && rect_map);
  EXPECT_NE(flat_map->unit, rect_map->unit);

  GLuint red = MakeTexture(GL_TEXTURE_2D, 0.5f, 0, 0);
  GLuint blue = MakeTexture(GL_TEXTURE_2D, 0, 0, 0.5f);
  GLuint green = MakeTexture(GL_TEXTURE_RECTANGLE, 0, 0.25f, 0);
  cgGLSetTextureParameter(flat_map, red);
  cgGLSetTextureParameter(rect_map, green);
  cgGLEnableTextureParameter(flat_map);
  cgGLEnableTextureParameter(rect_map);
  EXPECT_EQ(BoundOnUnit(flat_map->unit, GL_TEXTURE_BINDING_2D), static_cast<GLint>(red));
  EXPECT_EQ(BoundOnUnit(rect_map->unit, GL_TEXTURE_BINDING_RECTANGLE), static_cast<GLint>(green));
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);

  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  Rgba p = DrawQuadAndRead();
  EXPECT_NEAR(p.r, 0.5f, 0.01);
  EXPECT_NEAR(p.g, 0.25f, 0.01);

  // A texture set later takes effect when the parameter is enabled again.
  cgGLSetTextureParameter(flat_map, blue);
  cgGLEnableTextureParameter(flat_map);
  p = DrawQuadAndRead();
  EXPECT_NEAR(p.r, 0.0f, 0.01);
  EXPECT_NEAR(p.b, 0.5f, 0.01);

  // Released samplers have no texture: they read nothing.
  cgGLDisableTextureParameter(flat_map);
  cgGLDisableTextureParameter(rect_map);
  EXPECT_EQ(BoundOnUnit(flat_map->unit, GL_TEXTURE_BINDING_2D), 0);
  EXPECT_EQ(BoundOnUnit(rect_map->unit, GL_TEXTURE_BINDING_RECTANGLE), 0);
  p = DrawQuadAndRead();
  EXPECT_NEAR(p.r + p.g + p.b, 0.0f, 0.01);

  GLuint textures[] = {red, blue, green};
  glDeleteTextures(3, textures);
}

// A second GL context on the window's drawable, sharing objects with the window's context.
class SharedContext {
 public:
  SharedContext() : display_(glXGetCurrentDisplay()), drawable_(glXGetCurrentDrawable()),
                    window_context_(glXGetCurrentContext()) {
    int id = 0;
    int screen = 0;
    glXQueryContext(display_, window_context_, GLX_FBCONFIG_ID, &id);
    glXQueryContext(display_, window_context_, GLX_SCREEN, &screen);
    const int attributes[] = {GLX_FBCONFIG_ID, id, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display_, screen, attributes, &count);
    if (configs != nullptr && count > 0) {
      context_ = glXCreateNewContext(display_, configs[0], GLX_RGBA_TYPE, window_context_, True);
    }
    if (configs != nullptr) XFree(configs);
  }
  ~SharedContext() {
    glXMakeCurrent(display_, drawable_, window_context_);
    if (context_ != nullptr) glXDestroyContext(display_, context_);
  }
  SharedContext(const SharedContext&) = delete;
  SharedContext& operator=(const SharedContext&) = delete;

  bool ok() const { return context_ != nullptr; }
  void MakeSecondCurrent() { glXMakeCurrent(display_, drawable_, context_); }
  void MakeWindowCurrent() { glXMakeCurrent(display_, drawable_, window_context_); }

 private:
  Display* display_;
  GLXDrawable drawable_;
  GLXContext window_context_;
  GLXContext context_ = nullptr;
};

TEST_F(CgDrawingTest, EachGlContextHasItsOwnStages) {
  CGprogram program = Program(fragment_, kScaleColour);
  CGparameter scale = cgGetNamedParameter(program, "scale");
  cgGLSetParameter3f(scale, 1.0f, 0.0f, 0.0f);

  SharedContext second;
  ASSERT_TRUE(second.ok());

  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.0f, 0.01);

  // The second context starts with every stage fixed function.
  second.MakeSecondCurrent();
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.5f, 0.01);
  // Bound there too, the program draws with the values set while the window was current,
  // and a value set here is the window's as well: the program object is shared.
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).r, 0.5f, 0.01);
  cgGLSetParameter3f(scale, 0.0f, 1.0f, 0.0f);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.5f, 0.01);
  cgGLDisableProfile(fragment_);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // Disabling in the second context left the window's stage programmable, and binding the
  // program again there draws with the value set in the second context.
  second.MakeWindowCurrent();
  GLint pipeline = 0;
  glGetIntegerv(GL_PROGRAM_PIPELINE_BINDING, &pipeline);
  EXPECT_NE(pipeline, 0);
  cgGLBindProgram(program);
  Rgba p = DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f);
  EXPECT_NEAR(p.r, 0.0f, 0.01);
  EXPECT_NEAR(p.g, 0.5f, 0.01);
  cgGLDisableProfile(fragment_);
}

}  // namespace
}  // namespace veltrane::test
