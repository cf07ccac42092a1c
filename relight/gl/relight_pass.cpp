#include "relight/gl/relight_pass.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cstdio>

#include "common/fatal.h"
#include "common/heap.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/globals.h"
#include "relight/gl/nearest_sampler.h"
#include "relight/gl/pass_timer.h"
#include "relight/srbf_kernel.h"
#include "render/render_texture.h"

CGprofile fragment_profile = CG_PROFILE_UNKNOWN;

CGprogram relight_program = nullptr;
CGparameter relight_map_param[kMapsPerPass] = {};
CGparameter relight_valid_param[kMapsPerPass] = {};
CGparameter relight_evaluate_param[kMapsPerPass] = {};
CGparameter relight_lightcolor_param = nullptr;

CGparameter lightmap_width_param = nullptr;
CGparameter lightmap_height_param = nullptr;

int maps_per_pass = kMapsPerPass;
int lightmap_count = 0;
RenderTexture** rendertexture = nullptr;

float* G_SRBF_evaluation = nullptr;

namespace {

// One slot of the relighting program: its coefficient map, its kernel value and its flag.
void SetRelightSlot(int slot, unsigned int texture, float kernel_value, float valid) {
  cgGLSetTextureParameter(relight_map_param[slot], texture);
  cgGLEnableTextureParameter(relight_map_param[slot]);
  cgGLSetParameter1f(relight_evaluate_param[slot], kernel_value);
  cgGLSetParameter1f(relight_valid_param[slot], valid);
}

}  // namespace

void RenderRelightGroup(const float* kernel, int first, int end) {
  int filled = end - first;
  for (int s = 0; s < filled; ++s) {
    int c = first + s;
    SetRelightSlot(s, G_RBF_coefficient_map[c], kernel[c], 1.0f);
  }
  for (int s = filled; s < kMapsPerPass; ++s) SetRelightSlot(s, G_RBF_coefficient_map[0], kernel[0], 0.0f);
  DrawSlotsQuad(relight_program, relight_map_param);
}

namespace {

// The quad over the whole target, (-1, -1) to (1, 1) under identity matrices, with texture
// coordinates 0 .. refer_width and 0 .. refer_height: one fragment per texel, each looking up
// its own texel of the rectangle maps.
void DrawFullTargetQuad() {
  const float w = static_cast<float>(refer_width);
  const float h = static_cast<float>(refer_height);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(-1.0f, -1.0f);
  glTexCoord2f(w, 0.0f);
  glVertex2f(1.0f, -1.0f);
  glTexCoord2f(w, h);
  glVertex2f(1.0f, 1.0f);
  glTexCoord2f(0.0f, h);
  glVertex2f(-1.0f, 1.0f);
  glEnd();
}

}  // namespace

void DrawSlotsQuad(CGprogram program, const CGparameter maps[kMapsPerPass]) {
  cgGLEnableProfile(fragment_profile);
  cgGLBindProgram(program);
  BindNearestSamplers(maps);
  DrawFullTargetQuad();
  UnbindNearestSamplers(maps);
  for (int s = 0; s < kMapsPerPass; ++s) cgGLDisableTextureParameter(maps[s]);
  cgGLDisableProfile(fragment_profile);
}

void ShaderCgRelightDir(const float light_color[3], const Vec4& light_direction) {
  int n = srbf_center_count;
  if (G_SRBF_evaluation == nullptr) {
    G_SRBF_evaluation = veltrane::HeapAlloc<float>(n > 0 ? static_cast<size_t>(n) : 1);
    if (G_SRBF_evaluation == nullptr) {
      std::fprintf(stderr, "[ShaderCgRelightDir]:No memory for evaluation\n");
      veltrane::FatalExit(1);
    }
  }

  // The light direction into the eye frame, where the centre directions are.
  Vec4 p = {light_direction.x, light_direction.y, light_direction.z, 1.0f};
  Vec4 e = {};
  TransformLightEyeDir(p, e);
  VecNormalize(e);
  const float l[3] = {e.x, e.y, e.z};
  EvaluateSrbfKernels(l, n, G_SRBF_evaluation);

  cgGLSetParameter3f(relight_lightcolor_param, light_color[0], light_color[1], light_color[2]);
  RelightEveryTarget(RenderRelightGroup, G_SRBF_evaluation);
}

void RelightEveryTarget(void (*draw_group)(const float* values, int first, int end), const float* values) {
  const int n = srbf_center_count;
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, 1, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glEnable(GL_TEXTURE_CUBE_MAP);
  glEnable(GL_TEXTURE_RECTANGLE);

  cgGLSetParameter1f(lightmap_width_param, static_cast<float>(refer_width));
  cgGLSetParameter1f(lightmap_height_param, static_cast<float>(refer_height));

  for (int g = 0; g < lightmap_count; ++g) {
    const int first = g * maps_per_pass;
    const int end = first + maps_per_pass < n ? first + maps_per_pass : n;
    if (!rendertexture[g]->BeginCapture()) std::printf("Error in rendertexture->BeginCapture()\n");
    VELTRANE_PASS_TIMER_BEGIN(veltrane::kRelightPass);
    draw_group(values, first, end);
    VELTRANE_PASS_TIMER_END(veltrane::kRelightPass);
    if (!rendertexture[g]->EndCapture()) std::printf("Error in rendertexture->EndCapture()\n");
  }

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}
