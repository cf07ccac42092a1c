// Shared by the shader runtime tests: a GL window, a fresh Cg context per test, programs made
// from source text, textures, and a pixel read back after drawing a quad.
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
  // Creates and loads a program from a file.
  CGprogram Load(const std::string& path, CGprofile profile);
  // Creates and loads a program from source text, through a temporary file.
  CGprogram Program(CGprofile profile, const std::string& source);
  // Creates and loads a program from a file under data/shaders.
  CGprogram Shader(const char* name, CGprofile profile);

  CGcontext context_ = nullptr;
  CGprofile vertex_ = CG_PROFILE_UNKNOWN;
  CGprofile fragment_ = CG_PROFILE_UNKNOWN;
};

// Path of a new temporary file holding text; the caller removes it.
std::string WriteTempFile(const std::string& text);

// An 8 x 8 float texture whose texel (s, t) holds (s, t, 1) * scale: a read of the wrong
// texel shows.
GLuint PositionTexture(GLenum target, float scale);

// Draws one quad over an 8 x 8 viewport with identity matrices, texture coordinates
// (0,0)..(tex_w,tex_h) and colour (r,g,b); returns pixel (4, 4) of the back buffer or of the
// bound framebuffer.
struct Rgba {
  float r, g, b, a;
};
Rgba DrawQuadAndRead(float tex_w = 1, float tex_h = 1, float r = 1, float g = 1, float b = 1);

}  // namespace veltrane::test
