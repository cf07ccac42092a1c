// GLSL separable programs: one shader stage compiled and linked alone, so that programs of
// different stages can be combined in a program pipeline.
#pragma once

#include <GL/glew.h>

#include <string>

namespace veltrane::cg {

// Compiles source as a shader of the given stage (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER) and
// links it alone into a separable program. Appends the compile and link logs to log. Returns
// the program, or 0 when compiling or linking failed.
GLuint BuildSeparableProgram(GLenum stage, const std::string& source, std::string* log);

}  // namespace veltrane::cg
