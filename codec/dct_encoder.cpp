#include "codec/dct_encoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "codec/dct_bit_allocation.h"
#include "codec/dct_file_writer.h"
#include "codec/dct_image.h"
#include "codec/dct_transform.h"
#include "codec/scalar_quantizer.h"
#include "common/parallel_for.h"

namespace veltrane {
namespace {

constexpr double kMaxBitsPerPixel = 12.0;
constexpr int kMaxWidth = 12;                 // codebooks of at most 4096 entries
constexpr size_t kSampleBlocks = size_t{1} << 16;
constexpr size_t kBlocksPerTask = 512;

struct Plane {
  const float* data;
  int width;
  int height;
  int block_cols;

  // The 8x8 block (bx, by), the last column and row repeated past the plane's edge.
  void LoadBlock(size_t block, float out[64]) const {
    const int bx = static_cast<int>(block % static_cast<size_t>(block_cols));
    const int by = static_cast<int>(block / static_cast<size_t>(block_cols));
    for (int y = 0; y < 8; ++y) {
      const int sy = std::min(8 * by + y, height - 1);
      const float* row = data + static_cast<size_t>(sy) * static_cast<size_t>(width);
      for (int x = 0; x < 8; ++x) out[8 * y + x] = row[std::min(8 * bx + x, width - 1)];
    }
  }
};

struct PartialError {
  double sum_sq = 0;
  double max_abs = 0;
};

bool AllFinite(const float* plane, size_t count, int threads) {
  const size_t tasks = (count + (size_t{1} << 20) - 1) >> 20;
  std::vector<char> bad(tasks, 0);
  ParallelFor(tasks, threads, [&](size_t t) {
    const size_t end = std::min(count, (t + 1) << 20);
    for (size_t i = t << 20; i < end; ++i) {
      if (!std::isfinite(plane[i])) {
        bad[t] = 1;
        return;
      }
    }
  });
  return std::find(bad.begin(), bad.end(), 1) == bad.end();
}

// Position k's coefficients over an even spread of up to kSampleBlocks blocks.
std::vector<SortedSample> SampleCoefficients(const Plane& plane, size_t blocks, int threads) {
  const size_t count = std::min(blocks, kSampleBlocks);
  std::vector<float> coeff(count * 64);
  const size_t tasks = (count + kBlocksPerTask - 1) / kBlocksPerTask;
  ParallelFor(tasks, threads, [&](size_t t) {
    float samples[64];
    double c[64];
    for (size_t i = t * kBlocksPerTask; i < std::min(count, (t + 1) * kBlocksPerTask); ++i) {
      plane.LoadBlock(i * blocks / count, samples);
      ForwardDctBlock(samples, 8, c);
      for (int k = 0; k < 64; ++k) coeff[k * count + i] = static_cast<float>(c[k]);
    }
  });
  std::vector<std::vector<float>> by_position(64);
  for (int k = 0; k < 64; ++k) by_position[k].assign(coeff.begin() + k * count, coeff.begin() + (k + 1) * count);
  coeff.clear();
  coeff.shrink_to_fit();
  std::vector<SortedSample> samples(64, SortedSample({}));
  ParallelFor(64, threads, [&](size_t k) { samples[k] = SortedSample(std::move(by_position[k])); });
  return samples;
}

}  // namespace

bool EncodeDctImage(const float* plane, int width, int height, const DctEncodeOptions& options,
                    std::vector<unsigned char>* file_bytes, DctEncodeStats* stats) {
  file_bytes->clear();
  if (!plane || width <= 0 || height <= 0 || width > INT_MAX - 7 || height > INT_MAX - 7) return false;
  if (!(options.bits_per_pixel >= 0 && options.bits_per_pixel <= kMaxBitsPerPixel) || options.threads < 0) return false;
  const int padwidth = (width + 7) / 8 * 8;
  const int padheight = (height + 7) / 8 * 8;
  if (static_cast<int64_t>(padwidth) * padheight > kDctImageDefaultMaxPixels) return false;
  const int threads = ResolveThreadCount(options.threads);
  if (!AllFinite(plane, static_cast<size_t>(width) * static_cast<size_t>(height), threads)) return false;

  const Plane source{plane, width, height, padwidth / 8};
  const size_t blocks = static_cast<size_t>(padwidth / 8) * static_cast<size_t>(padheight / 8);
  const int budget = 8 * static_cast<int>(std::lround(8 * options.bits_per_pixel));
  const DctAllocation allocation = AllocateDctBits(SampleCoefficients(source, blocks, threads), budget, kMaxWidth, threads);

  std::vector<NearestEntry> nearest;
  for (int k = 0; k < 64; ++k) nearest.emplace_back(allocation.codebooks[k]);
  float scale[64];
  BuildDctScaleTable(scale);
  const size_t block_bytes = static_cast<size_t>(allocation.totalbits) / 8;
  std::vector<unsigned char> packed(blocks * block_bytes);

  // Every block: transform, quantise, pack, and decode again as DctImage does to measure.
  const size_t tasks = (blocks + kBlocksPerTask - 1) / kBlocksPerTask;
  std::vector<PartialError> partial(tasks);
  ParallelFor(tasks, threads, [&](size_t t) {
    float samples[64], coeff[64], decoded[64];
    double c[64];
    PartialError& e = partial[t];
    for (size_t b = t * kBlocksPerTask; b < std::min(blocks, (t + 1) * kBlocksPerTask); ++b) {
      source.LoadBlock(b, samples);
      ForwardDctBlock(samples, 8, c);
      unsigned char* out = packed.data() + b * block_bytes;
      uint64_t acc = 0;
      int pending = 0;
      for (int k = 0; k < 64; ++k) {
        const uint32_t index = nearest[k](static_cast<float>(c[k]));
        coeff[k] = allocation.codebooks[k][index];
        acc = (acc << allocation.bits[k]) | index;
        for (pending += allocation.bits[k]; pending >= 8; pending -= 8) *out++ = static_cast<unsigned char>(acc >> (pending - 8));
      }
      InverseDctScaledBlock(coeff, scale, decoded, 8);
      const int bx = static_cast<int>(b % static_cast<size_t>(source.block_cols));
      const int by = static_cast<int>(b / static_cast<size_t>(source.block_cols));
      const int cols = std::min(8, width - 8 * bx), rows = std::min(8, height - 8 * by);
      for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
          const double d = static_cast<double>(decoded[8 * y + x]) - static_cast<double>(samples[8 * y + x]);
          e.sum_sq += d * d;
          e.max_abs = std::max(e.max_abs, std::fabs(d));
        }
      }
    }
  });

  if (!AssembleDctImageFile(width, height, allocation.bits, allocation.codebooks, packed, file_bytes)) return false;
  if (stats) {
    PartialError total;
    for (const PartialError& e : partial) {
      total.sum_sq += e.sum_sq;
      total.max_abs = std::max(total.max_abs, e.max_abs);
    }
    stats->rms_error = std::sqrt(total.sum_sq / (static_cast<double>(width) * height));
    stats->max_abs_error = total.max_abs;
    stats->totalbits = allocation.totalbits;
    stats->file_bytes = file_bytes->size();
  }
  return true;
}

}  // namespace veltrane
