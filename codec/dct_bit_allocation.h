// Choosing the index width of each of the 64 coefficient positions under a bit budget.
#pragma once

#include <vector>

#include "codec/scalar_quantizer.h"

namespace veltrane {

struct DctAllocation {
  int bits[64];
  std::vector<float> codebooks[64];  // codebook k: 2^bits[k] ascending entries
  int totalbits;
};

// Greedy allocation by marginal distortion: starting from width 0 everywhere (codebook: the
// mean), each bit goes to the position whose sample error drops most by one more bit, up to
// max_width per position. Spends budget bits (a multiple of 8) or, once no position gains any
// more, stops at the next multiple of 8. samples[k] holds position k's sample.
DctAllocation AllocateDctBits(const std::vector<SortedSample>& samples, int budget, int max_width, int threads);

}  // namespace veltrane
