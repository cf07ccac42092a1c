// Frames under the seed's light against frames under the built-in sky and an environment image,
// in the same process on veltrane-headless's EGL window: rounds of 10 frames of each light in
// turn (glFinish after each round), so that all lights share whatever else loads the machine.
// Prints the median time per frame of each light and the median over the rounds of each light's
// frame rate over the seed's. Run in a run directory; the image is environment/studio.exr
// (made there if missing). Not a Google Benchmark: arguments [ROUNDS] (default 30).
#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/display.h"
#include "app/globals.h"
#include "app/headless/offscreen_window.h"
#include "app/light_choice.h"
#include "app/startup.h"
#include "relight/gl/environment_relight_pass.h"
#include "relight/gl/relight_pass.h"
#include "relight/globals.h"
#include "codec/environment_file_writer.h"
#include "render/default_render_platform.h"
#include "render/egl_render_platform.h"
#include "render/egl_session.h"
#include "relight/studio_environment.h"
#include "shader/glew_loader.h"

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

double RoundSeconds() {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) Display();
  glFinish();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 10.0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  const std::string image = "environment/studio.exr";
  struct stat info;
  if (stat(image.c_str(), &info) != 0) {
    mkdir("environment", 0755);
    if (!veltrane::WriteEnvironmentFile(image, veltrane::StudioEnvironment(1024, 512))) {
      std::fprintf(stderr, "cannot write %s\n", image.c_str());
      return 1;
    }
  }
  RelightDescription* description = LoadViewerDescription("lightmap.qdx");
  veltrane::EglSession session;
  std::string error;
  if (!session.Open(-1, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  veltrane::InitGlewForCurrentContext();
  OffscreenWindow window;
  if (!window.Create(window_width, window_height)) return 1;
  veltrane::SetDefaultRenderPlatform(veltrane::GetEglRenderPlatform());
  UseOffscreenWindowOperations(&window, 1);
  window_id = 1;
  InitScene(description);

  const char* lights[3] = {"seed", "sky", image.c_str()};
  std::vector<double> seconds[3], ratio[2];
  for (int r = 0; r < rounds + 1; ++r) {
    double t[3];
    for (int k = 0; k < 3; ++k) {
      const int l = (k + r) % 3;  // each light first in a third of the rounds
      if (!ChooseLight(lights[l], 0.0)) return 1;
      t[l] = RoundSeconds();
    }
    if (r == 0) continue;  // the first round warms the caches and compiles
    for (int l = 0; l < 3; ++l) seconds[l].push_back(t[l]);
    for (int l = 1; l < 3; ++l) ratio[l - 1].push_back(t[0] / t[l]);
  }
  // The relighting pass alone, both programs in turns.
  {
    std::vector<double> dir_s, env_s;
    std::vector<float> rgb(3 * static_cast<size_t>(srbf_center_count), 0.5f);
    const float white[3] = {1, 1, 1};
    std::vector<double> pass_ratio;
    for (int r = 0; r < rounds; ++r) {
      double t[2];
      for (int k = 0; k < 2; ++k) {
        const int which = (k + r) % 2;  // each program first in half the rounds
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i) {
          if (which == 0) {
            ShaderCgRelightDir(white, light_dir);
          } else {
            ShaderCgRelightWeights(rgb.data());
          }
        }
        glFinish();
        t[which] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 10.0;
      }
      dir_s.push_back(t[0]);
      env_s.push_back(t[1]);
      pass_ratio.push_back(t[0] / t[1]);
    }
    std::printf("relighting pass alone: seed's program %.2f ms, RGB weights %.2f ms; rate over the seed's, median "
                "of the rounds: %.3f\n", 1e3 * Median(dir_s), 1e3 * Median(env_s), Median(pass_ratio));
  }
  std::printf("%d rounds of 10 frames: seed %.2f ms, sky %.2f ms, image %.2f ms a frame\n", rounds,
              1e3 * Median(seconds[0]), 1e3 * Median(seconds[1]), 1e3 * Median(seconds[2]));
  std::printf("frame rate over the seed's, median of the rounds: sky %.3f, image %.3f\n", Median(ratio[0]),
              Median(ratio[1]));
  Cleanup();
  return 0;
}
