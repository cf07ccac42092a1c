// The report stage: bake-report.png (truth and fit at two held-out directions) and
// bake-report.txt.
#include "tools/bake/bake_stages.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/png_writer.h"
#include "common/direction.h"
#include "tools/bake/bake_report.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/srbf_basis.h"

namespace veltrane {
namespace {

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

}  // namespace

bool WriteReport(Bake& b) {
  if (!WriteReportImage(b)) return false;
  BakeFigures& f = b.figures;
  f.spread = b.sigma;
  for (const SphereAngles& a : b.centre_angles) f.centre_angles.push_back({a.theta_deg, a.phi_deg});
  f.total_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - b.start).count();
  const std::string report = FormatBakeReport(f);
  const std::string report_path = b.out + "/bake-report.txt";
  if (!WriteFileOrSay(report_path, report.data(), report.size())) return false;
  if (b.options.log != nullptr) {
    std::fprintf(b.options.log, "\n%s", report.c_str());
    std::fflush(b.options.log);
  }
  return true;
}

}  // namespace veltrane
