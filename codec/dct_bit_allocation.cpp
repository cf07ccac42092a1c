#include "codec/dct_bit_allocation.h"

#include "common/parallel_for.h"

namespace veltrane {

DctAllocation AllocateDctBits(const std::vector<SortedSample>& samples, int budget, int max_width, int threads) {
  DctAllocation a;
  a.totalbits = 0;
  double error[64], next_error[64];
  std::vector<float> next_codebook[64];
  ParallelFor(64, threads, [&](size_t k) {
    a.bits[k] = 0;
    error[k] = samples[k].Fit(1, &a.codebooks[k]);
    if (max_width > 0) next_error[k] = samples[k].Fit(2, &next_codebook[k]);
  });

  while (a.totalbits < budget) {
    int best = -1;
    for (int k = 0; k < 64; ++k) {
      if (a.bits[k] >= max_width) continue;
      if (best < 0 || error[k] - next_error[k] > error[best] - next_error[best]) best = k;
    }
    if (best < 0) break;
    if (error[best] - next_error[best] <= 0 && a.totalbits % 8 == 0) break;
    ++a.bits[best];
    ++a.totalbits;
    error[best] = next_error[best];
    a.codebooks[best].swap(next_codebook[best]);
    if (a.bits[best] < max_width) next_error[best] = samples[best].Fit(2 << a.bits[best], &next_codebook[best]);
  }
  return a;
}

}  // namespace veltrane
