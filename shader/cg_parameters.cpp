// Parameters: the active uniforms of a program, found by name, and their float values.
#include <algorithm>
#include <cstring>
#include <vector>

#include "shader/cg_objects.h"

using veltrane::cg::RaiseError;

namespace veltrane::cg {
namespace {

struct UniformType {
  GLenum gl_type;
  int float_count;
  GLenum texture_target;
};

constexpr UniformType kUniformTypes[] = {
    {GL_FLOAT, 1, 0},
    {GL_FLOAT_VEC2, 2, 0},
    {GL_FLOAT_VEC3, 3, 0},
    {GL_FLOAT_VEC4, 4, 0},
    {GL_FLOAT_MAT4, 16, 0},
    {GL_SAMPLER_1D, 0, GL_TEXTURE_1D},
    {GL_SAMPLER_2D, 0, GL_TEXTURE_2D},
    {GL_SAMPLER_3D, 0, GL_TEXTURE_3D},
    {GL_SAMPLER_CUBE, 0, GL_TEXTURE_CUBE_MAP},
    {GL_SAMPLER_2D_RECT, 0, GL_TEXTURE_RECTANGLE},
};

const UniformType* FindUniformType(GLenum gl_type) {
  for (const UniformType& t : kUniformTypes) {
    if (t.gl_type == gl_type) return &t;
  }
  return nullptr;
}

}  // namespace

void CollectParameters(CGprogram program) {
  GLuint gl_program = program->gl_program;
  GLint count = 0;
  GLint max_length = 0;
  glGetProgramiv(gl_program, GL_ACTIVE_UNIFORMS, &count);
  glGetProgramiv(gl_program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &max_length);
  std::vector<GLchar> name(static_cast<size_t>(std::max(max_length, 1)) + 1);
  GLint next_unit = 0;
  for (GLint i = 0; i < count; ++i) {
    GLsizei length = 0;
    GLint size = 0;
    GLenum gl_type = 0;
    glGetActiveUniform(gl_program, static_cast<GLuint>(i), static_cast<GLsizei>(name.size() - 1),
                       &length, &size, &gl_type, name.data());
    std::string uniform(name.data(), static_cast<size_t>(std::max(length, 0)));
    if (uniform.compare(0, 3, "gl_") == 0) continue;  // GL state, not a parameter
    GLint location = glGetUniformLocation(gl_program, uniform.c_str());
    if (location < 0) continue;  // a member of a uniform block
    // An array is found by its bare name and set through its first element.
    if (uniform.size() > 3 && uniform.compare(uniform.size() - 3, 3, "[0]") == 0) {
      uniform.resize(uniform.size() - 3);
    }

    auto param = std::make_unique<_CGparameter>();
    param->program = program;
    param->name = uniform;
    param->gl_type = gl_type;
    param->location = location;
    if (const UniformType* type = FindUniformType(gl_type)) {
      param->float_count = type->float_count;
      param->texture_target = type->texture_target;
    }
    if (param->float_count > 0) glGetUniformfv(gl_program, location, param->value);
    if (param->texture_target != 0) {
      param->unit = next_unit++;
      glProgramUniform1i(gl_program, location, param->unit);
    }
    AddLive(param.get(), HandleKind::kParameter);
    program->parameters.push_back(std::move(param));
  }
}

void UploadValue(CGparameter param) {
  GLuint gl_program = param->program->gl_program;
  switch (param->float_count) {
    case 1: glProgramUniform1fv(gl_program, param->location, 1, param->value); break;
    case 2: glProgramUniform2fv(gl_program, param->location, 1, param->value); break;
    case 3: glProgramUniform3fv(gl_program, param->location, 1, param->value); break;
    case 4: glProgramUniform4fv(gl_program, param->location, 1, param->value); break;
    case 16:
      glProgramUniformMatrix4fv(gl_program, param->location, 1, GL_FALSE, param->value);
      break;
    default: break;
  }
}

// Values live in the program object, which contexts share, but a driver may keep a copy per
// context and renew it only when a value changes while that context is current (Mesa does):
// a context that drew with the program before would go on with the old values. Changing one
// value there and back, with the context current, makes it take the program's values anew.
void RefreshValuesInCurrentContext(CGprogram program) {
  for (const auto& param : program->parameters) {
    if (param->float_count == 0) continue;
    float kept = param->value[0];
    param->value[0] = kept == 0.0f ? 1.0f : 0.0f;
    UploadValue(param.get());
    param->value[0] = kept;
    UploadValue(param.get());
    return;
  }
}

}  // namespace veltrane::cg

namespace {

// Sets the first values of a float or vector parameter; the components that are not given
// keep their values, and values beyond the parameter's components are dropped.
void SetFloats(CGparameter param, const float* values, int count) {
  if (!veltrane::cg::UsableParameter(param)) return;
  if (param->float_count < 1 || param->float_count > 4) {
    RaiseError(CG_INVALID_PARAMETER_TYPE_ERROR);
    return;
  }
  std::memcpy(param->value, values, sizeof(float) * std::min(count, param->float_count));
  veltrane::cg::UploadValue(param);
}

}  // namespace

CGparameter cgGetNamedParameter(CGprogram program, const char* name) {
  if (!veltrane::cg::IsLiveProgram(program)) {
    RaiseError(CG_INVALID_PROGRAM_HANDLE_ERROR);
    return nullptr;
  }
  if (name == nullptr) return nullptr;
  for (const auto& param : program->parameters) {
    if (param->name == name) return param.get();
  }
  return nullptr;
}

void cgGLSetParameter1f(CGparameter param, float x) {
  const float values[] = {x};
  SetFloats(param, values, 1);
}

void cgGLSetParameter3f(CGparameter param, float x, float y, float z) {
  const float values[] = {x, y, z};
  SetFloats(param, values, 3);
}

void cgGLSetParameter4f(CGparameter param, float x, float y, float z, float w) {
  const float values[] = {x, y, z, w};
  SetFloats(param, values, 4);
}
