// Parameter values as the GL program holds them, and state matrices under each transform.
#include <vector>

#include "cg_test_fixture.h"
#include "shader/cg_objects.h"

namespace veltrane::test {
namespace {

using CgParametersTest = CgTest;

const char kUniforms[] =
    "#version 120\n"
    "uniform float gain = 0.25;\n"
    "uniform vec4 weights = vec4(1.0, 2.0, 3.0, 4.0);\n"
    "uniform mat4 transform;\n"
    "uniform float unused_here;\n"
    "void main() { gl_FragColor = transform * weights * gain; }\n";

std::vector<float> Read(CGparameter param) {
  std::vector<float> v(16);
  glGetUniformfv(param->program->gl_program, param->location, v.data());
  v.resize(static_cast<size_t>(param->float_count));
  return v;
}

TEST_F(CgParametersTest, ValuesAreKeptUntilSetAgain) {
  CGprogram program = Program(fragment_, kUniforms);
  CGparameter gain = cgGetNamedParameter(program, "gain");
  CGparameter weights = cgGetNamedParameter(program, "weights");
  ASSERT_TRUE(gain && weights);
  EXPECT_EQ(cgGetNamedParameter(program, "unused_here"), nullptr);  // optimised away
  EXPECT_EQ(cgGetNamedParameter(program, "Gain"), nullptr);         // case matters
  EXPECT_EQ(Read(gain), std::vector<float>{0.25f});                 // the shader's own value

  cgGLSetParameter1f(gain, 2.5f);
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  cgGLDisableProfile(fragment_);
  EXPECT_EQ(Read(gain), std::vector<float>{2.5f});
  // Fewer values set the first components and keep the others; extra values are dropped.
  cgGLSetParameter1f(weights, 9);
  EXPECT_EQ(Read(weights), (std::vector<float>{9, 2, 3, 4}));
  cgGLSetParameter4f(gain, 7, 8, 9, 10);
  EXPECT_EQ(Read(gain), std::vector<float>{7});
}

TEST_F(CgParametersTest, StateMatricesAreReadAtTheCallAndTransformed) {
  CGparameter transform = cgGetNamedParameter(Program(fragment_, kUniforms), "transform");
  ASSERT_NE(transform, nullptr);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(0.5f, 0.25f, -1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  glScalef(2, 4, 5);

  struct Case {
    CGGLenum matrix, transform;
    std::vector<float> expected;  // column-major, as GL keeps matrices
  };
  const Case cases[] = {
      {CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_IDENTITY, {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 5, 0, 1, 2, 3, 1}},
      {CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_TRANSPOSE, {2, 0, 0, 1, 0, 4, 0, 2, 0, 0, 5, 3, 0, 0, 0, 1}},
      {CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE,
       {0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 0.2, 0, -0.5, -0.5, -0.6, 1}},
      {CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE_TRANSPOSE,
       {0.5, 0, 0, -0.5, 0, 0.25, 0, -0.5, 0, 0, 0.2, -0.6, 0, 0, 0, 1}},
      {CG_GL_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY,
       {0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}},
      {CG_GL_MODELVIEW_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY,
       {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -5, 0, 0.5, 0.5, -3, 1}},
  };
  for (const Case& c : cases) {
    cgGLSetStateMatrixParameter(transform, c.matrix, c.transform);
    std::vector<float> got = Read(transform);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(got[i], c.expected[i], 1e-6) << c.matrix << "/" << c.transform << " [" << i << "]";
    }
  }
  EXPECT_EQ(cgGetError(), CG_NO_ERROR);

  // A singular matrix has no inverse: the value stays, and an error is raised.
  glScalef(1, 0, 1);
  cgGLSetStateMatrixParameter(transform, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE_TRANSPOSE);
  EXPECT_EQ(cgGetError(), CG_INVALID_PARAMETER_ERROR);
  EXPECT_EQ(Read(transform), cases[5].expected);
  cgGLSetStateMatrixParameter(transform, CG_GL_VERTEX, CG_GL_MATRIX_IDENTITY);
  EXPECT_EQ(cgGetError(), CG_INVALID_ENUMERANT_ERROR);
  glLoadIdentity();
}

}  // namespace
}  // namespace veltrane::test
