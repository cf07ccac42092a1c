#include "tools/bake/run_relight.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/heap.h"
#include "relight/description.h"
#include "relight/maps_per_pass.h"
#include "tools/bake/baker.h"
#include "tools/bake/float32_file.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/quiet_decode.h"
#include "tools/bake/srbf_basis.h"

namespace veltrane {
namespace {

// A raw file of exactly count little-endian floats.
bool ReadRaw(const std::string& path, size_t count, std::vector<float>* values) {
  size_t bytes = 0;
  return ReadFloat32File(path.c_str(), values, &bytes) && bytes == 4 * count;
}

// A DCT file of exactly width x rows values. A damaged file is said once in *damage (the codec's
// own messages, one per damaged chunk, are held back).
bool ReadDct(const std::string& path, int width, size_t rows, std::vector<float>* values, std::string* damage) {
  HeapPtr<float> plane;
  int w = 0, h = 0;
  if (!DecodeDctFileQuietly(path, &plane, &w, &h, damage)) return false;
  if (w != width || h < 0 || static_cast<size_t>(h) != rows) return false;
  values->assign(plane.get(), plane.get() + static_cast<size_t>(w) * rows);
  return true;
}

}  // namespace

bool LoadRunData(const std::string& dir, RunData* run, std::string* why) {
  const std::string qdx = dir + "/" + kDescriptionName;
  RelightDescription d;
  if (d.Read(qdx.c_str()) != kReadDone) {
    *why = "cannot read the description " + qdx + "; is " + dir + " a run directory (one that 'veltrane-tool bake --out " + dir + "' writes)?";
    return false;
  }
  if (d.refer_width < 1 || d.refer_height < 1 || d.refer_width > 4096 || d.refer_height > 4096) {
    *why = qdx + " has no usable REFER_RESOLUTION";
    return false;
  }
  if (d.srbf_center_count < 1 || d.srbf_center_count > kMaxSrbfCenters) {
    *why = qdx + " needs 1 to " + std::to_string(kMaxSrbfCenters) + " SRBF centres";
    return false;
  }
  if (!HasEncodedFile(d)) {
    *why = qdx + " names no ENCODED_FILE";
    return false;
  }
  run->width = d.refer_width;
  run->height = d.refer_height;
  run->sigma = d.srbf_spread;
  run->centres.clear();
  for (int32_t i = 0; i < d.srbf_center_count; ++i) {
    run->centres.push_back(CentreDirection({d.srbf_centers[i]->theta, d.srbf_centers[i]->phi}));
  }
  const std::string base = dir + "/" + (HasBasePath(d) ? d.base_path : "") + d.encoded_file;
  const size_t rows = 3 * run->centres.size() * static_cast<size_t>(run->height);
  for (const bool raw : {true, false}) {
    const std::string path = base + (raw ? ".rbf" : ".rbf.dct");
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) continue;
    std::fclose(probe);
    std::string damage;
    const bool ok = raw ? ReadRaw(path, rows * run->width, &run->coefficients)
                        : ReadDct(path, run->width, rows, &run->coefficients, &damage);
    if (!ok) {
      *why = !damage.empty() ? damage
                             : path + " does not hold 3 x " + std::to_string(run->centres.size()) + " maps of " +
                                   std::to_string(run->width) + " x " + std::to_string(run->height) +
                                   " coefficients";
      *why += "; bake it again (veltrane-tool bake --out " + dir + ")";
      return false;
    }
    run->coefficient_path = path;
    return true;
  }
  *why = "neither " + base + ".rbf nor " + base + ".rbf.dct can be opened; bake it again (veltrane-tool bake --out " + dir + ")";
  return false;
}

std::vector<float> RelightRun(const RunData& run, Vec3d l) {
  const size_t n = run.centres.size();
  const size_t texels = static_cast<size_t>(run.width) * run.height;
  std::vector<float> kernels(n);
  SrbfKernelRow(l, run.centres, run.sigma, kernels.data());
  std::vector<float> out(3 * texels);
  for (size_t c = 0; c < 3; ++c) {
    std::vector<const float*> maps;
    for (size_t i = 0; i < n; ++i) maps.push_back(run.coefficients.data() + (c * n + i) * texels);
    WeightedSum(maps, kernels.data(), out.data() + c * texels, texels);
  }
  return out;
}

}  // namespace veltrane
