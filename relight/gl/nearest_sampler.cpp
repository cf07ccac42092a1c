#include "relight/gl/nearest_sampler.h"

#include <GL/glew.h>

namespace {

GLuint g_nearest_sampler = 0;

bool SamplersAvailable() {
  return (GLEW_VERSION_3_3 || GLEW_ARB_sampler_objects) && glGenSamplers != nullptr &&
         glBindSampler != nullptr;
}

GLuint NearestSampler() {
  if (g_nearest_sampler == 0) {
    glGenSamplers(1, &g_nearest_sampler);
    glSamplerParameteri(g_nearest_sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(g_nearest_sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(g_nearest_sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(g_nearest_sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  return g_nearest_sampler;
}

void BindOnUnits(const CGparameter params[kMapsPerPass], GLuint sampler) {
  for (int s = 0; s < kMapsPerPass; ++s) {
    if (params[s] == nullptr) continue;
    const GLenum unit = cgGLGetTextureEnum(params[s]);
    if (unit == GL_INVALID_OPERATION) continue;
    glBindSampler(unit - GL_TEXTURE0, sampler);
  }
}

}  // namespace

void BindNearestSamplers(const CGparameter params[kMapsPerPass]) {
  if (SamplersAvailable()) BindOnUnits(params, NearestSampler());
}

void UnbindNearestSamplers(const CGparameter params[kMapsPerPass]) {
  if (SamplersAvailable()) BindOnUnits(params, 0);
}
