#include "tools/bake/baker.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "codec/dct_image.h"
#include "tools/bake/bake_limits.h"
#include "tools/bake/bake_stages.h"
#include "tools/bake/run_directory.h"

namespace veltrane {

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
  std::string why;
  if (!CheckBakeOptions(options, &why)) {
    std::fprintf(stderr, "bake: %s\n", why.c_str());
    return 1;
  }
  if (!PendingRunDirectory::CheckTarget(options.out_dir, kDescriptionName, &why)) {
    std::fprintf(stderr, "bake: %s\n", why.c_str());
    return 1;
  }
  BakeFigures f;
  Bake b(options, f);
  if (!options.model_path.empty()) {
    // Nothing is created before the model has been read: a bad one leaves no trace.
    const auto import_start = std::chrono::steady_clock::now();
    if (!ImportModel(options.model_path, options.import, &b.object, &why)) {
      std::fprintf(stderr, "bake: %s: %s\n", options.model_path.c_str(), why.c_str());
      return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - import_start).count();
    b.has_object = true;
    f.object_name = b.object.name;
    f.object_triangles = b.object.TriangleCount();
    f.stage_seconds.push_back({"import", seconds});
    if (options.log != nullptr) {
      std::fprintf(options.log, "import: %s, %zu triangles, %.2f s\n", f.object_name.c_str(), f.object_triangles,
                   seconds);
      std::fflush(options.log);
    }
  }
  PendingRunDirectory run;
  if (!run.Begin(options.out_dir, &why)) {
    std::fprintf(stderr, "bake: %s\n", why.c_str());
    return 1;
  }
  b.out = run.path();
  if (options.on_build_directory) options.on_build_directory(run.path());
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
      !Encode(b) || !WriteSceneFiles(b) || !WriteReport(b)) {
    return 1;
  }
  if (!run.Commit(&why)) {
    std::fprintf(stderr, "bake: %s\n", why.c_str());
    return 1;
  }
  if (figures != nullptr) *figures = f;
  return 0;
}

}  // namespace veltrane
