// The shadows stage: ground-truth light maps of the table top.
#include "tools/bake/bake_stages.h"

#include <vector>

#include "common/parallel_for.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/shadow_raster.h"

namespace veltrane {
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


}  // namespace veltrane
