// The fit stage: the spread, the centres, the SRBF and SH coefficients, the held-out errors.
#include "tools/bake/bake_stages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/direction.h"
#include "common/heap.h"
#include "tools/bake/centre_fit.h"
#include "tools/bake/fit_errors.h"
#include "tools/bake/half_float.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/ridge_solve.h"
#include "tools/bake/sh_basis.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/spread_search.h"
#include "tools/bake/srbf_basis.h"

namespace veltrane {
namespace {

constexpr float kSpreadLo = 0.1f, kSpreadHi = 1.5f;
// Fitting directions near the viewer's band (theta 30 to 45 degrees) count this many times in
// the optimised fit (its rows scaled by the square root).
constexpr double kBandRowWeight = 3.0;
constexpr double kBandWeightLoDeg = 25.0, kBandWeightHiDeg = 50.0;

// Rows of fitting directions in the viewer's band weigh more in the SRBF fits.
std::vector<double> DirectionScales(const std::vector<Vec3d>& directions) {
  const double band_scale = std::sqrt(kBandRowWeight);
  std::vector<double> scales;
  for (const Vec3d& l : directions) {
    const double theta = std::acos(std::clamp(l.y, -1.0, 1.0)) / kRadiansPerDegree;
    scales.push_back(theta >= kBandWeightLoDeg && theta <= kBandWeightHiDeg ? band_scale : 1.0);
  }
  return scales;
}

// The solve matrix of the ridge fit with row scales: S = (Phi^T W^2 Phi + lambda I)^-1 Phi^T W^2.
bool SolveMatrix(std::vector<double> phi, int k, int n, double relative_ridge,
                 const std::vector<double>& scales, std::vector<double>* solve) {
  if (!scales.empty()) {
    for (int s = 0; s < k; ++s) {
      for (int i = 0; i < n; ++i) phi[static_cast<size_t>(s) * n + i] *= scales[s];
    }
  }
  if (RidgeSolveMatrix(phi, k, n, RidgeLambda(phi, k, n, relative_ridge), solve)) {
    if (!scales.empty()) {
      for (int i = 0; i < n; ++i) {
        for (int s = 0; s < k; ++s) (*solve)[static_cast<size_t>(i) * k + s] *= scales[s];
      }
    }
    return true;
  }
  std::fprintf(stderr, "bake: the least-squares system is singular; use a ridge above 0\n");
  return false;
}

// The held-out kernel rows (directions x N) of a set of centres.
std::vector<float> HeldOutKernels(const Bake& b, const std::vector<Vec3d>& centres, float sigma) {
  const size_t n = centres.size();
  const size_t directions = b.heldout_directions.size() + b.band_directions.size();
  std::vector<float> kernels(directions * n);
  for (size_t d = 0; d < directions; ++d) SrbfKernelRow(b.HeldOut(d), centres, sigma, &kernels[d * n]);
  return kernels;
}

FitRow MakeFitRow(const Bake& b, const char* name, const std::vector<DirectionErrors>& errors) {
  const FitSummary s = SummarizeFit(errors, b.heldout_directions.size());
  FitRow row;
  row.name = name;
  row.hemisphere = s.hemisphere;
  row.band = s.band;
  row.band_shadow = s.band_shadow;
  row.worst_band_relative = s.worst_band_relative;
  row.worst_normalised = s.worst_normalised;
  if (!b.band_directions.empty()) row.worst_band_direction = DirectionText(b.HeldOut(s.worst_band));
  if (!b.heldout_directions.empty()) row.worst_direction = DirectionText(b.HeldOut(s.worst));
  return row;
}

std::vector<DirectionErrors> MeasureFit(const Bake& b, const float* coefficients, size_t n,
                                        const std::vector<float>& kernels) {
  const size_t directions = b.heldout_directions.size() + b.band_directions.size();
  return MeasureDirections(ConstMaps(coefficients, n, b.texels), kernels,
                           ConstMaps(b.heldout_maps.get(), directions, b.texels), b.texels, b.jobs);
}

// The fixed layout's fit, measured at the held-out directions for the report before the
// centres move.
bool MeasureFixedFit(Bake& b) {
  const int k = static_cast<int>(b.fit_directions.size());
  const int n = static_cast<int>(b.centres.size());
  std::vector<double> solve;
  if (!SolveMatrix(SrbfDesignMatrix(b.fit_directions, b.centres, b.sigma), k, n, b.ridge,
                   {}, &solve)) {
    return false;
  }
  HeapPtr<float> coefficients;
  if (!AllocateFloats(static_cast<size_t>(n) * b.texels, &coefficients, "the fixed fit")) return false;
  b.progress.Begin("fixed fit", static_cast<long>(b.texels));
  CombineMaps(ConstMaps(b.fit_maps.get(), k, b.texels), std::vector<float>(solve.begin(), solve.end()),
              Maps(coefficients.get(), n, b.texels), b.texels, b.jobs, &b.progress);
  b.figures.fits.push_back(
      MakeFitRow(b, "fixed", MeasureFit(b, coefficients.get(), n, HeldOutKernels(b, b.centres, b.sigma))));
  b.EndStage("fixed fit");
  return true;
}

// The fitting maps at the subgrid's texels, row by row.
std::vector<double> OptimizationSamples(const Bake& b, size_t* texels) {
  const size_t k = b.fit_directions.size();
  std::vector<size_t> index;
  for (int j = 0; j < b.subgrid.height; ++j) {
    for (int i = 0; i < b.subgrid.width; ++i) {
      const size_t x = static_cast<size_t>(b.subgrid.x0 + i * b.subgrid.step);
      const size_t r = static_cast<size_t>(b.subgrid.r0 + j * b.subgrid.step);
      index.push_back(r * b.options.width + x);
    }
  }
  *texels = index.size();
  std::vector<double> samples(k * index.size());
  for (size_t d = 0; d < k; ++d) {
    const float* map = b.fit_maps.get() + d * b.texels;
    for (size_t t = 0; t < index.size(); ++t) samples[d * index.size() + t] = map[index[t]];
  }
  return samples;
}

bool OptimizeFitCentres(Bake& b) {
  CentreFitProblem problem;
  problem.fit_directions = b.fit_directions;
  problem.samples = OptimizationSamples(b, &problem.texels);
  problem.direction_scales = DirectionScales(b.fit_directions);
  problem.relative_ridge = b.ridge;
  problem.start = b.centre_angles;
  problem.start_sigma = b.sigma;
  CentreFitResult result;
  std::string why;
  // The bar counts solver iterations against their limit; a fit that converges sooner jumps to
  // the end.
  b.progress.Begin("centres", problem.max_iterations);
  problem.on_iteration = [&b](int) { b.progress.Advance(1); };
  if (!OptimizeCentres(problem, &result, &why)) {
    std::fprintf(stderr, "bake: %s\n", why.c_str());
    return false;
  }
  b.centre_angles = result.centres;
  b.centres.clear();
  for (const SphereAngles& a : b.centre_angles) b.centres.push_back(CentreDirection(a));
  b.sigma = result.sigma;
  b.figures.optimized = true;
  b.figures.fit_start_rms = result.start_rms;
  b.figures.fit_final_rms = result.final_rms;
  b.figures.fit_iterations = result.iterations;
  b.figures.fit_components = result.components;
  b.figures.fit_texels = static_cast<int>(problem.texels);
  b.EndStage("centres");
  return true;
}


}  // namespace

bool ChooseSpread(Bake& b) {
  if (!b.options.auto_spread) {
    b.sigma = b.options.spread;
    return true;
  }
  const size_t k = b.fit_directions.size();
  const size_t sub_texels = static_cast<size_t>(b.subgrid.width) * b.subgrid.height;
  HeapPtr<float> fit_sub;
  if (!AllocateFloats(k * sub_texels, &fit_sub, "the spread search")) return false;
  for (size_t d = 0; d < k; ++d) {
    for (int j = 0; j < b.subgrid.height; ++j) {
      for (int i = 0; i < b.subgrid.width; ++i) {
        const size_t x = static_cast<size_t>(b.subgrid.x0 + i * b.subgrid.step);
        const size_t r = static_cast<size_t>(b.subgrid.r0 + j * b.subgrid.step);
        fit_sub.get()[d * sub_texels + static_cast<size_t>(j) * b.subgrid.width + i] =
            b.fit_maps.get()[d * b.texels + r * b.options.width + x];
      }
    }
  }
  SpreadProblem problem;
  problem.fit_directions = b.fit_directions;
  problem.fit_maps = ConstMaps(fit_sub.get(), k, sub_texels);
  problem.validation_directions = b.validation_directions;
  problem.validation_maps = ConstMaps(b.validation_maps.get(), b.validation_directions.size(), sub_texels);
  problem.texels = sub_texels;
  problem.centres = b.centres;
  problem.relative_ridge = b.ridge;
  problem.jobs = b.jobs;
  std::vector<SpreadTrial> trials;
  b.progress.Begin("spread", SpreadSearchTrials());
  b.sigma = SearchSpread(problem, kSpreadLo, kSpreadHi, &trials, &b.progress);
  b.figures.spread_trials = static_cast<int>(trials.size());
  b.EndStage("spread");
  b.validation_maps.reset();
  return true;
}


bool PlaceCentres(Bake& b) {
  if (b.options.fit != BakeFit::kOptimized) return true;
  return MeasureFixedFit(b) && OptimizeFitCentres(b);
}

// SRBF and SH coefficients for every texel in one pass over the fitting maps.
bool Fit(Bake& b) {
  const int k = static_cast<int>(b.fit_directions.size());
  const int n = static_cast<int>(b.centres.size());
  const int sh = kShBands * kShBands;
  std::vector<double> srbf_solve, sh_solve;
  const std::vector<double> scales =
      b.options.fit == BakeFit::kOptimized ? DirectionScales(b.fit_directions) : std::vector<double>();
  if (!SolveMatrix(SrbfDesignMatrix(b.fit_directions, b.centres, b.sigma), k, n,
                   b.ridge, scales, &srbf_solve) ||
      !SolveMatrix(ShDesignMatrix(b.fit_directions, kShBands), k, sh, b.ridge, {},
                   &sh_solve)) {
    return false;
  }
  std::vector<float> combined(srbf_solve.begin(), srbf_solve.end());
  combined.insert(combined.end(), sh_solve.begin(), sh_solve.end());
  if (!AllocateFloats(3 * static_cast<size_t>(n) * b.texels, &b.coefficients, "the coefficients") ||
      !AllocateFloats(static_cast<size_t>(sh) * b.texels, &b.sh_coefficients, "the SH coefficients")) {
    return false;
  }
  std::vector<float*> out = Maps(b.coefficients.get(), n, b.texels);
  for (float* m : Maps(b.sh_coefficients.get(), sh, b.texels)) out.push_back(m);
  b.progress.Begin("fit", static_cast<long>(b.texels));
  CombineMaps(ConstMaps(b.fit_maps.get(), k, b.texels), combined, out, b.texels, b.jobs, &b.progress);
  float largest = 0.0f;
  for (size_t i = 0; i < static_cast<size_t>(n) * b.texels; ++i) largest = std::max(largest, std::fabs(b.coefficients.get()[i]));
  b.figures.largest_coefficient = largest;
  // White light: the green and blue channels repeat the red one.
  const size_t channel = static_cast<size_t>(n) * b.texels;
  std::memcpy(b.coefficients.get() + channel, b.coefficients.get(), channel * sizeof(float));
  std::memcpy(b.coefficients.get() + 2 * channel, b.coefficients.get(), channel * sizeof(float));
  b.EndStage("fit");
  b.fit_maps.reset();
  return true;
}

// Held-out directions: the SRBF and SH fits against the truth, and 16-bit float storage against
// 32-bit coefficients.
bool Evaluate(Bake& b) {
  const size_t n = b.centres.size();
  const size_t sh = kShBands * kShBands;
  const size_t directions = b.heldout_directions.size() + b.band_directions.size();
  HeapPtr<float> half;
  if (!AllocateFloats(n * b.texels, &half, "the 16-bit coefficients")) return false;
  b.progress.Begin("evaluate", 3);
  for (size_t i = 0; i < n * b.texels; ++i) half.get()[i] = RoundToHalf(b.coefficients.get()[i]);
  b.heldout_kernels.assign(directions * n, 0.0f);
  std::vector<float> sh_matrix(directions * sh);
  double sh_values[kShBands * kShBands];
  for (size_t d = 0; d < directions; ++d) {
    SrbfKernelRow(b.HeldOut(d), b.centres, b.sigma, &b.heldout_kernels[d * n]);
    EvaluateShBasis(b.HeldOut(d), kShBands, sh_values);
    std::copy(sh_values, sh_values + sh, &sh_matrix[d * sh]);
  }
  const std::vector<const float*> srbf_maps = ConstMaps(b.coefficients.get(), n, b.texels);
  const std::vector<DirectionErrors> srbf = MeasureFit(b, b.coefficients.get(), n, b.heldout_kernels);
  b.figures.fits.push_back(MakeFitRow(b, b.options.fit == BakeFit::kOptimized ? "optimised" : "fixed", srbf));
  b.srbf_errors.clear();
  for (const DirectionErrors& e : srbf) b.srbf_errors.push_back(e.all);
  b.progress.Advance(1);
  const std::vector<DirectionErrors> sh_all = MeasureFit(b, b.sh_coefficients.get(), sh, sh_matrix);
  b.figures.fits.push_back(MakeFitRow(b, "SH", sh_all));
  std::vector<ErrorSums> sh_errors;
  for (const DirectionErrors& e : sh_all) sh_errors.push_back(e.all);
  b.progress.Advance(1);
  const std::vector<ErrorSums> half_errors =
      CompareTwoCombinations(ConstMaps(half.get(), n, b.texels), b.heldout_kernels, srbf_maps,
                             b.heldout_kernels, b.texels, b.jobs);
  b.progress.Advance(1);
  ErrorSums srbf_hemi, srbf_band, sh_hemi, sh_band, half_all;
  for (size_t d = 0; d < directions; ++d) {
    const bool band = d >= b.heldout_directions.size();
    (band ? srbf_band : srbf_hemi).Add(b.srbf_errors[d]);
    (band ? sh_band : sh_hemi).Add(sh_errors[d]);
    half_all.Add(half_errors[d]);
  }
  b.mean_reference = b.heldout_directions.empty() ? 0.0 : srbf_hemi.reference / static_cast<double>(b.heldout_directions.size());
  b.figures.srbf_hemisphere = srbf_hemi.Relative();
  b.figures.srbf_band = srbf_band.Relative();
  b.figures.sh_hemisphere = sh_hemi.Relative();
  b.figures.sh_band = sh_band.Relative();
  b.figures.half_float_added = half_all.Relative();
  b.EndStage("evaluate");
  b.sh_coefficients.reset();
  return true;
}


}  // namespace veltrane
