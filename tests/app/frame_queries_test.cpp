// A steady frame asks the driver nothing back: on a driver that runs GL on a thread of its own
// every query waits for that thread. This test program's own glGetIntegerv counts and forwards
// (the program's definition comes before libGL's), and GLEW's glIsProgramPipeline pointer is
// swapped for a counting one while the frames run.
#include <GL/glew.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "app/display.h"
#include "viewer_scene_fixture.h"

namespace {
int g_get_integer_calls = 0;
int g_is_pipeline_calls = 0;
PFNGLISPROGRAMPIPELINEPROC g_real_is_pipeline = nullptr;

GLboolean GLAPIENTRY CountingIsProgramPipeline(GLuint pipeline) {
  ++g_is_pipeline_calls;
  return g_real_is_pipeline(pipeline);
}
}  // namespace

extern "C" void GLAPIENTRY glGetIntegerv(GLenum name, GLint* data) {
  using Real = void (*)(GLenum, GLint*);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glGetIntegerv"));
  ++g_get_integer_calls;
  real(name, data);
}

namespace veltrane::test {
namespace {

using FrameQueriesTest = ViewerSceneTest;

TEST_F(FrameQueriesTest, SteadyFramesMakeNoIntegerOrPipelineQueries) {
  Display();  // the first frame makes the targets' framebuffers
  g_real_is_pipeline = glIsProgramPipeline;
  glIsProgramPipeline = &CountingIsProgramPipeline;
  g_get_integer_calls = 0;
  g_is_pipeline_calls = 0;
  for (int frame = 0; frame < 3; ++frame) Display();
  glIsProgramPipeline = g_real_is_pipeline;
  EXPECT_EQ(g_get_integer_calls, 0);
  EXPECT_EQ(g_is_pipeline_calls, 0);
}

}  // namespace
}  // namespace veltrane::test
