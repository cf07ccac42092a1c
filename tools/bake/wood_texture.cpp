#include "tools/bake/wood_texture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace veltrane {
namespace {

double LatticeValue(int i, int j, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(i) * 0x8da6b343u ^ static_cast<uint32_t>(j) * 0xd8163841u ^ seed;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xffffffu) / 16777215.0;
}

// Smoothly interpolated lattice noise in [0, 1].
double ValueNoise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int i = static_cast<int>(fx), j = static_cast<int>(fy);
  const double tx = x - fx, ty = y - fy;
  const double sx = tx * tx * (3.0 - 2.0 * tx), sy = ty * ty * (3.0 - 2.0 * ty);
  const double a = LatticeValue(i, j, seed), b = LatticeValue(i + 1, j, seed);
  const double c = LatticeValue(i, j + 1, seed), d = LatticeValue(i + 1, j + 1, seed);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Four octaves, in [0, 1].
double Fractal(double x, double y, uint32_t seed) {
  double sum = 0.0, amplitude = 0.5, norm = 0.0;
  for (int o = 0; o < 4; ++o) {
    sum += amplitude * ValueNoise(x, y, seed + 101u * o);
    norm += amplitude;
    x *= 2.0;
    y *= 2.0;
    amplitude *= 0.5;
  }
  return sum / norm;
}

}  // namespace

std::vector<unsigned char> MakeWoodTexture(int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  const double light[3] = {224.0, 170.0, 110.0};
  const double dark[3] = {146.0, 88.0, 46.0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      // The board is cut beside the trunk: distance from an axis that runs down the image,
      // off-centre and slightly tilted, below the board's surface; warped a little.
      const double across = u - 0.31 - 0.06 * v;
      const double warp = 0.035 * (Fractal(u * 3.0, v * 1.2, 7u) - 0.5);
      // The cut runs slightly across the trunk, so the rings open into arches down the board.
      const double depth = 0.04 + 0.22 * v;
      const double radius = std::sqrt(across * across + depth * depth) + warp;
      const double phase = radius * 24.0 - std::floor(radius * 24.0);
      // Early wood light, late wood darkening towards the ring's end.
      const double ring = std::pow(phase, 3.0);
      const double grain = Fractal(u * 180.0, v * 5.0, 31u);
      const double fleck = LatticeValue(x, y, 59u);
      for (int c = 0; c < 3; ++c) {
        double value = light[c] + (dark[c] - light[c]) * (0.15 + 0.75 * ring);
        value *= 0.86 + 0.24 * grain;
        value *= 0.97 + 0.06 * fleck;
        rgb[(static_cast<size_t>(y) * width + x) * 3 + c] =
            static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 255.0)));
      }
    }
  }
  return rgb;
}

}  // namespace veltrane
