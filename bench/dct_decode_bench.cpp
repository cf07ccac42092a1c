// DctImage::Decode throughput on one core, in Mpixel/s, for a plane of the size the baker
// writes (512 x 38400, 25 centres x 3 channels of 512 x 512) at 1 index bit per pixel; and
// the encoder's time for the same plane.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "codec/dct_encoder.h"
#include "codec/dct_image.h"

namespace {

std::vector<float> MakePlane(int width, int height) {
  std::vector<float> plane(static_cast<size_t>(width) * height);
  std::mt19937 rng(1);
  std::normal_distribution<float> noise(0.0f, 0.01f);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      plane[static_cast<size_t>(y) * width + x] = 0.5f + 0.3f * std::sin(0.03f * x) * std::cos(0.021f * y) +
                                                  0.05f * std::sin(0.2f * (x + y)) + noise(rng);
    }
  }
  return plane;
}

const std::vector<unsigned char>& EncodedFile(int width, int height) {
  static std::vector<unsigned char> file;
  static int made_width = 0, made_height = 0;
  if (made_width != width || made_height != height) {
    const auto plane = MakePlane(width, height);
    veltrane::EncodeDctImage(plane.data(), width, height, {}, &file);
    made_width = width;
    made_height = height;
  }
  return file;
}

void BM_DctImageDecode(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const auto& bytes = EncodedFile(width, height);
  FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  DctImage image;
  image.Load(f);
  std::fclose(f);
  for (auto _ : state) {
    float* plane = nullptr;
    int w = 0, h = 0;
    image.Decode(&plane, &w, &h);
    benchmark::DoNotOptimize(plane);
    std::free(plane);
  }
  const double pixels = static_cast<double>(width) * height;
  state.counters["Mpixel/s"] = benchmark::Counter(pixels * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DctImageDecode)->Args({512, 38400})->Args({500, 38400})->Unit(benchmark::kMillisecond);

void BM_EncodeDctImage(benchmark::State& state) {
  const int width = 512, height = 38400;
  const auto plane = MakePlane(width, height);
  veltrane::DctEncodeOptions options;
  options.threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<unsigned char> file;
    veltrane::EncodeDctImage(plane.data(), width, height, options, &file);
    benchmark::DoNotOptimize(file.data());
  }
  state.counters["Mpixel/s"] =
      benchmark::Counter(static_cast<double>(width) * height * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeDctImage)->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
