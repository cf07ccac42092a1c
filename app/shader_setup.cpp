#include "app/shader_setup.h"

#include <GL/glew.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "app/float_targets.h"
#include "app/globals.h"
#include "codec/ppm.h"
#include "codec/shader_container.h"
#include "common/fatal.h"
#include "common/file_closer.h"
#include "common/heap.h"
#include "relight/gl/relight_pass.h"
#include "relight/gl/startup_profile.h"
#include "render/render_texture.h"
#include "shader/cg_error_callback.h"

namespace {

using veltrane::FilePtr;

// Paths of the compressed and the expanded source of a program.
struct ShaderPaths {
  explicit ShaderPaths(const char* name) {
    std::snprintf(compressed, sizeof(compressed), "shader/dir/%s.cgz", name);
    std::snprintf(expanded, sizeof(expanded), "shader/dir/%s.cg", name);
  }
  char compressed[256];
  char expanded[256];
};

// While it lives, a FatalExit first deletes the file and then goes on to the handler that was
// installed before (or ends the process). Guards nest.
class RemoveOnFatalExit {
 public:
  explicit RemoveOnFatalExit(const char* path)
      : path_(path), outer_(innermost_), previous_(veltrane::SetFatalHandler(&RemoveThenContinue)) {
    innermost_ = this;
  }
  ~RemoveOnFatalExit() {
    veltrane::SetFatalHandler(previous_);
    innermost_ = outer_;
  }
  RemoveOnFatalExit(const RemoveOnFatalExit&) = delete;
  RemoveOnFatalExit& operator=(const RemoveOnFatalExit&) = delete;

 private:
  static void RemoveThenContinue(int status) {
    const RemoveOnFatalExit* guard = innermost_;
    if (guard == nullptr) return;
    innermost_ = guard->outer_;
    unlink(guard->path_);  // a file only, never a directory of that name
    if (guard->previous_ != nullptr) guard->previous_(status);
  }

  static inline const RemoveOnFatalExit* innermost_ = nullptr;
  const char* path_;
  const RemoveOnFatalExit* outer_;
  veltrane::FatalHandler previous_;
};

// Expands, compiles and deletes the expanded source again.
CGprogram CreateShaderProgram(const char* name, CGprofile profile) {
  ShaderPaths paths(name);
  CGprogram program = nullptr;
  {
    // A compile or link error ends the process through the error callback; the source goes with it.
    RemoveOnFatalExit expanded(paths.expanded);
    ExpandShader(paths.compressed, paths.expanded);
    // Installed before the first program is compiled too, so that its errors are not lost.
    cgSetErrorCallback(CgErrorCallback);
    program = cgCreateProgramFromFile(cg_context, CG_SOURCE, paths.expanded, profile, nullptr, nullptr);
  }
  std::remove(paths.expanded);
  return program;
}

CGprogram SetUpProgram(const char* name, CGprofile profile) {
  CGprogram program = CreateShaderProgram(name, profile);
  cgGLLoadProgram(program);
  cgSetErrorCallback(CgErrorCallback);
  return program;
}

template <int kCount>
void LookUpFamily(CGprogram program, const char* format, CGparameter (&handles)[kCount]) {
  char name[64];
  for (int i = 0; i < kCount; ++i) {
    std::snprintf(name, sizeof(name), format, i);
    handles[i] = cgGetNamedParameter(program, name);
  }
}

struct WoodImage {
  int width = 0;
  int height = 0;
  veltrane::HeapPtr<unsigned char> bytes;
};

unsigned int MakeWoodTexture(const WoodImage& wood) {
  unsigned int texture = 0;
  glEnable(GL_TEXTURE_2D);
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Rows of 3 x width bytes follow each other without padding.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, wood.width, wood.height, 0, GL_RGB, GL_UNSIGNED_BYTE, wood.bytes.get());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return texture;
}

// Reads "wood.ppm" anew, gives its size to a program's two size parameters, uploads it as a
// texture of its own and sets that on the program's texture parameter. The pixels are freed
// before returning the texture's name.
unsigned int LoadWoodTexture(CGparameter width_param, CGparameter height_param, CGparameter texture_param) {
  WoodImage wood;
  unsigned char* bytes = nullptr;
  ReadPPM("wood.ppm", &wood.width, &wood.height, &bytes);
  wood.bytes.reset(bytes);
  // Too large a texture is refused by the driver and would leave the table invisible.
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  if (largest > 0 && (wood.width > largest || wood.height > largest)) {
    std::fprintf(stderr, "wood.ppm: %d x %d texels, larger than the driver's largest texture (%d texels a side)\n",
                 wood.width, wood.height, static_cast<int>(largest));
    veltrane::FatalExit(1);
  }
  cgGLSetParameter1f(width_param, static_cast<float>(wood.width));
  cgGLSetParameter1f(height_param, static_cast<float>(wood.height));
  const unsigned int texture = MakeWoodTexture(wood);
  cgGLSetTextureParameter(texture_param, texture);
  return texture;
}

}  // namespace

void InitCgProfiles() {
  fragment_profile = cgGLGetLatestProfile(CG_GL_FRAGMENT);
  cgGLSetOptimalOptions(fragment_profile);
  vertex_profile = cgGLGetLatestProfile(CG_GL_VERTEX);
  cgGLSetOptimalOptions(vertex_profile);
}

void ExpandShader(const char* compressed_file, const char* expanded_file) {
  FilePtr in(std::fopen(compressed_file, "rb"));
  if (!in) {
    std::fprintf(stderr, "[ExpandShader]: input file not found!\n");
    veltrane::FatalExit(1);
  }
  FilePtr out(std::fopen(expanded_file, "wb"));
  if (!out) {
    std::fprintf(stderr, "[ExpandShader]: cannot write outfile!\n");
    veltrane::FatalExit(1);
  }
  // From here a fault that ends the process takes the partly written source with it.
  RemoveOnFatalExit partial(expanded_file);
  unsigned char* buffer = nullptr;
  int length = 0;
  ReadShaderContainer(in.get(), compressed_file, &buffer, &length);
  veltrane::HeapPtr<unsigned char> payload(buffer);
  const size_t size = static_cast<size_t>(length);
  const bool written = std::fwrite(payload.get(), 1, size, out.get()) == size;
  if (std::fclose(out.release()) != 0 || !written) {
    std::fprintf(stderr, "[ExpandShader]: cannot write outfile!\n");
    veltrane::FatalExit(1);
  }
}

void InitRelightProgram() {
  cg_context = cgCreateContext();
  relight_program = SetUpProgram("lightmap_relitdir16", fragment_profile);
  LookUpFamily(relight_program, "map%d", relight_map_param);
  LookUpFamily(relight_program, "RBFmap%d_Valid", relight_valid_param);
  LookUpFamily(relight_program, "R_evaluate_%d", relight_evaluate_param);
  relight_lightcolor_param = cgGetNamedParameter(relight_program, "lightcolor");
}

void InitDrawSceneProgram() {
  draw_scene_program = SetUpProgram("draw_scene", fragment_profile);
  scene_texture_param = cgGetNamedParameter(draw_scene_program, "texture_scene");
}

void InitLightmapMappingProgram() {
  lightmap_mapping_program = SetUpProgram("lightmap_mapping", fragment_profile);
  LookUpFamily(lightmap_mapping_program, "lightmap%d", lightmap_param);
  lightmap_width_param = cgGetNamedParameter(lightmap_mapping_program, "lightmap_width");
  lightmap_height_param = cgGetNamedParameter(lightmap_mapping_program, "lightmap_height");
  lightmap_wood_texture_param = cgGetNamedParameter(lightmap_mapping_program, "wood_texture");
  lightmap_woodtext_width_param = cgGetNamedParameter(lightmap_mapping_program, "woodtext_Width");
  lightmap_woodtext_height_param = cgGetNamedParameter(lightmap_mapping_program, "woodtext_Height");
  lightmap_on_param = cgGetNamedParameter(lightmap_mapping_program, "lightmapOn");
  veltrane::MarkStartupStep("program lightmap_mapping");

  table_wood_texture =
      LoadWoodTexture(lightmap_woodtext_width_param, lightmap_woodtext_height_param, lightmap_wood_texture_param);
  veltrane::MarkStartupStep("wood texture");
}

void InitTableFragProgram() {
  table_frag_program = SetUpProgram("table_frag", fragment_profile);
  table_woodtexture_param = cgGetNamedParameter(table_frag_program, "woodtexture");
  table_woodtext_width_param = cgGetNamedParameter(table_frag_program, "woodtext_width");
  table_woodtext_height_param = cgGetNamedParameter(table_frag_program, "woodtext_height");
  veltrane::MarkStartupStep("program table_frag");

  // The second copy goes onto the light-mapping program's parameter, replacing the first, which
  // becomes the table program's texture.
  lightmap_wood_texture =
      LoadWoodTexture(table_woodtext_width_param, table_woodtext_height_param, lightmap_wood_texture_param);
  cgGLSetTextureParameter(table_woodtexture_param, table_wood_texture);
  veltrane::MarkStartupStep("wood texture");
}

void InitTableVertProgram() {
  table_vert_program = SetUpProgram("table_vert", vertex_profile);
  table_model_view_proj_param = cgGetNamedParameter(table_vert_program, "modelViewProj");
  table_light_dir_param = cgGetNamedParameter(table_vert_program, "lightDir");
}

void InitAngelPrograms() {
  angel_vert_program = CreateShaderProgram("angel_vert", vertex_profile);
  angel_frag_program = CreateShaderProgram("angel_frag", fragment_profile);
  cgGLLoadProgram(angel_vert_program);
  cgGLLoadProgram(angel_frag_program);
  cgSetErrorCallback(CgErrorCallback);
  angel_model_to_view_param = cgGetNamedParameter(angel_vert_program, "model2View");
  angel_model_view_proj_param = cgGetNamedParameter(angel_vert_program, "modelViewProj");
  angel_model_to_view_it_param = cgGetNamedParameter(angel_vert_program, "model2ViewIT");
  angel_light_dir_param = cgGetNamedParameter(angel_vert_program, "lightDir");
  angel_refraction_param = cgGetNamedParameter(angel_frag_program, "texture4refraction");
  veltrane::MarkStartupStep("programs angel_vert, angel_frag");

  angelfrag_rendertexture = new RenderTexture(window_width, window_height, true, false);
  InitializeFloatTarget(angelfrag_rendertexture);
  veltrane::MarkStartupStep("refraction render target");
}
