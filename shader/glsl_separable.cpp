#include "shader/glsl_separable.h"

#include <limits>
#include <string>
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

std::string StageLine(GLenum stage) {
  return stage == GL_VERTEX_SHADER     ? "\n\n// veltrane: vertex stage\n"
         : stage == GL_FRAGMENT_SHADER ? "\n\n// veltrane: fragment stage\n"
                                       : "\n\n// veltrane: stage " + std::to_string(stage) + "\n";
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
  // Mesa's shader cache knows a source by its text alone: once a text has compiled for one
  // stage, compiling the same text for another stage is skipped as already known to succeed,
  // and the real compile happens inside the link, where a vertex source given to the fragment
  // stage crashes the driver or yields a misleading listing. A line naming the stage, after
  // the source so that its line numbers stay, makes the text differ between stages.
  const std::string stage_line = StageLine(stage);
  const GLchar* texts[2] = {source.data(), stage_line.data()};
  const GLint lengths[2] = {static_cast<GLint>(source.size()), static_cast<GLint>(stage_line.size())};
  glShaderSource(shader, 2, texts, lengths);
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
