// The EGL start-up without a window (Mesa's software device or surfaceless platform in CI): a
// compatibility-profile desktop GL context whose entry points GLEW resolves, the window-sized
// target read back the right way up, and a clear refusal of a device that is not there. This
// program never makes a GLX context, so EGL's may be current on its thread.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/headless/offscreen_window.h"
#include "render/egl_session.h"
#include "render/current_gl_context.h"
#include "shader/glew_loader.h"
#include "support/gl_test_window.h"

namespace {

class EglSessionTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    session_ = new veltrane::EglSession();
    std::string error;
    opened_ = session_->Open(-1, &error);
    error_ = error;
    veltrane::test::PinGlDriverModules();
  }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(opened_) << error_; }

  static veltrane::EglSession* session_;
  static bool opened_;
  static std::string error_;
};

veltrane::EglSession* EglSessionTest::session_ = nullptr;
bool EglSessionTest::opened_ = false;
std::string EglSessionTest::error_;

TEST_F(EglSessionTest, GivesACompatibilityContextWhoseEntryPointsResolve) {
  EXPECT_EQ(veltrane::CurrentGlContext(), session_->context());
  ASSERT_EQ(veltrane::InitGlewForCurrentContext(), static_cast<GLenum>(GLEW_OK));
  EXPECT_TRUE(GLEW_VERSION_3_2);
  GLint profile = 0;
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  EXPECT_NE(profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT, 0);
  // Through glvnd's dispatch: pointers that are there and calls that reach the driver.
  ASSERT_NE(glGenFramebuffers, nullptr);
  ASSERT_NE(glFenceSync, nullptr);
  ASSERT_NE(glUseProgramStages, nullptr);
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  EXPECT_NE(framebuffer, 0u);
  EXPECT_TRUE(glIsFramebuffer(framebuffer) == GL_FALSE);  // named, not yet bound
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  EXPECT_TRUE(glIsFramebuffer(framebuffer));
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EglSessionTest, WindowTargetReadsBackTopRowFirst) {
  ASSERT_EQ(veltrane::InitGlewForCurrentContext(), static_cast<GLenum>(GLEW_OK));
  OffscreenWindow window;
  ASSERT_TRUE(window.Create(5, 3));  // odd width: rows of 15 bytes, no padding
  EXPECT_FALSE(OffscreenWindow().Create(0, 3));
  glEnable(GL_SCISSOR_TEST);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glScissor(0, 0, 5, 1);  // GL's row 0: the bottom one
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  window.Present();
  const std::vector<unsigned char> rgb = window.ReadRgb();
  ASSERT_EQ(rgb.size(), 5u * 3u * 3u);
  EXPECT_EQ(rgb[0], 255);  // top left: red
  EXPECT_EQ(rgb[2], 0);
  const size_t bottom_right = (2 * 5 + 4) * 3;
  EXPECT_EQ(rgb[bottom_right], 0);  // bottom right: blue
  EXPECT_EQ(rgb[bottom_right + 2], 255);
}

TEST(EglDeviceTest, ListsDevicesAndRefusesOneThatIsNotThere) {
  const std::vector<std::string> devices = veltrane::ListEglDevices();
  for (size_t i = 0; i < devices.size(); ++i)
    EXPECT_EQ(devices[i].rfind(std::to_string(i) + ": ", 0), 0u) << devices[i];
  veltrane::EglSession session;
  std::string error;
  EXPECT_FALSE(session.Open(1000, &error));
  EXPECT_EQ(error.rfind("no EGL device 1000 (", 0), 0u) << error;
  EXPECT_EQ(session.display(), EGL_NO_DISPLAY);
}

}  // namespace
