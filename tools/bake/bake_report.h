// What a bake measured, as the text of bake-report.txt, and the comparison image
// bake-report.png.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace veltrane {

struct BakeFigures {
  int width = 0, height = 0, centres = 0;
  int samples = 0, heldout = 0, band_heldout = 0, validation = 0;
  int disc_samples = 0, jobs = 0;
  double disc_radius_deg = 0.0, relative_ridge = 0.0, bits_per_pixel = 0.0;
  float spread = 0.0f;
  bool auto_spread = false;
  int spread_trials = 0;
  // Relative RMS errors at held-out directions (fractions, not percent).
  double srbf_hemisphere = 0.0, srbf_band = 0.0;
  double sh_hemisphere = 0.0, sh_band = 0.0;
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
