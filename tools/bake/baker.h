// The baker: makes a complete run directory for the viewer from the built-in scene.
//
//   out/lightmap.qdx            the relighting description
//   out/data/lightmap.rbf       raw SRBF coefficients (--format raw or both)
//   out/data/lightmap.rbf.dct   DCT-compressed coefficients (--format dct or both)
//   out/wood.ppm                the wood texture
//   out/shader/dir/NAME.cgz     the seven shader sources in deflate containers
//   out/bake-report.txt, out/bake-report.png
//
// Ground-truth light maps of the table top (shadowed by the angel) are rendered for fitting
// directions over the upper hemisphere, fitted per texel by least squares with a small ridge
// term to Gaussian SRBF lobes, and measured at held-out directions against the truth, against a
// spherical-harmonics fit of the same size, and after 16-bit float storage and DCT compression.
// The lobes start at HEMI_HAMMERSLEY centres with one spread chosen by validation; the optimised
// fit then moves the centres and the spread to where the lobes fit best (tools/bake/centre_fit.h)
// and writes them as an OPTIMIZED centre list.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "relight/maps_per_pass.h"
#include "tools/bake/bake_report.h"
#include "tools/bake/model_import.h"

namespace veltrane {

enum class BakeFormat { kDct, kRaw, kBoth };
enum class BakeFit { kOptimized, kFixed };

// The relative ridge weight (times the mean diagonal of the normal matrix) that each fit uses
// unless one is given: the fixed fit keeps its long-standing weight; the optimised one takes a
// smaller one (held-out error falls steadily as the weight goes from 1e-2 to 1e-6, but below
// 1e-4 neighbouring lobes start to cancel and the DCT stage adds more than 1 %).
constexpr double kRidgeByFit = -1.0;
constexpr double kFixedRidge = 2e-3;
constexpr double kOptimizedRidge = 1e-4;

struct BakeOptions {
  std::string out_dir = "run";
  int width = 512, height = 512;
  int centres = kMaxSrbfCenters;  // 1 .. kMaxSrbfCenters (the viewer's limit)
  bool auto_spread = true;
  float spread = 0.0f;         // radians, when not automatic
  int samples = 256;           // fitting directions K
  int heldout = 96;            // held-out directions over the hemisphere
  int band_heldout = 32;       // held-out directions with theta in [30, 45) degrees
  int validation = 48;         // directions that choose the spread
  BakeFormat format = BakeFormat::kDct;
  BakeFit fit = BakeFit::kOptimized;
  int jobs = 0;                // 0: every core
  double disc_radius_deg = 20.0;
  int disc_samples = 240;      // directions per light disc, at most 255
  double relative_ridge = kRidgeByFit;  // 0 to 1, or kRidgeByFit
  double bits_per_pixel = 3.0;
  FILE* log = stdout;          // progress and the report; nullptr: quiet
  bool progress_bar = false;   // a bar (terminal) rather than a line per stage
  std::string model_path;      // a model file to stand on the table; empty: the built-in angel
  ImportOptions import;        // its placement and triangle limit
  // Called with the temporary directory the run directory is built in, once it exists (so that
  // a caller can remove it when a signal ends the bake); may be empty.
  std::function<void(const std::string& directory)> on_build_directory;
};

// The run directory's names.
constexpr const char* kDescriptionName = "lightmap.qdx";
constexpr const char* kBasePath = "data";
constexpr const char* kEncodedFile = "lightmap";
// The scheme word of a centre list that the optimised fit placed.
constexpr const char* kOptimizedSchemeWord = "OPTIMIZED";

// The relative ridge weight that a bake with these options uses.
double EffectiveRidge(const BakeOptions& options);

// Checks the options' ranges; on a fault writes why into *why and returns false.
bool CheckBakeOptions(const BakeOptions& options, std::string* why);

// Runs the bake. The run directory is built in a temporary directory beside out_dir
// ("OUT.tmp-XXXXXX") and renamed into place at the end, replacing an earlier run directory
// there, so that it appears whole or not at all. Returns 0 on success; 1 after printing a
// message on standard error when the model cannot be used (one line naming the file; nothing
// is created then), a file cannot be written, memory runs out or the built-in model has no
// table top.
int RunBake(const BakeOptions& options, BakeFigures* figures);

}  // namespace veltrane
