// Choosing the kernel spread sigma: for each candidate, fit the SRBF coefficients on a texel
// subsample of the fitting maps and measure the relative RMS error at validation directions
// that the fit never saw; keep the sigma with the least error (a coarse logarithmic scan, then
// a golden-section refinement around the best candidate).
#pragma once

#include <vector>

#include "common/vec3.h"

namespace veltrane {

class StageProgress;

struct SpreadProblem {
  std::vector<Vec3d> fit_directions;         // K
  std::vector<const float*> fit_maps;        // K maps of texels values
  std::vector<Vec3d> validation_directions;  // V
  std::vector<const float*> validation_maps; // V maps of texels values, the same texels
  size_t texels = 0;
  std::vector<Vec3d> centres;                // N
  double relative_ridge = 1e-4;
  int jobs = 1;
};

struct SpreadTrial {
  float sigma;
  double error;  // relative RMS at the validation directions; infinite when the solve failed
};

// The relative validation error of the fit with spread sigma.
double SpreadValidationError(const SpreadProblem& problem, float sigma);

// The number of trials SearchSpread makes (for progress totals).
int SpreadSearchTrials();

// The best sigma between lo and hi (radians); every trial is appended to trials when given.
float SearchSpread(const SpreadProblem& problem, float lo, float hi,
                   std::vector<SpreadTrial>* trials, StageProgress* progress);

}  // namespace veltrane
