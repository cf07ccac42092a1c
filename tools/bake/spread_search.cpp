#include "tools/bake/spread_search.h"

#include <cmath>

#include "tools/bake/map_algebra.h"
#include "tools/bake/ridge_solve.h"
#include "tools/bake/srbf_basis.h"
#include "tools/bake/stage_progress.h"

namespace veltrane {
namespace {

constexpr int kScanSteps = 12;
constexpr int kRefineSteps = 8;

std::vector<float> ToFloat(const std::vector<double>& v) { return std::vector<float>(v.begin(), v.end()); }

}  // namespace

double SpreadValidationError(const SpreadProblem& problem, float sigma) {
  const int k = static_cast<int>(problem.fit_directions.size());
  const int n = static_cast<int>(problem.centres.size());
  const std::vector<double> phi = SrbfDesignMatrix(problem.fit_directions, problem.centres, sigma);
  std::vector<double> solve;
  if (!RidgeSolveMatrix(phi, k, n, RidgeLambda(phi, k, n, problem.relative_ridge), &solve)) {
    return HUGE_VAL;
  }
  // Coefficients on the subsample, then the light maps they give at the validation directions.
  std::vector<float> coefficients(static_cast<size_t>(n) * problem.texels);
  std::vector<float*> coefficient_maps;
  for (int i = 0; i < n; ++i) coefficient_maps.push_back(&coefficients[static_cast<size_t>(i) * problem.texels]);
  CombineMaps(problem.fit_maps, ToFloat(solve), coefficient_maps, problem.texels, problem.jobs, nullptr);

  const int v = static_cast<int>(problem.validation_directions.size());
  const std::vector<double> kernels =
      SrbfDesignMatrix(problem.validation_directions, problem.centres, sigma);
  std::vector<float> predicted(static_cast<size_t>(v) * problem.texels);
  std::vector<float*> predicted_maps;
  for (int j = 0; j < v; ++j) predicted_maps.push_back(&predicted[static_cast<size_t>(j) * problem.texels]);
  CombineMaps(std::vector<const float*>(coefficient_maps.begin(), coefficient_maps.end()),
              ToFloat(kernels), predicted_maps, problem.texels, problem.jobs, nullptr);

  ErrorSums sums;
  for (int j = 0; j < v; ++j) sums.Add(CompareMaps(predicted_maps[j], problem.validation_maps[j], problem.texels));
  return sums.Relative();
}

int SpreadSearchTrials() { return kScanSteps + kRefineSteps; }

float SearchSpread(const SpreadProblem& problem, float lo, float hi,
                   std::vector<SpreadTrial>* trials, StageProgress* progress) {
  auto trial = [&](double sigma) {
    const double error = SpreadValidationError(problem, static_cast<float>(sigma));
    if (trials != nullptr) trials->push_back({static_cast<float>(sigma), error});
    if (progress != nullptr) progress->Advance(1);
    return error;
  };
  // Coarse scan, evenly in log sigma.
  const double log_lo = std::log(lo), log_hi = std::log(hi);
  const double step = (log_hi - log_lo) / (kScanSteps - 1);
  int best = 0;
  double best_error = HUGE_VAL;
  for (int s = 0; s < kScanSteps; ++s) {
    const double error = trial(std::exp(log_lo + s * step));
    if (error < best_error) {
      best_error = error;
      best = s;
    }
  }
  // Golden-section search in log sigma over the neighbours of the best scan point.
  double a = log_lo + (best > 0 ? best - 1 : 0) * step;
  double b = log_lo + (best < kScanSteps - 1 ? best + 1 : kScanSteps - 1) * step;
  double best_log = log_lo + best * step;
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double c = b - ratio * (b - a), d = a + ratio * (b - a);
  double fc = trial(std::exp(c)), fd = trial(std::exp(d));
  for (int s = 2; s < kRefineSteps; ++s) {
    if (fc < fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - ratio * (b - a);
      fc = trial(std::exp(c));
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + ratio * (b - a);
      fd = trial(std::exp(d));
    }
  }
  if (fc < best_error) {
    best_error = fc;
    best_log = c;
  }
  if (fd < best_error) {
    best_error = fd;
    best_log = d;
  }
  return static_cast<float>(std::exp(best_log));
}

}  // namespace veltrane
