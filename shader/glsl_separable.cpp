#include "shader/glsl_separable.h"

#include <limits>
#include <vector>

#include "shader/cg_objects.h"

namespace veltrane::cg {
namespace {

void AppendLog(GLuint object, bool is_program, std::string* log) {
  GLint length = 0;
  if (is_program) {
    glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
  } else {
    glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  }
  if (length <= 1) return;
  std::vector<GLchar> text(static_cast<size_t>(length));
  GLsizei written = 0;
  if (is_program) {
    glGetProgramInfoLog(object, length, &written, text.data());
  } else {
    glGetShaderInfoLog(object, length, &written, text.data());
  }
  if (written <= 0) return;
  log->append(text.data(), static_cast<size_t>(written));
  if (log->back() != '\n') log->push_back('\n');
}

}  // namespace

bool SeparableProgramsAvailable() {
  return glCreateShader && glShaderSource && glCompileShader && glGetShaderiv &&
         glGetShaderInfoLog && glDeleteShader && glCreateProgram && glProgramParameteri &&
         glAttachShader && glDetachShader && glLinkProgram && glGetProgramiv &&
         glGetProgramInfoLog && glDeleteProgram && glGetActiveUniform && glGetUniformLocation &&
         glGetUniformfv && glProgramUniform1i && glProgramUniform1fv && glProgramUniform2fv &&
         glProgramUniform3fv && glProgramUniform4fv && glProgramUniformMatrix4fv &&
         glGenProgramPipelines && glBindProgramPipeline && glUseProgramStages &&
         glUseProgram && glActiveTexture;
}

GLuint BuildSeparableProgram(GLenum stage, const std::string& source, std::string* log) {
  if (source.size() > static_cast<size_t>(std::numeric_limits<GLint>::max())) {
    log->append("source too long\n");
    return 0;
  }
  GLuint shader = glCreateShader(stage);
  if (shader == 0) {
    log->append("no shader object could be created (is a GL context current?)\n");
    return 0;
  }
  const GLchar* text = source.data();
  GLint length = static_cast<GLint>(source.size());
  glShaderSource(shader, 1, &text, &length);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  AppendLog(shader, false, log);
  if (compiled != GL_TRUE) {
    glDeleteShader(shader);
    return 0;
  }

  GLuint program = glCreateProgram();
  if (program == 0) {
    glDeleteShader(shader);
    log->append("no program object could be created\n");
    return 0;
  }
  glProgramParameteri(program, GL_PROGRAM_SEPARABLE, GL_TRUE);
  glAttachShader(program, shader);
  glLinkProgram(program);
  glDetachShader(program, shader);
  glDeleteShader(shader);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  AppendLog(program, true, log);
  if (linked != GL_TRUE) {
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

}  // namespace veltrane::cg
