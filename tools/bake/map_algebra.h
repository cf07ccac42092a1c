// Linear algebra over stacks of maps (light maps or coefficient maps), texel by texel:
// out_i = sum_k M(i, k) in_k for every texel. This is how the fit applies its solve matrix and
// how light maps are relit from coefficient maps.
#pragma once

#include <cstddef>
#include <vector>

namespace veltrane {

class StageProgress;

// out[i][t] = sum over k of matrix[i * inputs + k] * in[k][t], for t below texels; rows outputs,
// inputs inputs. Threaded over blocks of texels with jobs threads; progress (may be null)
// advances by the number of texels done.
void CombineMaps(const std::vector<const float*>& in, const std::vector<float>& matrix,
                 const std::vector<float*>& out, size_t texels, int jobs,
                 StageProgress* progress);

// One output map: out[t] = sum over k of weights[k] * in[k][t] (single-threaded).
void WeightedSum(const std::vector<const float*>& in, const float* weights, float* out,
                 size_t texels);

// Sums of squares for relative RMS errors: error += (a - b)^2, reference += b^2.
struct ErrorSums {
  double error = 0.0;
  double reference = 0.0;
  void Add(const ErrorSums& o) {
    error += o.error;
    reference += o.reference;
  }
  double Relative() const;  // sqrt(error / reference); 0 when both are 0, infinite when only reference is
};

ErrorSums CompareMaps(const float* a, const float* b, size_t texels);

}  // namespace veltrane
