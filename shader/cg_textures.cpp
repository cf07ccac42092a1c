// Texture parameters. Every sampler of a program has its own texture unit, fixed when the
// program was made; enabling the parameter binds its texture there with the target that the
// sampler's type implies, disabling it unbinds that unit again.
#include "shader/cg_objects.h"

namespace {

bool UsableSampler(CGparameter param) {
  if (!veltrane::cg::UsableParameter(param)) return false;
  if (param->texture_target == 0) {
    veltrane::cg::RaiseError(CG_INVALID_PARAMETER_TYPE_ERROR);
    return false;
  }
  return true;
}

// Leaves unit 0 active, as the callers expect after any texture parameter call.
void BindOnUnit(CGparameter param, GLuint texture) {
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(param->unit));
  glBindTexture(param->texture_target, texture);
  glActiveTexture(GL_TEXTURE0);
}

}  // namespace

void cgGLSetTextureParameter(CGparameter param, GLuint texture) {
  if (UsableSampler(param)) param->texture = texture;
}

void cgGLEnableTextureParameter(CGparameter param) {
  if (UsableSampler(param)) BindOnUnit(param, param->texture);
}

void cgGLDisableTextureParameter(CGparameter param) {
  if (UsableSampler(param)) BindOnUnit(param, 0);
}

GLenum cgGLGetTextureEnum(CGparameter param) {
  if (!UsableSampler(param)) return GL_INVALID_OPERATION;
  return GL_TEXTURE0 + static_cast<GLenum>(param->unit);
}
