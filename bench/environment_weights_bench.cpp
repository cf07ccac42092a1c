// The cost of lighting by a whole environment, for N = 25 lobes of the default data set's spread
// on one core: the weights of one frame (an environment image at some turn; the sky with its
// sun at some time of day), the tables made when a light is chosen, and reading a 4096 x 2048
// OpenEXR image (half floats, ZIP) and a 2048 x 1024 Radiance HDR image.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/environment_file.h"
#include "codec/environment_file_writer.h"
#include "common/direction.h"
#include "relight/environment_light.h"
#include "relight/studio_environment.h"

namespace {

const veltrane::LobeGrid& Grid() {
  static veltrane::LobeGrid grid;
  if (grid.centre_count() == 0) {
    veltrane::SrbfLobes lobes;
    // 25 centres spread over the hemisphere (equal-area rings), as the data set's are.
    for (int i = 0; i < 25; ++i) {
      const double cos_theta = 1.0 - (i + 0.5) / 25.0;
      lobes.centres.push_back(veltrane::SphericalDirection(std::acos(cos_theta), 2.39996 * i));
    }
    lobes.sigma = 0.37f;
    lobes.disc_radius = 20.0 * veltrane::kRadiansPerDegree;
    grid.Build(lobes);
  }
  return grid;
}

void BM_ImageWeightsPerFrame(benchmark::State& state) {
  veltrane::EnvironmentLight light;
  light.SetImage(veltrane::StudioEnvironment(512, 256), Grid());
  std::vector<float> rgb(75);
  double turn = 0.0;
  for (auto _ : state) {
    light.Weights(turn, rgb.data());
    benchmark::DoNotOptimize(rgb.data());
    turn += 8.0;
  }
}
BENCHMARK(BM_ImageWeightsPerFrame);

void BM_SkyWeightsPerFrame(benchmark::State& state) {
  veltrane::EnvironmentLight light;
  light.SetSky(Grid());
  std::vector<float> rgb(75);
  double turn = 0.0;
  for (auto _ : state) {
    light.Weights(turn, rgb.data());
    benchmark::DoNotOptimize(rgb.data());
    turn = std::fmod(turn + 8.0, 360.0);
  }
}
BENCHMARK(BM_SkyWeightsPerFrame);

void BM_ImageTable(benchmark::State& state) {
  const veltrane::EnvironmentImage studio = veltrane::StudioEnvironment(256, 128);
  for (auto _ : state) {
    veltrane::EnvironmentLight light;
    light.SetImage(studio, Grid());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ImageTable)->Unit(benchmark::kMillisecond);

void BM_SkyTable(benchmark::State& state) {
  for (auto _ : state) {
    veltrane::EnvironmentLight light;
    light.SetSky(Grid());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SkyTable)->Unit(benchmark::kMillisecond);

void ReadBenchmark(benchmark::State& state, const char* suffix, int width) {
  const std::string path = std::string("/tmp/veltrane_bench_environment") + suffix;
  if (!veltrane::WriteEnvironmentFile(path, veltrane::StudioEnvironment(width, width / 2))) {
    state.SkipWithError("cannot write the image");
    return;
  }
  for (auto _ : state) {
    veltrane::EnvironmentFileResult result;
    std::string why;
    if (!veltrane::ReadEnvironmentFile(path, &result, &why)) state.SkipWithError(why.c_str());
    benchmark::DoNotOptimize(result.image.rgb.data());
  }
  std::remove(path.c_str());
}

void BM_ReadExr4096x2048(benchmark::State& state) { ReadBenchmark(state, ".exr", 4096); }
BENCHMARK(BM_ReadExr4096x2048)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadHdr2048x1024(benchmark::State& state) { ReadBenchmark(state, ".hdr", 2048); }
BENCHMARK(BM_ReadHdr2048x1024)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
