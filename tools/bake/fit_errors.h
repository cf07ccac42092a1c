// Errors of relit light maps against the truth, direction by direction: over the whole map and
// over the texels in or near the angel's shadow, where a fit shows its weaknesses first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/vec3.h"
#include "tools/bake/map_algebra.h"

namespace veltrane {

// A texel counts as in or near shadow at a direction when its truth is below this share of the
// brightest texel of that direction's map.
constexpr double kShadowLevel = 0.98;

struct DirectionErrors {
  ErrorSums all;
  ErrorSums shadow;  // only the texels in or near shadow
};

// For direction d: the map sum_i kernels[d * N + i] coefficients[i] against truth[d].
std::vector<DirectionErrors> MeasureDirections(const std::vector<const float*>& coefficients,
                                               const std::vector<float>& kernels,
                                               const std::vector<const float*>& truth, size_t texels,
                                               int jobs);

// The summary of one fit at the held-out directions: the first `hemisphere` entries of errors
// are the hemisphere set, the rest the viewer's band.
struct FitSummary {
  double hemisphere = 0.0, band = 0.0, band_shadow = 0.0;
  size_t worst_band = 0;       // index into errors (band set), by relative error
  double worst_band_relative = 0.0;
  size_t worst = 0;            // index into errors (hemisphere set), by squared error
  double worst_normalised = 0.0;  // its RMS error over the RMS of the mean hemisphere map
};

FitSummary SummarizeFit(const std::vector<DirectionErrors>& errors, size_t hemisphere);

}  // namespace veltrane
