// The processor's record of the fixed-function matrices holds, bit for bit, what GL holds
// after the calls the frame makes (and a few it does not), and follows the stacks, the matrix
// mode kept by glPushAttrib, and what GL refuses.
#include "render/fixed_function_matrices.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>

#include "support/gl_test_window.h"

namespace {

// Exact: the record must be the driver's own numbers, not close to them.
void ExpectSameAsGl(const char* what) {
  for (GLenum which : {GL_MODELVIEW, GL_PROJECTION}) {
    GLfloat tracked[16], gl[16];
    ASSERT_TRUE(veltrane::TrackedMatrix(which, tracked));
    glGetFloatv(which == GL_MODELVIEW ? GL_MODELVIEW_MATRIX : GL_PROJECTION_MATRIX, gl);
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(tracked[i], gl[i]) << what << (which == GL_MODELVIEW ? " model-view" : " projection")
                                   << " [" << i << "]";
  }
}

class FixedFunctionMatricesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(veltrane::test::EnsureGlWindow()); }
};

TEST_F(FixedFunctionMatricesTest, TheViewSetUpOfAFrameForManyViews) {
  const float rotations[][2] = {{0, 0}, {20.5f, -37.25f}, {-10, 359.9f}, {60, 123.456f}};
  for (const auto& rot : rotations) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, 512.0 / 384.0, 1.0, 60.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, -0.7f, -7.5f);
    glRotatef(rot[0], 1, 0, 0);
    glRotatef(20.0f, 1, 0, 0);
    glRotatef(rot[1], 0, 1, 0);
    glRotatef(180.0f, 0, 1, 0);
    glScalef(2.5f, 2.5f, 2.5f);
    ExpectSameAsGl("view set-up");
  }
}

TEST_F(FixedFunctionMatricesTest, OtherOperationsStacksAndTheModeKeptByPushAttrib) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glPushMatrix();
  gluOrtho2D(0, 1, 0, 1);
  glFrustum(-1, 2, -0.5, 1, 0.5, 30);
  glMatrixMode(GL_MODELVIEW);
  const GLdouble load[16] = {1, 2, 0, 0, 0.5, 1, 0, 0, 0, 0, 3, 0, 0.25, -1, 2, 1};
  glLoadMatrixd(load);
  glRotatef(33.0f, 0.3f, -0.5f, 0.8f);
  glRotated(-71.0, 0, 0, -1);
  glTranslated(1.5, -2.0, 0.125);
  glScaled(0.5, 3.0, -1.0);
  const GLfloat mult[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 3, 4, 5, 1};
  glMultMatrixf(mult);
  ExpectSameAsGl("assorted");

  // A capture's bracket: state and both stacks kept, identity inside, everything back after.
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  ExpectSameAsGl("inside");
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();  // back to GL_MODELVIEW
  glTranslatef(1, 1, 1);  // on the model-view again
  ExpectSameAsGl("after the bracket");

  // What GL refuses: a degenerate ortho, popping the last entry, pushing past the stack's depth.
  veltrane::test::ExpectedGlErrors refused;
  glOrtho(1, 1, 0, 1, -1, 1);
  while (glGetError() != GL_NO_ERROR) {
  }
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();  // the one pushed at the start
  glPopMatrix();  // underflow
  GLint depth = 0;
  glGetIntegerv(GL_MAX_PROJECTION_STACK_DEPTH, &depth);
  for (int i = 0; i < depth + 2; ++i) {
    glPushMatrix();
    glTranslatef(static_cast<float>(i), 0, 0);
  }
  ExpectSameAsGl("overflow");
  for (int i = 0; i < depth + 2; ++i) glPopMatrix();
  while (glGetError() != GL_NO_ERROR) {
  }
  ExpectSameAsGl("refusals");
  EXPECT_GE(refused.count(), 3);  // the driver reported them
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);

  GLfloat texture[16];
  EXPECT_FALSE(veltrane::TrackedMatrix(GL_TEXTURE, texture));
}

}  // namespace
