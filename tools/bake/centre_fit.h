// Moving the SRBF centres and the shared spread to where the lobes fit the light maps best.
//
// For any centres and sigma, the coefficients of every texel are the ridge least-squares
// solution, so the fitting residual is a function of the 2N + 1 angles and log sigma alone
// ("variable projection"); Levenberg-Marquardt minimises it. The texel samples enter only
// through their K x K Gram matrix, so the problem is reduced once to K x r values (r principal
// components of the samples) and every evaluation costs O(K N r) whatever the texel count.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/vec3.h"
#include "tools/bake/sphere_sets.h"

namespace veltrane {

// The highest polar angle a moved centre may take: a little below the horizon, where a lobe
// still shapes the light near grazing incidence.
constexpr double kMaxCentreThetaDeg = 100.0;

struct CentreFitProblem {
  std::vector<Vec3d> fit_directions;  // K
  // K x T light-map samples, row by row (row k: the T sampled texels at fitting direction k),
  // each texel already multiplied by its weight.
  std::vector<double> samples;
  // Per fitting direction, the scale of its row in the least squares (empty: all 1); the
  // samples are multiplied by it here, not by the caller.
  std::vector<double> direction_scales;
  size_t texels = 0;  // T
  double relative_ridge = 2e-3;
  std::vector<SphereAngles> start;  // the initial centres
  double start_sigma = 0.4;         // radians
  int max_iterations = 150;
  double min_sigma = 0.05, max_sigma = 1.5;  // radians
  // Called after each solver iteration with its number (0 for the starting point), on the
  // calling thread; may be empty.
  std::function<void(int iteration)> on_iteration;
};

struct CentreFitResult {
  std::vector<SphereAngles> centres;  // theta in [0, kMaxCentreThetaDeg], phi in [0, 360)
  float sigma = 0.0f;
  double start_rms = 0.0, final_rms = 0.0;  // relative RMS residual over the samples
  int iterations = 0;
  int components = 0;  // r
  std::string summary;  // the solver's one-line report
};

// Relative RMS residual of the ridge fit with the given centres and sigma over the samples:
// sqrt(|Y - Phi C|^2 / |Y|^2).
double CentreFitResidual(const CentreFitProblem& problem, const std::vector<SphereAngles>& centres,
                         double sigma);

// Runs the optimisation. False (with *why) when the problem is empty or the solver fails
// outright; a run that stops at its iteration limit still returns its best point.
bool OptimizeCentres(const CentreFitProblem& problem, CentreFitResult* result, std::string* why);

}  // namespace veltrane
