#include "relight/gl/environment_relight_pass.h"

#include <GL/glew.h>

#include <cstdio>

#include "relight/gl/coefficient_maps.h"
#include "relight/gl/relight_pass.h"
#include "relight/globals.h"
#include "shader/cg_error_callback.h"  // cg_context

namespace {

const char kEnvironmentRelightName[] = "lightmap_relitenv16";

const char kEnvironmentRelightSource[] = R"(#version 120
#extension GL_ARB_texture_rectangle : require
// Relights one group of up to five SRBF centres under an environment: each slot's coefficient
// map times the slot's RGB weight, summed. Texel-exact lookups as in the seed's program. An
// empty slot has no texture (it reads zeros) and a zero weight, so it adds nothing without a
// flag of its own: three weights a slot cost what the seed's kernel, flag and colour cost.

uniform sampler2DRect map0;
uniform sampler2DRect map1;
uniform sampler2DRect map2;
uniform sampler2DRect map3;
uniform sampler2DRect map4;

uniform vec3 weight0;
uniform vec3 weight1;
uniform vec3 weight2;
uniform vec3 weight3;
uniform vec3 weight4;

vec3 Slot(sampler2DRect map, vec3 weight, vec2 texel) {
  return weight * texture2DRect(map, texel).rgb;
}

void main() {
  vec2 texel = gl_TexCoord[0].xy;
  vec3 sum = Slot(map0, weight0, texel) + Slot(map1, weight1, texel) + Slot(map2, weight2, texel) +
             Slot(map3, weight3, texel) + Slot(map4, weight4, texel);
  gl_FragColor = vec4(sum, 1.0);
}
)";

CGprogram program = nullptr;
CGparameter map_param[kMapsPerPass] = {};
CGparameter weight_param[kMapsPerPass] = {};

void SetSlot(int slot, unsigned int texture, const float* weight) {
  cgGLSetTextureParameter(map_param[slot], texture);
  cgGLEnableTextureParameter(map_param[slot]);
  cgGLSetParameter3f(weight_param[slot], weight[0], weight[1], weight[2]);
}

void DrawGroup(const float* rgb, int first, int end) {
  const float none[3] = {0.0f, 0.0f, 0.0f};
  const int filled = end - first;
  for (int s = 0; s < filled; ++s) SetSlot(s, G_RBF_coefficient_map[first + s], rgb + 3 * (first + s));
  for (int s = filled; s < kMapsPerPass; ++s) SetSlot(s, 0, none);
  DrawSlotsQuad(program, map_param);
}

}  // namespace

bool PrepareEnvironmentRelightProgram() {
  if (program != nullptr) return true;
  program = cgCreateProgram(cg_context, CG_SOURCE, kEnvironmentRelightSource, fragment_profile, nullptr, nullptr);
  if (program == nullptr) {
    std::fprintf(stderr, "[PrepareEnvironmentRelightProgram]: cannot compile %s\n", kEnvironmentRelightName);
    return false;
  }
  cgGLLoadProgram(program);
  char name[32];
  for (int s = 0; s < kMapsPerPass; ++s) {
    std::snprintf(name, sizeof(name), "map%d", s);
    map_param[s] = cgGetNamedParameter(program, name);
    std::snprintf(name, sizeof(name), "weight%d", s);
    weight_param[s] = cgGetNamedParameter(program, name);
  }
  return true;
}

void ForgetEnvironmentRelightProgram() { program = nullptr; }

void ShaderCgRelightWeights(const float* rgb) { RelightEveryTarget(DrawGroup, rgb); }
