// The baker's stages and what they share. A bake runs them in order:
//   scene    (stage_scene.cpp)    the object, the table top, the direction sets; the run
//                                 directory's description, wood texture and shaders
//   shadows  (stage_shadows.cpp)  ground-truth light maps of the table top
//   fit      (stage_fit.cpp)      the spread, the centres, the SRBF and SH coefficients and
//                                 their errors at held-out directions
//   encode   (stage_encode.cpp)   the coefficient files
//   report   (stage_report.cpp)   bake-report.png and bake-report.txt
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "common/heap.h"
#include "common/parallel_for.h"
#include "common/vec3.h"
#include "scene/object_mesh.h"
#include "tools/bake/baker.h"
#include "tools/bake/fit_errors.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/stage_progress.h"

namespace veltrane {

constexpr int kShBands = 5;  // bands 0 to 4: 25 functions

bool AllocateFloats(size_t count, HeapPtr<float>* buffer, const char* what);
std::vector<const float*> ConstMaps(const float* base, size_t count, size_t texels);
std::vector<float*> Maps(float* base, size_t count, size_t texels);
std::string DirectionText(Vec3d l);
std::string Caption(Vec3d l, const char* what, const ErrorSums& error, double mean_reference);
bool WriteFileOrSay(const std::string& path, const void* data, size_t size);

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
  std::string out, data_dir, shader_dir;  // out: the directory being built (renamed into place)
  ObjectMesh object;                      // the object on the table, when has_object
  bool has_object = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

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

// The stages, in the order of a bake; each prints why it failed and returns false.
bool Prepare(Bake& b);          // scene
bool RenderShadows(Bake& b);    // shadows
bool ChooseSpread(Bake& b);     // fit
bool PlaceCentres(Bake& b);
bool Fit(Bake& b);
bool Evaluate(Bake& b);
bool Encode(Bake& b);           // encode
bool WriteSceneFiles(Bake& b);  // scene files and the report image
bool WriteReport(Bake& b);      // bake-report.txt

}  // namespace veltrane
