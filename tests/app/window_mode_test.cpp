// The viewer's window visual: multisampled on graphics cards, plain on software rasterisers,
// where four samples cost about a third of the frame rate.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <string>

#include "app/window_mode.h"
#include "support/gl_test_window.h"

namespace {

TEST(WindowModeTest, SoftwareRasterisersGetThePlainVisualAndCardsFourSamples) {
  ASSERT_TRUE(veltrane::test::EnsureGlWindow());
  if (veltrane::test::GlTestWindowIsEgl()) GTEST_SKIP() << "the window's visual is GLUT's, on GLX";
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  ASSERT_NE(renderer, nullptr);
  const std::string name = renderer;
  const bool software = name.find("llvmpipe") != std::string::npos || name.find("softpipe") != std::string::npos;
  EXPECT_EQ(RendererIsAccelerated(), !software) << name;

  const bool multisampled = InitViewerDisplayMode();
  const int mode = glutGet(GLUT_INIT_DISPLAY_MODE);
  EXPECT_EQ((mode & GLUT_MULTISAMPLE) != 0, multisampled);
  EXPECT_EQ(mode & (GLUT_DOUBLE | GLUT_DEPTH), GLUT_DOUBLE | GLUT_DEPTH);
  if (software) {
    EXPECT_FALSE(multisampled) << name;
  }
  if (multisampled) {
    // The window such a mode opens really has several samples per pixel.
    int window = glutCreateWindow("window mode test");
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_GE(samples, 2);
    glutDestroyWindow(window);
  }
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
  glutSetWindow(veltrane::test::GlTestWindowId());
}

}  // namespace
