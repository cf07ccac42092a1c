// Linear algebra over stacks of maps (light maps or coefficient maps), texel by texel:
// out_i = sum_k M(i, k) in_k for every texel. This is how the fit applies its solve matrix and
// how light maps are relit from coefficient maps.
#pragma once

#include <cstddef>
#include <vector>

namespace veltrane {

class StageProgress;

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

// out[i][t] = sum over k of matrix[i * inputs + k] * in[k][t], for t below texels; rows outputs,
// inputs inputs. Threaded over blocks of texels with jobs threads; progress (may be null)
// advances by the number of texels done.
void CombineMaps(const std::vector<const float*>& in, const std::vector<float>& matrix,
                 const std::vector<float*>& out, size_t texels, int jobs,
                 StageProgress* progress);

// One output map: out[t] = sum over k of weights[k] * in[k][t] (single-threaded).
void WeightedSum(const std::vector<const float*>& in, const float* weights, float* out,
                 size_t texels);

// Row i of matrix (rows x in.size()) combines the inputs into a_i = sum over k of
// matrix[i, k] in[k]; returns for each row the sums of (a_i - refs[i])^2 and refs[i]^2 over the
// texels, without storing a_i. Threaded over blocks of texels.
std::vector<ErrorSums> CompareCombinationWithMaps(const std::vector<const float*>& in,
                                                  const std::vector<float>& matrix,
                                                  const std::vector<const float*>& refs,
                                                  size_t texels, int jobs);

// The same for two combinations: a_i = sum_k matrix_a[i, k] in_a[k] against
// b_i = sum_k matrix_b[i, k] in_b[k]; both matrices have the same number of rows.
std::vector<ErrorSums> CompareTwoCombinations(const std::vector<const float*>& in_a,
                                              const std::vector<float>& matrix_a,
                                              const std::vector<const float*>& in_b,
                                              const std::vector<float>& matrix_b, size_t texels,
                                              int jobs);

ErrorSums CompareMaps(const float* a, const float* b, size_t texels);

}  // namespace veltrane
