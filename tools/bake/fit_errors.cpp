#include "tools/bake/fit_errors.h"

#include <algorithm>
#include <cmath>

#include "common/parallel_for.h"

namespace veltrane {

std::vector<DirectionErrors> MeasureDirections(const std::vector<const float*>& coefficients,
                                               const std::vector<float>& kernels,
                                               const std::vector<const float*>& truth, size_t texels,
                                               int jobs) {
  const size_t n = coefficients.size();
  std::vector<DirectionErrors> errors(truth.size());
  std::vector<std::vector<float>> scratch(ResolveThreadCount(jobs), std::vector<float>(texels));
  ParallelChunks(truth.size(), 1, jobs, [&](size_t begin, size_t end, int worker) {
    float* fit = scratch[worker].data();
    for (size_t d = begin; d < end; ++d) {
      WeightedSum(coefficients, &kernels[d * n], fit, texels);
      const float* t = truth[d];
      const float brightest = texels > 0 ? *std::max_element(t, t + texels) : 0.0f;
      const double level = kShadowLevel * brightest;
      DirectionErrors& e = errors[d];
      for (size_t i = 0; i < texels; ++i) {
        const double diff = static_cast<double>(fit[i]) - t[i];
        const double ref = static_cast<double>(t[i]) * t[i];
        e.all.error += diff * diff;
        e.all.reference += ref;
        if (t[i] < level) {
          e.shadow.error += diff * diff;
          e.shadow.reference += ref;
        }
      }
    }
  });
  return errors;
}

FitSummary SummarizeFit(const std::vector<DirectionErrors>& errors, size_t hemisphere) {
  FitSummary s;
  ErrorSums hemi, band, shadow;
  hemisphere = std::min(hemisphere, errors.size());
  for (size_t d = 0; d < errors.size(); ++d) {
    if (d < hemisphere) {
      hemi.Add(errors[d].all);
      if (errors[d].all.error > errors[s.worst].all.error) s.worst = d;
    } else {
      band.Add(errors[d].all);
      shadow.Add(errors[d].shadow);
      const double relative = errors[d].all.Relative();
      if (d == hemisphere || relative > s.worst_band_relative) {
        s.worst_band = d;
        s.worst_band_relative = relative;
      }
    }
  }
  s.hemisphere = hemi.Relative();
  s.band = band.Relative();
  s.band_shadow = shadow.Relative();
  if (hemisphere > 0 && hemi.reference > 0.0) {
    s.worst_normalised = std::sqrt(errors[s.worst].all.error / (hemi.reference / static_cast<double>(hemisphere)));
  }
  return s;
}

}  // namespace veltrane
