// Drawing through the runtime: stages switched between programs and fixed function, texture
// parameters on their own units, and a second GL context with stages of its own.
#include "cg_test_fixture.h"
#include "common/gl_context_events.h"
#include "render/egl_context.h"
#include "shader/cg_objects.h"
#include "support/gl_test_window.h"

// After GoogleTest: Xlib's macros (None, Bool, ...) clash with its names.
#include <EGL/egl.h>
#include <EGL/eglext.h>
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

// A second GL context sharing objects with the window's: on the window's drawable under GLX;
// under EGL with no surface, drawing into a small framebuffer of its own (framebuffers are not
// shared between contexts).
class SecondContext {
 public:
  bool Create() {
    if (GlTestWindowIsEgl()) {
      egl_display_ = eglGetCurrentDisplay();
      egl_window_ = eglGetCurrentContext();
      EGLint config_id = 0;
      eglQueryContext(egl_display_, egl_window_, EGL_CONFIG_ID, &config_id);
      EGLConfig config = EGL_NO_CONFIG_KHR;
      EGLint count = 0;
      const EGLint wanted[] = {EGL_CONFIG_ID, config_id, EGL_NONE};
      if (config_id != 0) eglChooseConfig(egl_display_, wanted, &config, 1, &count);
      egl_second_ = CreateCompatibilityContext(egl_display_, config, egl_window_);
      return egl_second_ != EGL_NO_CONTEXT;
    }
    glx_display_ = glXGetCurrentDisplay();
    glx_drawable_ = glXGetCurrentDrawable();
    glx_window_ = glXGetCurrentContext();
    int config_id = 0;
    glXQueryContext(glx_display_, glx_window_, GLX_FBCONFIG_ID, &config_id);
    const int attributes[] = {GLX_FBCONFIG_ID, config_id, 0};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(glx_display_, DefaultScreen(glx_display_), attributes, &count);
    if (configs == nullptr || count == 0) return false;
    glx_second_ = glXCreateNewContext(glx_display_, configs[0], GLX_RGBA_TYPE, glx_window_, True);
    XFree(configs);
    return glx_second_ != nullptr;
  }

  void MakeCurrent() {
    if (glx_second_ != nullptr) {
      glXMakeCurrent(glx_display_, glx_drawable_, glx_second_);
      return;
    }
    eglMakeCurrent(egl_display_, EGL_NO_SURFACE, EGL_NO_SURFACE, egl_second_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 8, 8);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  }

  // Makes the window's context current again and destroys this one.
  void Destroy() {
    if (glx_second_ != nullptr) {
      glXMakeCurrent(glx_display_, glx_drawable_, glx_window_);
      glXDestroyContext(glx_display_, glx_second_);
      NotifyGlContextDestroyed(glx_second_);
      glx_second_ = nullptr;
      return;
    }
    if (egl_second_ == EGL_NO_CONTEXT) return;
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colour_);
    eglMakeCurrent(egl_display_, EGL_NO_SURFACE, EGL_NO_SURFACE, egl_window_);
    eglDestroyContext(egl_display_, egl_second_);
    NotifyGlContextDestroyed(egl_second_);
    egl_second_ = EGL_NO_CONTEXT;
  }

  ~SecondContext() { Destroy(); }

 private:
  Display* glx_display_ = nullptr;
  GLXDrawable glx_drawable_ = 0;
  GLXContext glx_window_ = nullptr;
  GLXContext glx_second_ = nullptr;
  EGLDisplay egl_display_ = EGL_NO_DISPLAY;
  EGLContext egl_window_ = EGL_NO_CONTEXT;
  EGLContext egl_second_ = EGL_NO_CONTEXT;
  GLuint framebuffer_ = 0;
  GLuint colour_ = 0;
};

TEST_F(CgDrawingTest, EachGlContextHasItsOwnStages) {
  CGprogram program = Program(fragment_, kScaleColour);
  CGparameter scale = cgGetNamedParameter(program, "scale");
  cgGLSetParameter3f(scale, 1.0f, 0.0f, 0.0f);
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.0f, 0.01);

  // A second context sharing objects with the window's context.
  SecondContext second;
  ASSERT_TRUE(second.Create());
  second.MakeCurrent();

  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.5f, 0.01);  // all fixed function
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);  // with the value set while the window's context was current
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).r, 0.5f, 0.01);
  cgGLSetParameter3f(scale, 0.0f, 1.0f, 0.0f);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f).g, 0.5f, 0.01);
  cgGLDisableProfile(fragment_);

  // The window's stage is still programmable, and bound again it uses the new value.
  second.Destroy();
  cgGLBindProgram(program);
  Rgba p = DrawQuadAndRead(1, 1, 0.5f, 0.5f, 0.5f);
  EXPECT_NEAR(p.r, 0.0f, 0.01);
  EXPECT_NEAR(p.g, 0.5f, 0.01);
}

}  // namespace
}  // namespace veltrane::test
