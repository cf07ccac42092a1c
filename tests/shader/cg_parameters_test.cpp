// Parameter values as the GL program sees them (read back with glGetUniform*), and state
// matrices under each transform.
#include <cmath>

#include "cg_test_fixture.h"
#include "shader/cg_objects.h"

namespace veltrane::test {
namespace {

using CgParametersTest = CgTest;

const char kUniforms[] =
    "#version 120\n"
    "uniform float gain = 0.25;\n"
    "uniform vec3 colour;\n"
    "uniform vec4 weights = vec4(1.0, 2.0, 3.0, 4.0);\n"
    "uniform mat4 transform;\n"
    "uniform float unused_here;\n"
    "void main() { gl_FragColor = transform * weights * gain + vec4(colour, 0.0); }\n";

void ReadUniform(CGparameter param, float* out) {
  glGetUniformfv(param->program->gl_program, param->location, out);
}

TEST_F(CgParametersTest, ValuesAreKeptInTheProgramUntilSetAgain) {
  CGprogram program = Program(fragment_, kUniforms);
  CGparameter gain = cgGetNamedParameter(program, "gain");
  CGparameter colour = cgGetNamedParameter(program, "colour");
  CGparameter weights = cgGetNamedParameter(program, "weights");
  ASSERT_TRUE(gain && colour && weights);
  EXPECT_EQ(cgGetNamedParameter(program, "unused_here"), nullptr);  // optimised away
  EXPECT_EQ(cgGetNamedParameter(program, "Gain"), nullptr);         // names are case-sensitive

  float v[4] = {};
  ReadUniform(gain, v);
  EXPECT_EQ(v[0], 0.25f);  // the shader's own initial value until set

  cgGLSetParameter1f(gain, 2.5f);
  cgGLSetParameter3f(colour, 0.1f, 0.2f, 0.3f);
  // Binding and unbinding the program, in the fixed-function state between, keeps values.
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  cgGLDisableProfile(fragment_);
  ReadUniform(gain, v);
  EXPECT_EQ(v[0], 2.5f);
  ReadUniform(colour, v);
  EXPECT_EQ(v[0], 0.1f);
  EXPECT_EQ(v[1], 0.2f);
  EXPECT_EQ(v[2], 0.3f);

  // Fewer values than components set the first ones and keep the rest; more are dropped.
  cgGLSetParameter1f(weights, 9.0f);
  ReadUniform(weights, v);
  EXPECT_EQ(v[0], 9.0f);
  EXPECT_EQ(v[1], 2.0f);
  EXPECT_EQ(v[3], 4.0f);
  cgGLSetParameter4f(colour, 5, 6, 7, 8);
  ReadUniform(colour, v);
  EXPECT_EQ(v[2], 7.0f);
  cgGLSetParameter1f(gain, 3.0f);
  cgGLSetParameter3f(weights, -1, -2, -3);
  ReadUniform(weights, v);
  EXPECT_EQ(v[2], -3.0f);
  EXPECT_EQ(v[3], 4.0f);
  ReadUniform(gain, v);
  EXPECT_EQ(v[0], 3.0f);
}

// Column-major, as GL keeps matrices.
void ExpectMatrix(CGparameter param, const double* expected) {
  float got[16] = {};
  ReadUniform(param, got);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], expected[i], 1e-5) << "element " << i;
}

TEST_F(CgParametersTest, StateMatricesAreReadAtTheCallAndTransformed) {
  CGprogram program = Program(fragment_, kUniforms);
  CGparameter transform = cgGetNamedParameter(program, "transform");
  ASSERT_NE(transform, nullptr);

  // Model-view: scale (2, 4, 5) then translation (1, 2, 3); projection: a diagonal one.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(0.5f, 0.25f, -1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  glScalef(2, 4, 5);

  const double mv[16] = {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 5, 0, 1, 2, 3, 1};
  const double mv_transpose[16] = {2, 0, 0, 1, 0, 4, 0, 2, 0, 0, 5, 3, 0, 0, 0, 1};
  const double mv_inverse[16] = {0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 0.2, 0, -0.5, -0.5, -0.6, 1};
  const double mv_inverse_transpose[16] = {0.5, 0, 0, -0.5, 0, 0.25, 0, -0.5,
                                           0,   0, 0.2, -0.6, 0, 0,    0, 1};
  const double projection[16] = {0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
  const double mvp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -5, 0, 0.5, 0.5, -3, 1};

  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_IDENTITY);
  ExpectMatrix(transform, mv);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_TRANSPOSE);
  ExpectMatrix(transform, mv_transpose);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE);
  ExpectMatrix(transform, mv_inverse);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE_TRANSPOSE);
  ExpectMatrix(transform, mv_inverse_transpose);
  cgGLSetStateMatrixParameter(transform, CG_GL_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY);
  ExpectMatrix(transform, projection);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY);
  ExpectMatrix(transform, mvp);
  EXPECT_EQ(cgGetError(), CG_NO_ERROR);

  // The value is the matrix at the call: changing GL's matrix afterwards changes nothing.
  glLoadIdentity();
  ExpectMatrix(transform, mvp);

  // A singular matrix has no inverse: the parameter keeps its value and an error is raised.
  glScalef(1, 0, 1);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE_TRANSPOSE);
  EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
  ExpectMatrix(transform, mvp);
  cgGLSetStateMatrixParameter(transform, static_cast<CGGLenum>(9), CG_GL_MATRIX_IDENTITY);
  EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, static_cast<CGGLenum>(4));
  EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
  glLoadIdentity();
}

}  // namespace
}  // namespace veltrane::test
