// What a bake measured, as the text of bake-report.txt, and the comparison image
// bake-report.png.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace veltrane {

// One fit at the held-out directions (relative RMS errors, fractions).
struct FitRow {
  std::string name;  // "fixed", "optimised" or "SH"
  double hemisphere = 0.0, band = 0.0;
  double band_shadow = 0.0;  // band directions, only the texels in or near shadow
  double worst_band_relative = 0.0;
  std::string worst_band_direction;
  double worst_normalised = 0.0;  // the hemisphere direction with the largest error, over the
  std::string worst_direction;    // RMS of the mean light map (grazing maps are nearly black)
};

struct BakeFigures {
  std::string object_name;  // the model on the table; empty: the built-in angel
  size_t object_triangles = 0, shadow_triangles = 0;
  int width = 0, height = 0, centres = 0;
  int samples = 0, heldout = 0, band_heldout = 0, validation = 0;
  int disc_samples = 0, jobs = 0;
  double disc_radius_deg = 0.0, relative_ridge = 0.0, bits_per_pixel = 0.0;
  float spread = 0.0f;
  bool auto_spread = false;
  std::string centre_scheme;       // the scheme word written
  std::vector<std::pair<float, float>> centre_angles;  // theta, phi in degrees, as written
  std::vector<FitRow> fits;        // fixed (and optimised when run), then SH
  bool optimized = false;          // the centres were moved (the figures below are set)
  double fit_start_rms = 0.0, fit_final_rms = 0.0;  // weighted fitting residual, relative
  int fit_iterations = 0, fit_components = 0, fit_texels = 0;
  int spread_trials = 0;
  // Relative RMS errors at held-out directions (fractions, not percent).
  double srbf_hemisphere = 0.0, srbf_band = 0.0;
  double sh_hemisphere = 0.0, sh_band = 0.0;
  float largest_coefficient = 0.0f;  // the largest |c| of the SRBF coefficients
  double half_float_added = 0.0;  // light maps from 16-bit float coefficients against 32-bit
  double dct_added = -1.0;        // light maps from decoded coefficients against raw; < 0: none
  size_t raw_bytes = 0, dct_bytes = 0;
  bool raw_written = false, dct_written = false;
  std::string raw_name, dct_name;  // paths inside the run directory
  std::vector<std::pair<std::string, double>> stage_seconds;
  double total_seconds = 0.0;
  std::vector<std::string> image_directions;  // a caption per row of the report image
};

std::string FormatBakeReport(const BakeFigures& figures);

// Amplification of the error tiles: fit - truth times this, clamped to [-1, 1].
constexpr double kReportErrorGain = 4.0;

// One row per direction: truth, fit and their amplified signed difference (red: fit too
// bright, blue: too dark, white: none), each width x height, with gaps between them. Values
// are light-map values (0 .. 1, shown with a display gamma).
std::vector<unsigned char> MakeReportImage(int width, int height,
                                           const std::vector<const float*>& truth,
                                           const std::vector<const float*>& fit,
                                           int* image_width, int* image_height);

}  // namespace veltrane
