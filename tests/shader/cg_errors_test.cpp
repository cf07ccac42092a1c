// Errors: compile failures with their listing, the error callback, and handles that are not
// (or no longer) valid.
#include <cstdio>
#include <string>

#include "cg_test_fixture.h"
#include "shader/cg_error_callback.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {
namespace {

CGerror seen_error = CG_NO_ERROR;
std::string seen_listing;
CGcontext listing_context = nullptr;
int callback_calls = 0;

void RecordError() {
  ++callback_calls;
  seen_error = cgGetError();
  seen_listing = cgGetLastListing(listing_context);
}

class CgErrorsTest : public CgTest {
 protected:
  void SetUp() override {
    CgTest::SetUp();
    seen_error = CG_NO_ERROR;
    seen_listing.clear();
    callback_calls = 0;
    listing_context = context_;
    cgSetErrorCallback(RecordError);
  }
};

const char kFragment[] =
    "#version 120\n"
    "uniform vec4 tint;\n"
    "void main() { gl_FragColor = tint; }\n";

TEST_F(CgErrorsTest, CompileErrorReachesCallbackWithCompilerListing) {
  std::string path = WriteTempFile("#version 120\nvoid main() { gl_FragColor = undeclared_thing; }\n");
  CGprogram program =
      cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), fragment_, nullptr, nullptr);
  std::remove(path.c_str());
  EXPECT_EQ(program, nullptr);
  EXPECT_EQ(callback_calls, 1);
  EXPECT_EQ(seen_error, CG_COMPILER_ERROR);
  EXPECT_NE(seen_listing.find(path), std::string::npos) << seen_listing;
  EXPECT_NE(seen_listing.find("undeclared_thing"), std::string::npos) << seen_listing;

  // A later good program replaces the listing; a vertex source under the fragment profile
  // does not compile.
  Program(fragment_, kFragment);
  EXPECT_STREQ(cgGetLastListing(context_), "");
  path = WriteTempFile("#version 120\nvoid main() { gl_Position = ftransform(); }\n");
  EXPECT_EQ(cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), fragment_, nullptr, nullptr),
            nullptr);
  std::remove(path.c_str());
  EXPECT_EQ(seen_error, CG_COMPILER_ERROR);
}

TEST_F(CgErrorsTest, BadRequestsRaiseTheirErrors) {
  const char* missing = "/nonexistent/dir/shader.cg";
  EXPECT_EQ(cgCreateProgramFromFile(context_, CG_SOURCE, missing, fragment_, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(seen_error, CG_FILE_READ_ERROR);
  EXPECT_NE(seen_listing.find(missing), std::string::npos);

  std::string path = WriteTempFile(kFragment);
  EXPECT_EQ(cgCreateProgramFromFile(context_, CG_OBJECT, path.c_str(), fragment_, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(seen_error, CG_INVALID_ENUMERANT_ERROR);
  EXPECT_EQ(cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), CG_PROFILE_UNKNOWN, nullptr,
                                    nullptr),
            nullptr);
  EXPECT_EQ(seen_error, CG_INVALID_PROFILE_ERROR);
  EXPECT_EQ(cgCreateProgramFromFile(nullptr, CG_SOURCE, path.c_str(), fragment_, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(seen_error, CG_INVALID_CONTEXT_HANDLE_ERROR);
  std::remove(path.c_str());

  EXPECT_EQ(cgGLGetLatestProfile(static_cast<CGGLenum>(3)), CG_PROFILE_UNKNOWN);
  EXPECT_EQ(seen_error, CG_INVALID_ENUMERANT_ERROR);
  cgGLEnableProfile(CG_PROFILE_UNKNOWN);
  EXPECT_EQ(seen_error, CG_INVALID_PROFILE_ERROR);

  CGprogram unloaded = Program(fragment_, kFragment, /*load=*/false);
  cgGLBindProgram(unloaded);
  EXPECT_EQ(seen_error, CG_PROGRAM_NOT_LOADED_ERROR);
  cgGLBindProgram(nullptr);
  EXPECT_EQ(seen_error, CG_INVALID_PROGRAM_HANDLE_ERROR);
  EXPECT_EQ(cgGetNamedParameter(nullptr, "tint"), nullptr);
  EXPECT_EQ(seen_error, CG_INVALID_PROGRAM_HANDLE_ERROR);

  // Type mismatches: floats into a sampler-less vec4 are fine, a matrix or texture is not.
  CGparameter tint = cgGetNamedParameter(unloaded, "tint");
  cgGLSetStateMatrixParameter(tint, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_IDENTITY);
  EXPECT_EQ(seen_error, CG_INVALID_PARAMETER_TYPE_ERROR);
  cgGLSetTextureParameter(tint, 1);
  EXPECT_EQ(seen_error, CG_INVALID_PARAMETER_TYPE_ERROR);
  EXPECT_EQ(callback_calls, 11);
}

TEST_F(CgErrorsTest, InvalidAndStaleHandlesNeverCrash) {
  CGprogram program = Program(fragment_, kFragment);
  // A name the program lacks gives the invalid handle; everything on it is quietly ignored.
  CGparameter absent = cgGetNamedParameter(program, "no_such_parameter");
  EXPECT_EQ(absent, nullptr);
  EXPECT_EQ(cgGetNamedParameter(program, nullptr), nullptr);
  cgGLSetParameter1f(absent, 1);
  cgGLSetParameter3f(absent, 1, 2, 3);
  cgGLSetParameter4f(absent, 1, 2, 3, 4);
  cgGLSetStateMatrixParameter(absent, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE);
  cgGLSetTextureParameter(absent, 7);
  cgGLEnableTextureParameter(absent);
  cgGLDisableTextureParameter(absent);
  EXPECT_EQ(callback_calls, 0);

  // Handles of a destroyed program are refused with an error, not used.
  CGparameter tint = cgGetNamedParameter(program, "tint");
  ASSERT_NE(tint, nullptr);
  cgGLEnableProfile(fragment_);
  cgGLBindProgram(program);
  cgDestroyProgram(program);
  EXPECT_EQ(callback_calls, 0);
  cgGLSetParameter4f(tint, 1, 2, 3, 4);
  EXPECT_EQ(seen_error, CG_INVALID_PARAM_HANDLE_ERROR);
  cgGLBindProgram(program);
  EXPECT_EQ(seen_error, CG_INVALID_PROGRAM_HANDLE_ERROR);
  cgDestroyProgram(program);
  EXPECT_EQ(seen_error, CG_INVALID_PROGRAM_HANDLE_ERROR);
  EXPECT_EQ(callback_calls, 3);
  // The stage the destroyed program ran falls back to fixed function.
  EXPECT_EQ(DrawQuadAndRead(1, 1, 0, 1, 0).g, 1.0f);

  // A destroyed context's listing is empty, never a null text.
  CGcontext other = cgCreateContext();
  cgDestroyContext(other);
  EXPECT_STREQ(cgGetLastListing(other), "");
  cgDestroyContext(other);
  EXPECT_EQ(seen_error, CG_INVALID_CONTEXT_HANDLE_ERROR);
}

TEST_F(CgErrorsTest, ErrorCallbackPrintsErrorAndListingThenExitsWithZero) {
  cgSetErrorCallback(CgErrorCallback);
  cg_context = context_;
  FatalCatcher catcher;

  // Nothing pending: the callback returns quietly.
  testing::internal::CaptureStdout();
  EXPECT_EQ(catcher.Run([] { CgErrorCallback(); }), FatalCatcher::kNoExit);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  std::string path = WriteTempFile("#version 120\nvoid main() { gl_FragColor = oops; }\n");
  testing::internal::CaptureStdout();
  int status = catcher.Run([&] {
    cgCreateProgramFromFile(context_, CG_SOURCE, path.c_str(), fragment_, nullptr, nullptr);
  });
  std::string out = testing::internal::GetCapturedStdout();
  std::remove(path.c_str());
  cg_context = nullptr;
  EXPECT_EQ(status, 0);
  std::string expected_start = std::string(cgGetErrorString(CG_COMPILER_ERROR)) +
                               "\n\nDir Shader: " + path + ":\n";
  EXPECT_EQ(out.compare(0, expected_start.size(), expected_start), 0) << out;
  EXPECT_NE(out.find("oops"), std::string::npos) << out;
  const std::string tail = "\nCg error, exiting...\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  EXPECT_EQ(cgGetError(), CG_NO_ERROR);
}

}  // namespace
}  // namespace veltrane::test
