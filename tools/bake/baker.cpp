#include "tools/bake/baker.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/container_writer.h"
#include "codec/dct_encoder.h"
#include "codec/dct_image.h"
#include "codec/ppm.h"
#include "common/direction.h"
#include "common/heap.h"
#include "common/parallel_for.h"
#include "relight/description.h"
#include "tools/bake/bake_limits.h"
#include "tools/bake/centre_fit.h"
#include "tools/bake/embedded_shaders.h"
#include "tools/bake/fit_errors.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/half_float.h"
#include "tools/bake/map_algebra.h"
#include "codec/png_writer.h"
#include "tools/bake/ridge_solve.h"
#include "tools/bake/run_files.h"
#include "tools/bake/sh_basis.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/spread_search.h"
#include "tools/bake/srbf_basis.h"
#include "tools/bake/stage_progress.h"
#include "tools/bake/wood_texture.h"

namespace veltrane {
namespace {

constexpr int kShBands = 5;  // bands 0 to 4: 25 functions
constexpr int kWoodSize = 512;
constexpr float kSpreadLo = 0.1f, kSpreadHi = 1.5f;
constexpr size_t kSpreadSubsampleTexels = 8192;
// Fitting directions near the viewer's band (theta 30 to 45 degrees) count this many times in
// the optimised fit (its rows scaled by the square root).
constexpr double kBandRowWeight = 3.0;
constexpr double kBandWeightLoDeg = 25.0, kBandWeightHiDeg = 50.0;
// Fixed seeds of the direction sets, so that every bake measures the same directions.
constexpr uint64_t kValidationSeed = 0x76616c6964ull;
constexpr uint64_t kHeldOutSeed = 0x68656c646f7574ull;
constexpr uint64_t kBandSeed = 0x62616e64ull;
const char* const kShaderNames[7] = {"lightmap_relitdir16", "draw_scene", "lightmap_mapping",
                                     "table_frag",          "table_vert", "angel_vert",
                                     "angel_frag"};

bool AllocateFloats(size_t count, HeapPtr<float>* buffer, const char* what) {
  buffer->reset(HeapAlloc<float>(count));
  if (*buffer == nullptr) {
    std::fprintf(stderr, "bake: not enough memory for %s (%.0f MiB)\n", what,
                 4.0 * static_cast<double>(count) / 1048576.0);
    return false;
  }
  return true;
}

std::vector<const float*> ConstMaps(const float* base, size_t count, size_t texels) {
  std::vector<const float*> maps;
  for (size_t i = 0; i < count; ++i) maps.push_back(base + i * texels);
  return maps;
}

std::vector<float*> Maps(float* base, size_t count, size_t texels) {
  std::vector<float*> maps;
  for (size_t i = 0; i < count; ++i) maps.push_back(base + i * texels);
  return maps;
}

std::string DirectionText(Vec3d l) {
  const double theta = std::acos(std::clamp(l.y, -1.0, 1.0)) * 57.29577951308232;
  double phi = std::atan2(-l.z, l.x) * 57.29577951308232;
  if (phi < 0.0) phi += 360.0;
  char text[64];
  std::snprintf(text, sizeof text, "theta %5.1f phi %5.1f degrees", theta, phi);
  return text;
}

std::string Caption(Vec3d l, const char* what, const ErrorSums& error, double mean_reference) {
  char text[200];
  if (mean_reference > 0.0) {
    std::snprintf(text, sizeof text, "%s (%s): relative error %.2f %%, %.2f %% of the mean light map",
                  DirectionText(l).c_str(), what, 100.0 * error.Relative(),
                  100.0 * std::sqrt(error.error / mean_reference));
  } else {
    std::snprintf(text, sizeof text, "%s (%s): relative error %.2f %%", DirectionText(l).c_str(), what,
                  100.0 * error.Relative());
  }
  return text;
}

// Everything the stages share.
struct Bake {
  const BakeOptions& options;
  BakeFigures& figures;
  StageProgress progress;
  int jobs;
  size_t texels;
  GroundTruthScene scene;
  std::vector<SphereAngles> centre_angles;
  std::vector<Vec3d> centres, fit_directions, validation_directions, heldout_directions,
      band_directions;
  TexelGrid subgrid;
  HeapPtr<float> fit_maps, validation_maps, heldout_maps;
  float sigma = 0.0f;
  double ridge = 0.0;  // relative ridge weight of every fit
  HeapPtr<float> coefficients;     // 3 x N x texels, the raw file's order
  HeapPtr<float> sh_coefficients;  // 25 x texels
  std::vector<ErrorSums> srbf_errors;  // per held-out direction: hemisphere set, then band set
  double mean_reference = 0.0;         // mean squared norm of a hemisphere held-out truth map
  std::vector<float> heldout_kernels;  // held-out directions x N kernel values
  std::string out, data_dir, shader_dir;

  Bake(const BakeOptions& o, BakeFigures& f)
      : options(o), figures(f), progress(o.log, o.progress_bar),
        jobs(ResolveThreadCount(o.jobs)),
        texels(static_cast<size_t>(o.width) * o.height), ridge(EffectiveRidge(o)) {}

  void EndStage(const char* name) { figures.stage_seconds.push_back({name, progress.End()}); }
  Vec3d HeldOut(size_t j) const {
    return j < heldout_directions.size() ? heldout_directions[j]
                                         : band_directions[j - heldout_directions.size()];
  }
};

bool Prepare(Bake& b) {
  const BakeOptions& o = b.options;
  for (const char* name : kShaderNames) {
    if (FindEmbeddedShader(name) == nullptr) {
      std::fprintf(stderr, "bake: shader %s was not built into the tool (data/shaders/%s.cg was missing)\n",
                   name, name);
      return false;
    }
  }
  if (!BuiltInGroundTruthScene(o.disc_samples, o.disc_radius_deg * kRadiansPerDegree, &b.scene)) {
    std::fprintf(stderr, "bake: the built-in model has no usable table top\n");
    return false;
  }
  b.out = o.out_dir;
  b.data_dir = b.out + "/" + kBasePath;
  b.shader_dir = b.out + "/shader/dir";
  for (const std::string* dir : {&b.out, &b.data_dir, &b.shader_dir}) {
    if (!MakeDirectories(*dir)) {
      std::fprintf(stderr, "bake: cannot create directory %s: %s\n", dir->c_str(), std::strerror(errno));
      return false;
    }
  }
  b.centre_angles = HemiHammersley(o.centres);
  for (const SphereAngles& a : b.centre_angles) b.centres.push_back(CentreDirection(a));
  b.fit_directions = FibonacciHemisphere(o.samples);
  b.validation_directions = JitteredBand(o.validation, 0.0, 90.0, kValidationSeed);
  b.heldout_directions = JitteredBand(o.heldout, 0.0, 90.0, kHeldOutSeed);
  b.band_directions = JitteredBand(o.band_heldout, 30.0, 45.0, kBandSeed);
  const int step = std::max(1, static_cast<int>(std::lround(std::sqrt(
                                   static_cast<double>(b.texels) / kSpreadSubsampleTexels))));
  b.subgrid = SubsampledGrid(o.width, o.height, step);
  return true;
}

// Ground truth at the fitting and held-out directions (full maps) and at the validation
// directions (subgrid).
bool RenderShadows(Bake& b) {
  const size_t k = b.fit_directions.size(), v = b.validation_directions.size();
  const size_t h = b.heldout_directions.size() + b.band_directions.size();
  const size_t sub_texels = static_cast<size_t>(b.subgrid.width) * b.subgrid.height;
  if (!AllocateFloats(k * b.texels, &b.fit_maps, "the fitting light maps") ||
      !AllocateFloats(h * b.texels, &b.heldout_maps, "the held-out light maps") ||
      !AllocateFloats(v * sub_texels, &b.validation_maps, "the validation light maps")) {
    return false;
  }
  const TexelGrid full = FullGrid(b.options.width, b.options.height);
  std::vector<GroundTruthScratch> scratch(b.jobs);
  b.progress.Begin("shadows", static_cast<long>(k + h + v));
  ParallelChunks(k + h + v, 1, b.jobs, [&](size_t begin, size_t end, int worker) {
    for (size_t d = begin; d < end; ++d) {
      if (d < k) {
        RenderGroundTruth(b.scene, b.fit_directions[d], full, b.fit_maps.get() + d * b.texels,
                          &scratch[worker]);
      } else if (d < k + h) {
        RenderGroundTruth(b.scene, b.HeldOut(d - k), full, b.heldout_maps.get() + (d - k) * b.texels,
                          &scratch[worker]);
      } else {
        RenderGroundTruth(b.scene, b.validation_directions[d - k - h], b.subgrid,
                          b.validation_maps.get() + (d - k - h) * sub_texels, &scratch[worker]);
      }
    }
    b.progress.Advance(end - begin);
  });
  b.EndStage("shadows");
  return true;
}

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

bool WriteFileOrSay(const std::string& path, const void* data, size_t size) {
  if (WriteFileBytes(path, data, size)) return true;
  std::fprintf(stderr, "bake: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  return false;
}

// Light maps relit from the decoded coefficients against those from the raw ones, over the
// held-out hemisphere directions and all three channels.
double DctAddedError(Bake& b, const float* decoded) {
  const size_t n = b.centres.size();
  const std::vector<float> kernels(b.heldout_kernels.begin(),
                                   b.heldout_kernels.begin() + b.heldout_directions.size() * n);
  ErrorSums all;
  for (size_t c = 0; c < 3; ++c) {
    for (const ErrorSums& s : CompareTwoCombinations(
             ConstMaps(decoded + c * n * b.texels, n, b.texels), kernels,
             ConstMaps(b.coefficients.get() + c * n * b.texels, n, b.texels), kernels, b.texels,
             b.jobs)) {
      all.Add(s);
    }
  }
  return all.Relative();
}

bool Encode(Bake& b) {
  const BakeOptions& o = b.options;
  const size_t n = b.centres.size();
  const size_t values = 3 * n * b.texels;
  const std::string raw_path = b.data_dir + "/" + kEncodedFile + ".rbf";
  const std::string dct_path = raw_path + ".dct";
  const bool raw = o.format != BakeFormat::kDct, dct = o.format != BakeFormat::kRaw;
  b.figures.raw_bytes = 4 * values;
  b.progress.Begin("encode", 1 + (dct ? 2 : 0));
  // A coefficient file of a format not written now, left from an earlier bake, would be loaded
  // instead of the new one (the viewer prefers the raw file) or lie beside it: remove it.
  if (!raw) std::remove(raw_path.c_str());
  if (!dct) std::remove(dct_path.c_str());
  if (raw) {
    if (!WriteFloatsLittleEndian(raw_path, b.coefficients.get(), values)) {
      std::fprintf(stderr, "bake: cannot write %s: %s\n", raw_path.c_str(), std::strerror(errno));
      return false;
    }
    b.figures.raw_written = true;
  }
  b.progress.Advance(1);
  if (dct) {
    DctEncodeOptions encode_options;
    encode_options.bits_per_pixel = o.bits_per_pixel;
    encode_options.threads = b.jobs;
    std::vector<unsigned char> bytes;
    DctEncodeStats stats{};
    if (!EncodeDctImage(b.coefficients.get(), o.width, static_cast<int>(3 * n * o.height),
                        encode_options, &bytes, &stats)) {
      std::fprintf(stderr, "bake: the DCT encoder refused the coefficients\n");
      return false;
    }
    b.progress.Advance(1);
    if (!WriteFileOrSay(dct_path, bytes.data(), bytes.size())) return false;
    b.figures.dct_bytes = bytes.size();
    b.figures.dct_written = true;
    // Decode what was written, as the viewer will.
    FILE* f = std::fopen(dct_path.c_str(), "rb");
    if (f == nullptr) {
      std::fprintf(stderr, "bake: cannot read back %s: %s\n", dct_path.c_str(), std::strerror(errno));
      return false;
    }
    std::unique_ptr<DctImage> image(new DctImage);
    image->Load(f);
    float* plane = nullptr;
    int width = 0, height = 0;
    image->Decode(&plane, &width, &height);
    std::fclose(f);
    HeapPtr<float> decoded(plane);
    if (width != o.width || static_cast<size_t>(height) != 3 * n * o.height) {
      std::fprintf(stderr, "bake: %s decodes to %d x %d samples, not %d x %zu\n", dct_path.c_str(), width,
                   height, o.width, 3 * n * o.height);
      return false;
    }
    b.figures.dct_added = DctAddedError(b, decoded.get());
    b.progress.Advance(1);
  }
  b.EndStage("encode");
  return true;
}

bool WriteDescription(Bake& b) {
  const BakeOptions& o = b.options;
  RelightDescription d;
  std::snprintf(d.base_path, sizeof d.base_path, "%s", kBasePath);
  std::snprintf(d.encoded_file, sizeof d.encoded_file, "%s", kEncodedFile);
  d.refer_width = o.width;
  d.refer_height = o.height;
  d.encoded_color_model = kColorModelRgb;
  d.srbf_spread = b.sigma;
  const bool optimized = b.options.fit == BakeFit::kOptimized;
  d.srbf_center_scheme = optimized ? kCenterSchemeOther : kCenterSchemeHemiHammersley;
  d.srbf_centers = static_cast<SrbfCenter**>(std::calloc(b.centre_angles.size(), sizeof(SrbfCenter*)));
  if (d.srbf_centers == nullptr) {
    std::fprintf(stderr, "bake: not enough memory for the description\n");
    return false;
  }
  for (const SphereAngles& a : b.centre_angles) {
    SrbfCenter* c = static_cast<SrbfCenter*>(std::malloc(sizeof(SrbfCenter)));
    if (c == nullptr) {
      std::fprintf(stderr, "bake: not enough memory for the description\n");
      return false;
    }
    c->theta = a.theta_deg;
    c->phi = a.phi_deg;
    d.srbf_centers[d.srbf_center_count++] = c;
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) d.light_eye_transform[r][c] = r == c ? 1.0f : 0.0f;
  }
  const std::string path = b.out + "/" + kDescriptionName;
  if (!WriteRelightDescription(path.c_str(), d, kOptimizedSchemeWord)) {
    std::fprintf(stderr, "bake: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool WriteShaders(Bake& b) {
  for (const char* name : kShaderNames) {
    const EmbeddedShader* shader = FindEmbeddedShader(name);  // present: checked by Prepare
    std::vector<unsigned char> bytes;
    if (!EncodeDeflateContainer(reinterpret_cast<const unsigned char*>(shader->source), shader->size,
                                0, ContainerOptions(), &bytes)) {
      std::fprintf(stderr, "bake: cannot compress shader %s\n", name);
      return false;
    }
    if (!WriteFileOrSay(b.shader_dir + "/" + name + ".cgz", bytes.data(), bytes.size())) return false;
  }
  return true;
}

// Truth and fit at two held-out directions: the viewer's sweep (nearest theta 37, phi 0) and
// the direction with the largest squared error.
bool WriteReportImage(Bake& b) {
  const size_t n = b.centres.size();
  const size_t hemi = b.heldout_directions.size();
  std::vector<size_t> picks;
  if (!b.band_directions.empty()) {
    const Vec3d sweep = SphericalDirection(37.0 * kRadiansPerDegree, 0.0);
    size_t best = hemi;
    for (size_t j = hemi; j < b.srbf_errors.size(); ++j) {
      if (Dot(b.HeldOut(j), sweep) > Dot(b.HeldOut(best), sweep)) best = j;
    }
    picks.push_back(best);
  }
  if (hemi > 0) {
    size_t worst = 0;
    for (size_t j = 0; j < hemi; ++j) {
      if (b.srbf_errors[j].error > b.srbf_errors[worst].error) worst = j;
    }
    picks.push_back(worst);
  }
  std::vector<std::vector<float>> truth(picks.size(), std::vector<float>(b.texels)),
      fit(picks.size(), std::vector<float>(b.texels));
  std::vector<const float*> truth_maps, fit_maps;
  std::vector<float> weights(n);
  for (size_t p = 0; p < picks.size(); ++p) {
    const Vec3d l = b.HeldOut(picks[p]);
    std::copy(b.heldout_maps.get() + picks[p] * b.texels, b.heldout_maps.get() + (picks[p] + 1) * b.texels,
              truth[p].data());
    SrbfKernelRow(l, b.centres, b.sigma, weights.data());
    WeightedSum(ConstMaps(b.coefficients.get(), n, b.texels), weights.data(), fit[p].data(), b.texels);
    truth_maps.push_back(truth[p].data());
    fit_maps.push_back(fit[p].data());
    b.figures.image_directions.push_back(Caption(l, picks[p] >= hemi ? "viewer's sweep" : "largest error",
                                                 b.srbf_errors[picks[p]], b.mean_reference));
  }
  int width = 0, height = 0;
  const std::vector<unsigned char> rgb =
      MakeReportImage(b.options.width, b.options.height, truth_maps, fit_maps, &width, &height);
  const std::string path = b.out + "/bake-report.png";
  if (picks.empty()) return true;
  if (!WritePng(path, width, height, rgb.data())) {
    std::fprintf(stderr, "bake: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

bool WriteSceneFiles(Bake& b) {
  b.progress.Begin("scene", 4);
  if (!WriteDescription(b)) return false;
  b.progress.Advance(1);
  const std::vector<unsigned char> wood = MakeWoodTexture(kWoodSize, kWoodSize);
  const std::string wood_path = b.out + "/wood.ppm";
  if (!WritePPM(wood_path.c_str(), kWoodSize, kWoodSize, wood.data())) {
    std::fprintf(stderr, "bake: cannot write %s: %s\n", wood_path.c_str(), std::strerror(errno));
    return false;
  }
  b.progress.Advance(1);
  if (!WriteShaders(b)) return false;
  b.progress.Advance(1);
  if (!WriteReportImage(b)) return false;
  b.progress.Advance(1);
  b.EndStage("scene");
  return true;
}

}  // namespace

double EffectiveRidge(const BakeOptions& o) {
  if (o.relative_ridge != kRidgeByFit) return o.relative_ridge;
  return o.fit == BakeFit::kOptimized ? kOptimizedRidge : kFixedRidge;
}

bool CheckBakeOptions(const BakeOptions& o, std::string* why) {
  auto fail = [&](const char* text) {
    *why = text;
    return false;
  };
  if (o.out_dir.empty()) return fail("the output directory is empty");
  if (o.width < 1 || o.width > 4096 || o.height < 1 || o.height > 4096) {
    return fail("the resolution must be 1 to 4096 texels each way");
  }
  if (o.centres < 1 || o.centres > kMaxSrbfCenters) {
    const std::string limit = std::to_string(kMaxSrbfCenters);
    *why = "the centre count must be 1 to " + limit + " (the viewer draws at most " + limit + ")";
    return false;
  }
  if (!o.auto_spread && !(o.spread > 0.0f && o.spread <= 3.14159265f)) {
    return fail("the spread must be above 0 and at most pi radians, or auto");
  }
  if (o.samples < o.centres || o.samples > 20000) return fail("the samples must be at least the centres and at most 20000");
  if (o.samples < kShBands * kShBands) return fail("the samples must be at least 25 (the SH comparison fits 25 functions)");
  if (o.heldout < 1 || o.band_heldout < 1 || o.validation < 1 || o.heldout > 20000 ||
      o.band_heldout > 20000 || o.validation > 20000) {
    return fail("the held-out and validation counts must be 1 to 20000");
  }
  if (o.jobs < 0 || o.jobs > 1024) return fail("the jobs must be 1 to 1024");
  if (!(o.disc_radius_deg >= 0.0 && o.disc_radius_deg <= 45.0) || o.disc_samples < 0 || o.disc_samples > 255) {
    return fail("the light disc must have a radius of 0 to 45 degrees and 0 to 255 samples");
  }
  if (!(o.relative_ridge <= 1.0) || (o.relative_ridge < 0.0 && o.relative_ridge != kRidgeByFit)) {
    return fail("the ridge must be 0 to 1");
  }
  if (!(o.bits_per_pixel > 0.0 && o.bits_per_pixel <= 12.0)) return fail("the bits per pixel must be above 0 and at most 12");
  if (o.format != BakeFormat::kRaw && !FitsDctImage(o.width, o.height, o.centres)) {
    *why = "a " + std::to_string(o.width) + " x " + std::to_string(o.height) + " light map with " +
           std::to_string(o.centres) + " centres is too large for the DCT coefficient file (W x H x 3 x centres " +
           "must stay within " + std::to_string(kDctImageDefaultMaxPixels) + " values: at most " +
           std::to_string(LargestDctSide(o.centres)) + " x " + std::to_string(LargestDctSide(o.centres)) +
           " with " + std::to_string(o.centres) + " centres); lower --resolution or --centers, or use --format raw";
    return false;
  }
  // The fitting maps dominate the memory; keep them within half of the machine's memory.
  const double bytes = 4.0 * (o.samples + o.heldout + o.band_heldout + 4.0 * o.centres + 25.0) *
                       static_cast<double>(o.width) * o.height;
  const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
  if (pages > 0 && page > 0 && bytes > 0.5 * static_cast<double>(pages) * page) {
    char text[200];
    std::snprintf(text, sizeof text, "the fitting maps would need %.1f GB, more than half of this machine's %.1f GB; "
                  "lower --samples or --resolution", bytes / 1e9, static_cast<double>(pages) * page / 1e9);
    return fail(text);
  }
  return true;
}

int RunBake(const BakeOptions& options, BakeFigures* figures) {
  const auto start = std::chrono::steady_clock::now();
  std::string why;
  if (!CheckBakeOptions(options, &why)) {
    std::fprintf(stderr, "bake: %s\n", why.c_str());
    return 1;
  }
  BakeFigures f;
  Bake b(options, f);
  f.width = options.width;
  f.height = options.height;
  f.centres = options.centres;
  f.samples = options.samples;
  f.heldout = options.heldout;
  f.band_heldout = options.band_heldout;
  f.validation = options.validation;
  f.disc_samples = options.disc_samples;
  f.disc_radius_deg = options.disc_radius_deg;
  f.relative_ridge = EffectiveRidge(options);
  f.bits_per_pixel = options.bits_per_pixel;
  f.auto_spread = options.auto_spread;
  f.centre_scheme = options.fit == BakeFit::kOptimized ? kOptimizedSchemeWord : "HEMI_HAMMERSLEY";
  f.jobs = b.jobs;
  f.raw_name = std::string(kBasePath) + "/" + kEncodedFile + ".rbf";
  f.dct_name = f.raw_name + ".dct";
  if (!Prepare(b) || !RenderShadows(b) || !ChooseSpread(b) || !PlaceCentres(b) || !Fit(b) || !Evaluate(b) ||
      !Encode(b) || !WriteSceneFiles(b)) {
    return 1;
  }
  f.spread = b.sigma;
  for (const SphereAngles& a : b.centre_angles) f.centre_angles.push_back({a.theta_deg, a.phi_deg});
  f.total_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string report = FormatBakeReport(f);
  const std::string report_path = b.out + "/bake-report.txt";
  if (!WriteFileOrSay(report_path, report.data(), report.size())) return 1;
  if (options.log != nullptr) {
    std::fprintf(options.log, "\n%s", report.c_str());
    std::fflush(options.log);
  }
  if (figures != nullptr) *figures = f;
  return 0;
}

}  // namespace veltrane
