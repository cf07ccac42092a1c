#include "app/startup.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/description_check.h"
#include "app/float_targets.h"
#include "app/globals.h"
#include "app/scene_object.h"
#include "app/shader_setup.h"
#include "common/fatal.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/description.h"
#include "relight/globals.h"
#include "relight/gl/relight_pass.h"
#include "relight/gl/startup_profile.h"
#include "render/render_texture.h"
#include "shader/cg_error_callback.h"
#include "shader/glew_loader.h"

RelightDescription* LoadDescription(const char* file_name) {
  std::unique_ptr<RelightDescription> description(new RelightDescription());
  int result = description->Read(file_name);
  if (!CheckDescription(*description, result, file_name, stderr)) veltrane::FatalExit(1);

  light_eye_transform.Allocate(4, 4);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) light_eye_transform.data[r][c] = description->light_eye_transform[r][c];
  }
  refer_width = description->refer_width;
  refer_height = description->refer_height;
  srbf_center_count = description->srbf_center_count;
  srbf_spread = description->srbf_spread;
  std::strcpy(encoded_file_name, description->encoded_file);
  std::strcpy(base_path, description->base_path);
  veltrane::MarkStartupStep("description");
  return description.release();
}

RelightDescription* LoadViewerDescription(const char* file_name) {
  RelightDescription* description = LoadDescription(file_name);
  CheckCoefficientFileCapacity(encoded_file_name, refer_width, refer_height, srbf_center_count);
  veltrane::MarkStartupStep("data-size check");
  if (HasModelFile(*description)) {
    LoadSceneObject(description->model_file);
    veltrane::MarkStartupStep("object file");
  }
  // The coefficient maps are decoded beside the window's and the programs' set-up.
  StartLoadingRBFMap(encoded_file_name, refer_width, refer_height, srbf_center_count);
  window_width = refer_width;
  window_height = refer_height;
  return description;
}

void InitScene(RelightDescription* description) {
  light_color[0] = light_color[1] = light_color[2] = 1.0f;
  InitLighting();
  InitGlew();
  InitCgProfiles();
  veltrane::MarkStartupStep("lighting, GLEW, profiles");

  InitRelightProgram();
  veltrane::MarkStartupStep("program lightmap_relitdir16");
  InitDrawSceneProgram();
  veltrane::MarkStartupStep("program draw_scene");
  InitLightmapMappingProgram();
  InitTableFragProgram();
  InitTableVertProgram();
  veltrane::MarkStartupStep("program table_vert");
  InitAngelPrograms();
  UploadSceneObject();

  {
    std::unique_ptr<RelightDescription> record(description);
    LoadPrepareRBFMap(encoded_file_name, refer_width, refer_height, srbf_center_count, *record);
  }

  lightmap_count = (srbf_center_count + maps_per_pass - 1) / maps_per_pass;
  rendertexture = static_cast<RenderTexture**>(std::calloc(lightmap_count > 0 ? lightmap_count : 1, sizeof(RenderTexture*)));
  if (rendertexture == nullptr) {
    std::fprintf(stderr, "[InitScene]: No memory for rendertexture\n");
    veltrane::FatalExit(1);
  }
  for (int i = 0; i < lightmap_count; ++i) {
    rendertexture[i] = new RenderTexture(refer_width, refer_height, true, false);
    InitializeFloatTarget(rendertexture[i]);
  }
  veltrane::MarkStartupStep("light-map render targets");
}

void InitLighting() {
  const GLfloat ambient[4] = {0.1f, 0.1f, 1.1f, 1.0f};
  const GLfloat diffuse[4] = {1.2f, 1.2f, 1.2f, 1.0f};
  const GLfloat specular[4] = {0.9f, 0.9f, 0.9f, 0.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
}

void InitGlew() {
  GLenum error = veltrane::InitGlewForCurrentContext();
  if (error != 0) std::fprintf(stderr, "Error: %s\n", reinterpret_cast<const char*>(glewGetErrorString(error)));
}

void PrintUsage() {
  std::printf("\n\nUSAGE:\n\n");
  std::printf("  By default, a directional light source moves around and illuminates\n");
  std::printf("  the scene.\n\n");
  std::printf("  Press \"a\" or \"A\" to pause/resume light source movement.\n");
  std::printf("  Press \"p\" or \"P\" to calculate fps.\n\n\n");
  std::printf("  Click-drag left  button to rotate.\n");
  std::printf("  Click-drag right button to zoom in and out.\n");
}

void Cleanup() {
  cgDestroyContext(cg_context);
  for (int i = 0; i < lightmap_count; ++i) {
    delete rendertexture[i];
    rendertexture[i] = nullptr;
  }
  delete angelfrag_rendertexture;
  angelfrag_rendertexture = nullptr;
}
