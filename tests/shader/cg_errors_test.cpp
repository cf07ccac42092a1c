// Errors: a failed compile reaching the viewer's callback with its listing, and operations on
// handles that are invalid, stale or of the wrong type.
#include <cstdio>
#include <string>
#include <vector>

#include "cg_test_fixture.h"
#include "shader/cg_error_callback.h"
#include "support/fatal_catcher.h"
#include "support/gl_test_window.h"

namespace veltrane::test {
namespace {

using CgErrorsTest = CgTest;

TEST_F(CgErrorsTest, CompileErrorReachesTheCallbackWithTheCompilerListing) {
  cgSetErrorCallback(CgErrorCallback);
  cg_context = context_;
  FatalCatcher catcher;
  testing::internal::CaptureStdout();
  EXPECT_EQ(catcher.Run([] { CgErrorCallback(); }), FatalCatcher::kNoExit);  // nothing pending
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  std::string path = WriteTempFile("#version 120\nvoid main() { gl_FragColor = oops; }\n");
  testing::internal::CaptureStdout();
  ExpectedGlErrors compile_error;  // the driver reports it too
  int status = catcher.Run([&] {
    cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), fragment_, nullptr, nullptr);
  });
  std::string out = testing::internal::GetCapturedStdout();
  std::remove(path.c_str());
  cg_context = nullptr;
  EXPECT_EQ(status, 1);  // a failure, not a normal end
  std::string head = std::string(cgGetErrorString(CG_COMPILER_ERROR)) + "\n\nDir Shader: " + path;
  EXPECT_EQ(out.compare(0, head.size(), head), 0) << out;
  EXPECT_NE(out.find("oops"), std::string::npos) << out;  // the compiler's own words
  const std::string tail = "\nCg error, exiting...\n";
  ASSERT_GT(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

std::vector<CGerror> raised;
void RecordError() { raised.push_back(cgGetError()); }

TEST_F(CgErrorsTest, BadRequestsAndHandlesRaiseErrorsButNeverCrash) {
  raised.clear();
  cgSetErrorCallback(RecordError);
  const char kSource[] = "#version 120\nuniform vec4 tint;\nvoid main() { gl_FragColor = tint; }\n";
  std::string path = WriteTempFile(kSource);
  CGprogram unloaded =
      cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), fragment_, nullptr, nullptr);
  std::remove(path.c_str());
  cgCreateProgramFromFile(context_, CG_SOURCE, "/nonexistent/x.cg", fragment_, nullptr, nullptr);
  EXPECT_NE(std::string(cgGetLastListing(context_)).find("/nonexistent/x.cg"), std::string::npos);
  cgGLBindProgram(unloaded);
  CGparameter tint = cgGetNamedParameter(unloaded, "tint");
  cgGLSetTextureParameter(tint, 1);
  cgGLSetStateMatrixParameter(tint, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_IDENTITY);
  EXPECT_EQ(raised, (std::vector<CGerror>{CG_FILE_READ_ERROR, CG_PROGRAM_NOT_LOADED_ERROR,
                                          CG_INVALID_PARAMETER_TYPE_ERROR,
                                          CG_INVALID_PARAMETER_TYPE_ERROR}));

  // Source held in memory: none at all is a bad parameter; a compile failure's listing has the
  // compiler's words with no file name.
  raised.clear();
  EXPECT_EQ(cgCreateProgram(context_, CG_SOURCE, nullptr, fragment_, nullptr, nullptr), nullptr);
  {
    ExpectedGlErrors compile_error;
    EXPECT_EQ(cgCreateProgram(context_, CG_SOURCE, "#version 120\nvoid main() { gl_FragColor = oops; }\n",
                              fragment_, nullptr, nullptr),
              nullptr);
  }
  EXPECT_EQ(raised, (std::vector<CGerror>{CG_INVALID_PARAMETER_ERROR, CG_COMPILER_ERROR}));
  EXPECT_NE(std::string(cgGetLastListing(context_)).find("oops"), std::string::npos);

  // A name the program lacks gives the invalid handle, and everything on it is ignored quietly.
  raised.clear();
  CGparameter absent = cgGetNamedParameter(unloaded, "no_such_parameter");
  EXPECT_EQ(absent, nullptr);
  cgGLSetParameter4f(absent, 1, 2, 3, 4);
  cgGLSetStateMatrixParameter(absent, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE);
  cgGLEnableTextureParameter(absent);
  EXPECT_TRUE(raised.empty());

  // Handles of a destroyed program are refused; the stage it ran falls back to fixed function.
  cgGLLoadProgram(unloaded);
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(unloaded);
  cgDestroyProgram(unloaded);
  EXPECT_NEAR(DrawQuadAndRead(1, 1, 0, 1, 0).g, 1.0f, 0.01);
  cgGLSetParameter4f(tint, 1, 2, 3, 4);
  cgGLBindProgram(unloaded);
  EXPECT_EQ(raised, (std::vector<CGerror>{CG_INVALID_PARAM_HANDLE_ERROR,
                                          CG_INVALID_PROGRAM_HANDLE_ERROR}));
  EXPECT_STREQ(cgGetLastListing(nullptr), "");  // never a null text to print
}

}  // namespace
}  // namespace veltrane::test
