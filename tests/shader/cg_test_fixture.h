// Shared by the shader runtime tests: a GL window, a fresh Cg context per test, programs made
// from source text, and a pixel read back after drawing a quad over a small viewport.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

#include "shader/cg_runtime.h"

namespace veltrane::test {

class CgTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes source to a temporary file and creates (and loads) a program from it; the file is
  // removed again before this returns.
  CGprogram Program(CGprofile profile, const std::string& source, bool load = true);

  CGcontext context_ = nullptr;
  CGprofile vertex_ = CG_PROFILE_UNKNOWN;
  CGprofile fragment_ = CG_PROFILE_UNKNOWN;
};

// Path of a temporary file holding text; the caller removes it.
std::string WriteTempFile(const std::string& text);

// Clears, draws one quad over the whole 8 x 8 viewport with identity matrices, texture
// coordinates (0,0)..(tex_w,tex_h) and colour (r,g,b), and reads back the centre pixel.
struct Rgba {
  float r, g, b, a;
};
Rgba DrawQuadAndRead(float tex_w = 1, float tex_h = 1, float r = 1, float g = 1, float b = 1);

}  // namespace veltrane::test
