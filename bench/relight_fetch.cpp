// What the relighting's texel fetches alone cost on this driver: five full-target quads, each
// summing five RGB16F rectangle textures (nearest lookups at texel centres, as the viewer's
// relighting program does) into an RGB32F framebuffer object, against the same quads with a
// program that only adds the five weights. Arguments: fetch (1) or constant (0), target size.
// bench/viewer_fps.sh takes the difference as the fetch cost that no viewer frame can avoid.
// Needs an X display.
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_window.h"

namespace {

constexpr int kGroups = 5;
constexpr int kSlots = 5;

const char* const kFetchSource = R"(#version 120
#extension GL_ARB_texture_rectangle : require
uniform sampler2DRect map0, map1, map2, map3, map4;
uniform float weight[5];
void main() {
  vec2 t = gl_TexCoord[0].xy;
  vec3 sum = weight[0] * texture2DRect(map0, t).rgb + weight[1] * texture2DRect(map1, t).rgb +
             weight[2] * texture2DRect(map2, t).rgb + weight[3] * texture2DRect(map3, t).rgb +
             weight[4] * texture2DRect(map4, t).rgb;
  gl_FragColor = vec4(sum, 1.0);
}
)";

const char* const kConstantSource = R"(#version 120
uniform float weight[5];
void main() {
  gl_FragColor = vec4(vec3(weight[0] + weight[1] + weight[2] + weight[3] + weight[4]), 1.0);
}
)";

GLuint Program(const char* source) {
  GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLuint program = glCreateProgram();
  glAttachShader(program, shader);
  glLinkProgram(program);
  glDeleteShader(shader);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

void BM_RelightGroups(benchmark::State& state) {
  if (!OpenBenchWindow()) {
    state.SkipWithError("no X display");
    return;
  }
  const bool fetch = state.range(0) != 0;
  const int size = static_cast<int>(state.range(1));
  GLuint program = Program(fetch ? kFetchSource : kConstantSource);
  if (program == 0) {
    state.SkipWithError("the program did not build");
    return;
  }

  // 25 distinct coefficient maps and five targets, as the viewer has at N = 25.
  std::vector<float> texels(static_cast<size_t>(size) * size * 3);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<float>(i % 97) / 97.0f;
  GLuint maps[kGroups * kSlots], targets[kGroups], framebuffers[kGroups];
  glGenTextures(kGroups * kSlots, maps);
  for (GLuint map : maps) {
    glBindTexture(GL_TEXTURE_RECTANGLE, map);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_RECTANGLE, 0, GL_RGB16F, size, size, 0, GL_RGB, GL_FLOAT, texels.data());
  }
  glGenTextures(kGroups, targets);
  glGenFramebuffers(kGroups, framebuffers);
  for (int g = 0; g < kGroups; ++g) {
    glBindTexture(GL_TEXTURE_RECTANGLE, targets[g]);
    glTexImage2D(GL_TEXTURE_RECTANGLE, 0, GL_RGB32F, size, size, 0, GL_RGB, GL_FLOAT, nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[g]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_RECTANGLE, targets[g], 0);
  }
  glBindTexture(GL_TEXTURE_RECTANGLE, 0);

  glUseProgram(program);
  const float weights[kSlots] = {0.1f, 0.2f, 0.3f, 0.2f, 0.1f};
  glUniform1fv(glGetUniformLocation(program, "weight"), kSlots, weights);
  for (int s = 0; s < kSlots; ++s) {
    const std::string name = "map" + std::to_string(s);
    glUniform1i(glGetUniformLocation(program, name.c_str()), s);
  }
  glViewport(0, 0, size, size);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float s = static_cast<float>(size);

  for (auto _ : state) {
    for (int g = 0; g < kGroups; ++g) {
      glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[g]);
      for (int slot = 0; slot < kSlots; ++slot) {
        glActiveTexture(GL_TEXTURE0 + slot);
        glBindTexture(GL_TEXTURE_RECTANGLE, maps[g * kSlots + slot]);
      }
      glBegin(GL_QUADS);
      glTexCoord2f(0, 0);
      glVertex2f(-1, -1);
      glTexCoord2f(s, 0);
      glVertex2f(1, -1);
      glTexCoord2f(s, s);
      glVertex2f(1, 1);
      glTexCoord2f(0, s);
      glVertex2f(-1, 1);
      glEnd();
    }
    glFinish();
  }

  for (int slot = 0; slot < kSlots; ++slot) {
    glActiveTexture(GL_TEXTURE0 + slot);
    glBindTexture(GL_TEXTURE_RECTANGLE, 0);
  }
  glActiveTexture(GL_TEXTURE0);
  glUseProgram(0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(kGroups, framebuffers);
  glDeleteTextures(kGroups, targets);
  glDeleteTextures(kGroups * kSlots, maps);
  glDeleteProgram(program);
}
BENCHMARK(BM_RelightGroups)
    ->ArgNames({"fetch", "size"})
    ->ArgsProduct({{0, 1}, {256, 512, 1024}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
