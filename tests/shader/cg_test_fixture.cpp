#include "cg_test_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/gl_test_window.h"

namespace veltrane::test {

std::string WriteTempFile(const std::string& text) {
  char path[] = "/tmp/veltrane-shader-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return "";
  ssize_t written = write(fd, text.data(), text.size());
  close(fd);
  EXPECT_EQ(written, static_cast<ssize_t>(text.size()));
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

CGprogram CgTest::Program(CGprofile profile, const std::string& source, bool load) {
  std::string path = WriteTempFile(source);
  CGprogram program = cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), profile,
                                              nullptr, nullptr);
  std::remove(path.c_str());
  EXPECT_NE(program, nullptr) << cgGetLastListing(context_);
  if (program != nullptr && load) cgGLLoadProgram(program);
  return program;
}

Rgba DrawQuadAndRead(float tex_w, float tex_h, float r, float g, float b) {
  glViewport(0, 0, 8, 8);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(r, g, b);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(tex_w, 0);
  glVertex2f(1, -1);
  glTexCoord2f(tex_w, tex_h);
  glVertex2f(1, 1);
  glTexCoord2f(0, tex_h);
  glVertex2f(-1, 1);
  glEnd();
  glFinish();
  Rgba pixel{};
  glReadBuffer(GL_BACK);
  glReadPixels(4, 4, 1, 1, GL_RGBA, GL_FLOAT, &pixel);
  return pixel;
}

}  // namespace veltrane::test
