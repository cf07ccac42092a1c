#include "cg_test_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "support/gl_test_window.h"
#include "support/source_dir.h"

namespace veltrane::test {

std::string WriteTempFile(const std::string& text) {
  char path[] = "/tmp/veltrane-shader-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return "";
  EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
  return path;
}

void CgTest::SetUp() {
  ASSERT_TRUE(EnsureGlWindow());
  cgSetErrorCallback(nullptr);
  cgGetError();
  context_ = cgCreateContext();
  vertex_ = cgGLGetLatestProfile(CG_GL_VERTEX);
  fragment_ = cgGLGetLatestProfile(CG_GL_FRAGMENT);
  ASSERT_EQ(vertex_, CG_PROFILE_GLSLV);
  ASSERT_EQ(fragment_, CG_PROFILE_GLSLF);
}

void CgTest::TearDown() {
  cgSetErrorCallback(nullptr);
  cgGLDisableProfile(vertex_);
  cgGLDisableProfile(fragment_);
  cgDestroyContext(context_);
  EXPECT_EQ(cgGetError(), CG_NO_ERROR);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

CGprogram CgTest::Load(const std::string& path, CGprofile profile) {
  CGprogram program =
      cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), profile, nullptr, nullptr);
  EXPECT_NE(program, nullptr) << cgGetLastListing(context_);
  cgGLLoadProgram(program);
  return program;
}

CGprogram CgTest::Program(CGprofile profile, const std::string& source) {
  CGprogram program = cgCreateProgram(context_, CG_SOURCE, source.c_str(), profile, nullptr, nullptr);
  EXPECT_NE(program, nullptr) << cgGetLastListing(context_);
  cgGLLoadProgram(program);
  return program;
}

CGprogram CgTest::Shader(const char* name, CGprofile profile) {
  return Load(SourceDir() + "/data/shaders/" + name + ".cg", profile);
}

GLuint PositionTexture(GLenum target, float scale) {
  std::vector<float> texels;
  for (int t = 0; t < 8; ++t) {
    for (int s = 0; s < 8; ++s) texels.insert(texels.end(), {s * scale, t * scale, scale});
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(target, texture);
  glTexImage2D(target, 0, GL_RGB32F, 8, 8, 0, GL_RGB, GL_FLOAT, texels.data());
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(target, 0);
  return texture;
}

Rgba DrawQuadAndRead(float tex_w, float tex_h, float r, float g, float b) {
  glViewport(0, 0, 8, 8);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(r, g, b);
  glBegin(GL_QUADS);
  const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (const auto& c : corners) {
    glTexCoord2f(c[0] * tex_w, c[1] * tex_h);
    glVertex2f(c[0] * 2 - 1, c[1] * 2 - 1);
  }
  glEnd();
  GLint framebuffer = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &framebuffer);
  if (framebuffer == 0) glReadBuffer(GL_BACK);
  Rgba pixel{};
  glReadPixels(4, 4, 1, 1, GL_RGBA, GL_FLOAT, &pixel);
  return pixel;
}

}  // namespace veltrane::test
