#include "app/display.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cstdio>

#include "app/globals.h"
#include "app/light_choice.h"
#include "app/model_drawing.h"
#include "app/startup.h"
#include "app/window_operations.h"
#include "relight/gl/pass_timer.h"
#include "relight/gl/startup_profile.h"
#include "relight/gl/relight_pass.h"
#include "render/render_texture.h"

void SetupView() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  aspect_ratio = static_cast<double>(window_width) / static_cast<double>(window_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(30.0, aspect_ratio, 1.0, 60.0);
  glViewport(0, 0, window_width, window_height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(view_translation[0], view_translation[1], view_translation[2]);
  glRotatef(view_rot_x, 1.0f, 0.0f, 0.0f);
  glRotatef(20.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(view_rot_y, 0.0f, 1.0f, 0.0f);
  glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
  glScalef(2.5f, 2.5f, 2.5f);
  const GLfloat material[4] = {0.0f, 1.0f, 1.0f, 0.0f};
  glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, material);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 20.0f);
}

void BindLightmaps() {
  for (int i = 0; i < lightmap_count; ++i) {
    cgGLSetTextureParameter(lightmap_param[i], rendertexture[i]->GetTextureName());
    cgGLEnableTextureParameter(lightmap_param[i]);
  }
}

void ReleaseLightmaps() {
  for (int i = 0; i < lightmap_count; ++i) cgGLDisableTextureParameter(lightmap_param[i]);
}

namespace {

void DrawLightMappedTop() {
  cgGLEnableTextureParameter(lightmap_wood_texture_param);
  cgGLEnableProfile(fragment_profile);
  cgGLBindProgram(lightmap_mapping_program);
  DrawTableTop();
  ReleaseLightmaps();
  cgGLDisableTextureParameter(lightmap_wood_texture_param);
  cgGLDisableProfile(fragment_profile);
}

// The table alone, with fixed-function vertices lit by light 0, for the angel's refraction.
void CapturePass() {
  if (!angelfrag_rendertexture->BeginCapture()) std::printf("Error in angelfrag_rendertexture->BeginCapture()\n");
  VELTRANE_PASS_TIMER_BEGIN(veltrane::kCapturePass);
  SetupView();
  InitLighting();
  glDisable(GL_CULL_FACE);

  BindLightmaps();
  DrawLightMappedTop();

  cgGLEnableTextureParameter(table_woodtexture_param);
  cgGLEnableProfile(fragment_profile);
  cgGLBindProgram(table_frag_program);
  DrawTableRest();
  cgGLDisableTextureParameter(table_woodtexture_param);
  cgGLDisableProfile(fragment_profile);

  glFlush();
  VELTRANE_PASS_TIMER_END(veltrane::kCapturePass);
  if (!angelfrag_rendertexture->EndCapture()) std::printf("Error in angelfrag_rendertexture->EndCapture()\n");
}

void ScreenPass() {
  VELTRANE_PASS_TIMER_BEGIN(veltrane::kScreenPass);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  SetupView();

  BindLightmaps();
  cgGLSetParameter1f(lightmap_on_param, 1.0f);
  DrawLightMappedTop();

  cgGLEnableTextureParameter(table_woodtexture_param);
  cgGLEnableProfile(fragment_profile);
  cgGLBindProgram(table_frag_program);
  cgGLSetStateMatrixParameter(table_model_view_proj_param, CG_GL_MODELVIEW_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY);
  cgGLSetParameter3f(table_light_dir_param, light_dir.x, light_dir.y, light_dir.z);
  cgGLEnableProfile(vertex_profile);
  cgGLBindProgram(table_vert_program);
  DrawTableRest();
  cgGLDisableProfile(fragment_profile);
  cgGLDisableProfile(vertex_profile);
  cgGLDisableTextureParameter(table_woodtexture_param);

  cgGLSetStateMatrixParameter(angel_model_view_proj_param, CG_GL_MODELVIEW_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY);
  cgGLSetStateMatrixParameter(angel_model_to_view_param, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_IDENTITY);
  cgGLSetStateMatrixParameter(angel_model_to_view_it_param, CG_GL_MODELVIEW_MATRIX, CG_GL_MATRIX_INVERSE_TRANSPOSE);
  cgGLSetParameter4f(angel_light_dir_param, light_dir.x, light_dir.y, light_dir.z, 1.0f);
  cgGLEnableProfile(vertex_profile);
  cgGLBindProgram(angel_vert_program);
  cgGLSetTextureParameter(angel_refraction_param, angelfrag_rendertexture->GetTextureName());
  cgGLEnableTextureParameter(angel_refraction_param);
  cgGLEnableProfile(fragment_profile);
  cgGLBindProgram(angel_frag_program);
  DrawAngel();
  cgGLDisableTextureParameter(angel_refraction_param);
  cgGLDisableProfile(vertex_profile);
  cgGLDisableProfile(fragment_profile);
  VELTRANE_PASS_TIMER_END(veltrane::kScreenPass);
}


}  // namespace

void Display() {
  int previous_window = GetCurrentWindow();
  SetCurrentWindow(window_id);

  if (!RelightChosenLight()) ShaderCgRelightDir(light_color, light_dir);
  glFlush();
  CapturePass();
  ScreenPass();

  glFlush();
  SwapWindowBuffers();
  veltrane::StartupFrameDone();
  if (previous_window != 0) SetCurrentWindow(previous_window);
}
