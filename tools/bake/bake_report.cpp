#include "tools/bake/bake_report.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace veltrane {
namespace {

constexpr int kGap = 4;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

unsigned char Grey(float v) {
  const double c = std::pow(std::clamp(static_cast<double>(v), 0.0, 1.0), 1.0 / 2.2);
  return static_cast<unsigned char>(std::lround(255.0 * c));
}

}  // namespace

std::string FormatBakeReport(const BakeFigures& f) {
  std::string s = "Veltrane bake report\n\n";
  if (!f.object_name.empty()) {
    s += Format("object            %s, %zu triangles (%zu casting the shadow), in place of the angel\n",
                f.object_name.c_str(), f.object_triangles, f.shadow_triangles);
  }
  s += Format("light maps        %d x %d texels, white light (R = G = B)\n", f.width, f.height);
  if (f.optimized) {
    s += Format("SRBF centres      %d, %s: moved from HEMI_HAMMERSLEY with the spread by Levenberg-Marquardt\n",
                f.centres, f.centre_scheme.c_str());
    s += Format("                  (%d texels, %d components, %d iterations; fitting residual %.3f %% -> %.3f %%)\n",
                f.fit_texels, f.fit_components, f.fit_iterations, 100.0 * f.fit_start_rms,
                100.0 * f.fit_final_rms);
  } else {
    s += Format("SRBF centres      %d, HEMI_HAMMERSLEY over theta 0 to 90 degrees\n", f.centres);
  }
  s += Format("fitting samples   %d directions (Fibonacci hemisphere), ridge %.3g x mean diagonal\n",
              f.samples, f.relative_ridge);
  s += Format("light disc        radius %.2f degrees, %d directions per light\n", f.disc_radius_deg,
              f.disc_samples);
  if (f.auto_spread) {
    s += Format("spread sigma      %.6f rad (%.2f degrees), %s %d trials on %d validation directions\n",
                f.spread, f.spread * 57.29577951308232, f.optimized ? "optimised from" : "chosen by",
                f.spread_trials, f.validation);
  } else {
    s += Format("spread sigma      %.6f rad (%.2f degrees), %s\n", f.spread, f.spread * 57.29577951308232,
                f.optimized ? "optimised from the given value" : "given");
  }
  s += "\nrelative RMS error at held-out directions (never used in the fit or the spread choice)\n";
  s += Format("  SRBF, %2d centres, hemisphere (%d directions)          %7.3f %%\n", f.centres, f.heldout,
              100.0 * f.srbf_hemisphere);
  s += Format("  SRBF, %2d centres, theta 30 to 45 degrees (%d directions) %5.3f %%\n", f.centres,
              f.band_heldout, 100.0 * f.srbf_band);
  s += Format("  SH, bands 0 to 4 (25), hemisphere                      %7.3f %%\n", 100.0 * f.sh_hemisphere);
  s += Format("  SH, bands 0 to 4 (25), theta 30 to 45 degrees          %7.3f %%\n", 100.0 * f.sh_band);
  if (!f.fits.empty()) {
    s += "\nper fit: hemisphere, theta 30 to 45 degrees, and that band's texels in or near shadow\n";
    for (const FitRow& r : f.fits) {
      s += Format("  %-10s hemisphere %7.3f %%   band %7.3f %%   band near shadow %7.3f %%\n", r.name.c_str(),
                  100.0 * r.hemisphere, 100.0 * r.band, 100.0 * r.band_shadow);
    }
    s += "worst band direction (relative to its own map), and worst hemisphere direction\n"
         "(RMS error over the RMS of the mean light map: grazing maps are nearly black)\n";
    for (const FitRow& r : f.fits) {
      s += Format("  %-10s %s %6.2f %%;  %s %6.2f %%\n", r.name.c_str(), r.worst_band_direction.c_str(),
                  100.0 * r.worst_band_relative, r.worst_direction.c_str(), 100.0 * r.worst_normalised);
    }
    s += "\n";
  }
  s += Format("  largest |coefficient|                                   %6.2f\n", f.largest_coefficient);
  s += Format("  16-bit float textures add (against 32-bit coefficients) %6.3f %%\n", 100.0 * f.half_float_added);
  if (f.dct_added >= 0.0) {
    s += Format("  DCT compression adds (decoded against raw coefficients) %6.3f %%\n", 100.0 * f.dct_added);
  } else {
    s += "  DCT compression adds                                   not measured (no DCT file)\n";
  }
  s += "\nfiles\n";
  s += Format("  %-24s %10zu bytes%s\n", f.raw_name.c_str(), f.raw_bytes,
              f.raw_written ? "" : " (not written: --format dct)");
  if (f.dct_bytes > 0) {
    s += Format("  %-24s %10zu bytes, %.2f %% of raw, %.2f bits per value requested%s\n", f.dct_name.c_str(),
                f.dct_bytes, 100.0 * static_cast<double>(f.dct_bytes) / static_cast<double>(f.raw_bytes),
                f.bits_per_pixel, f.dct_written ? "" : " (not written)");
  }
  s += Format("\ntimings (%d threads)\n", f.jobs);
  for (const auto& stage : f.stage_seconds) s += Format("  %-12s %8.2f s\n", stage.first.c_str(), stage.second);
  s += Format("  %-12s %8.2f s\n", "total", f.total_seconds);
  if (!f.image_directions.empty()) {
    s += Format("\nbake-report.png: per row truth, fit, (fit - truth) x %.0f (red brighter, blue darker)\n",
                kReportErrorGain);
    for (const std::string& caption : f.image_directions) s += "  " + caption + "\n";
  }
  return s;
}

std::vector<unsigned char> MakeReportImage(int width, int height,
                                           const std::vector<const float*>& truth,
                                           const std::vector<const float*>& fit,
                                           int* image_width, int* image_height) {
  const int rows = static_cast<int>(std::min(truth.size(), fit.size()));
  *image_width = 3 * width + 2 * kGap;
  *image_height = rows * height + (rows > 0 ? rows - 1 : 0) * kGap;
  std::vector<unsigned char> rgb(static_cast<size_t>(*image_width) * *image_height * 3, 48);
  for (int row = 0; row < rows; ++row) {
    for (int y = 0; y < height; ++y) {
      unsigned char* line = &rgb[(static_cast<size_t>(row) * (height + kGap) + y) * *image_width * 3];
      for (int x = 0; x < width; ++x) {
        const float t = truth[row][static_cast<size_t>(y) * width + x];
        const float g = fit[row][static_cast<size_t>(y) * width + x];
        unsigned char* p = line + 3 * x;
        p[0] = p[1] = p[2] = Grey(t);
        p += 3 * (width + kGap);
        p[0] = p[1] = p[2] = Grey(g);
        p += 3 * (width + kGap);
        const double e = std::clamp(kReportErrorGain * (static_cast<double>(g) - t), -1.0, 1.0);
        const auto fade = static_cast<unsigned char>(std::lround(255.0 * (1.0 - std::fabs(e))));
        p[0] = e >= 0.0 ? 255 : fade;
        p[1] = fade;
        p[2] = e <= 0.0 ? 255 : fade;
      }
    }
  }
  return rgb;
}

}  // namespace veltrane
