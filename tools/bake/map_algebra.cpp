#include "tools/bake/map_algebra.h"

#include <algorithm>
#include <cmath>

#include "common/parallel_for.h"
#include "tools/bake/stage_progress.h"

namespace veltrane {
namespace {

constexpr size_t kTile = 128;

// o[t] += s0 y0[t] + s1 y1[t] + s2 y2[t] + s3 y3[t] over one full tile.
inline void Accumulate4(float* __restrict o, const float* __restrict y0, const float* __restrict y1,
                        const float* __restrict y2, const float* __restrict y3, float s0, float s1,
                        float s2, float s3) {
  for (size_t t = 0; t < kTile; ++t) o[t] += s0 * y0[t] + s1 * y1[t] + s2 * y2[t] + s3 * y3[t];
}

inline void Accumulate1(float* __restrict o, const float* __restrict y, float s, size_t count) {
  for (size_t t = 0; t < count; ++t) o[t] += s * y[t];
}

void CombineTile(const std::vector<const float*>& in, const std::vector<float>& matrix,
                 const std::vector<float*>& out, size_t begin, size_t count) {
  const size_t inputs = in.size();
  for (float* o : out) std::fill(o + begin, o + begin + count, 0.0f);
  size_t k = 0;
  if (count == kTile) {
    for (; k + 4 <= inputs; k += 4) {
      for (size_t i = 0; i < out.size(); ++i) {
        const float* m = &matrix[i * inputs + k];
        Accumulate4(out[i] + begin, in[k] + begin, in[k + 1] + begin, in[k + 2] + begin,
                    in[k + 3] + begin, m[0], m[1], m[2], m[3]);
      }
    }
  }
  for (; k < inputs; ++k) {
    for (size_t i = 0; i < out.size(); ++i) {
      Accumulate1(out[i] + begin, in[k] + begin, matrix[i * inputs + k], count);
    }
  }
}

// One combined tile: out[t] = sum_k row[k] in[k][begin + t].
void CombineRowTile(const std::vector<const float*>& in, const float* row, size_t begin,
                    size_t count, float* out) {
  std::fill(out, out + count, 0.0f);
  size_t k = 0;
  if (count == kTile) {
    for (; k + 4 <= in.size(); k += 4) {
      Accumulate4(out, in[k] + begin, in[k + 1] + begin, in[k + 2] + begin, in[k + 3] + begin,
                  row[k], row[k + 1], row[k + 2], row[k + 3]);
    }
  }
  for (; k < in.size(); ++k) Accumulate1(out, in[k] + begin, row[k], count);
}

void AddTileDifference(const float* a, const float* b, size_t count, ErrorSums* sums) {
  double error = 0.0, reference = 0.0;
  for (size_t t = 0; t < count; ++t) {
    const double d = static_cast<double>(a[t]) - b[t];
    error += d * d;
    reference += static_cast<double>(b[t]) * b[t];
  }
  sums->error += error;
  sums->reference += reference;
}

// Shared driver: for each tile and row, reference(row, begin, count, scratch) gives the
// reference tile; the combination of in with matrix is compared against it.
template <typename Reference>
std::vector<ErrorSums> CompareTiles(const std::vector<const float*>& in,
                                    const std::vector<float>& matrix, size_t rows, size_t texels,
                                    int jobs, const Reference& reference) {
  const size_t tiles = (texels + kTile - 1) / kTile;
  std::vector<std::vector<ErrorSums>> per_worker(ResolveThreadCount(jobs), std::vector<ErrorSums>(rows));
  ParallelChunks(tiles, 16, jobs, [&](size_t begin, size_t end, int worker) {
    float a[kTile], b[kTile];
    std::vector<ErrorSums>& sums = per_worker[worker];
    for (size_t tile = begin; tile < end; ++tile) {
      const size_t first = tile * kTile;
      const size_t count = std::min(kTile, texels - first);
      for (size_t i = 0; i < rows; ++i) {
        CombineRowTile(in, &matrix[i * in.size()], first, count, a);
        AddTileDifference(a, reference(i, first, count, b), count, &sums[i]);
      }
    }
  });
  std::vector<ErrorSums> total(rows);
  for (const auto& sums : per_worker) {
    for (size_t i = 0; i < rows; ++i) total[i].Add(sums[i]);
  }
  return total;
}

}  // namespace

std::vector<ErrorSums> CompareCombinationWithMaps(const std::vector<const float*>& in,
                                                  const std::vector<float>& matrix,
                                                  const std::vector<const float*>& refs,
                                                  size_t texels, int jobs) {
  return CompareTiles(in, matrix, refs.size(), texels, jobs,
                      [&](size_t i, size_t first, size_t, float*) { return refs[i] + first; });
}

std::vector<ErrorSums> CompareTwoCombinations(const std::vector<const float*>& in_a,
                                              const std::vector<float>& matrix_a,
                                              const std::vector<const float*>& in_b,
                                              const std::vector<float>& matrix_b, size_t texels,
                                              int jobs) {
  const size_t rows = in_a.empty() ? 0 : matrix_a.size() / in_a.size();
  return CompareTiles(in_a, matrix_a, rows, texels, jobs,
                      [&](size_t i, size_t first, size_t count, float* scratch) {
                        CombineRowTile(in_b, &matrix_b[i * in_b.size()], first, count, scratch);
                        return static_cast<const float*>(scratch);
                      });
}

void CombineMaps(const std::vector<const float*>& in, const std::vector<float>& matrix,
                 const std::vector<float*>& out, size_t texels, int jobs,
                 StageProgress* progress) {
  const size_t tiles = (texels + kTile - 1) / kTile;
  ParallelChunks(tiles, 16, jobs, [&](size_t begin, size_t end, int) {
    for (size_t tile = begin; tile < end; ++tile) {
      const size_t first = tile * kTile;
      CombineTile(in, matrix, out, first, std::min(kTile, texels - first));
    }
    if (progress != nullptr) {
      progress->Advance(static_cast<long>(std::min(texels, end * kTile) - begin * kTile));
    }
  });
}

void WeightedSum(const std::vector<const float*>& in, const float* weights, float* out,
                 size_t texels) {
  std::vector<float> matrix(weights, weights + in.size());
  for (size_t first = 0; first < texels; first += kTile) {
    CombineTile(in, matrix, {out}, first, std::min(kTile, texels - first));
  }
}

double ErrorSums::Relative() const {
  if (reference > 0.0) return std::sqrt(error / reference);
  return error > 0.0 ? HUGE_VAL : 0.0;
}

ErrorSums CompareMaps(const float* a, const float* b, size_t texels) {
  ErrorSums s;
  for (size_t t = 0; t < texels; ++t) {
    const double d = static_cast<double>(a[t]) - b[t];
    s.error += d * d;
    s.reference += static_cast<double>(b[t]) * b[t];
  }
  return s;
}

}  // namespace veltrane
