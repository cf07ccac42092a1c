// The scene stage: the object and the table top, the direction sets, the run directory's
// description, wood texture and shaders.
#include "tools/bake/bake_stages.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/container_writer.h"
#include "codec/ppm.h"
#include "common/direction.h"
#include "relight/description.h"
#include "scene/object_mesh.h"
#include "tools/bake/embedded_shaders.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/run_files.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/srbf_basis.h"
#include "tools/bake/wood_texture.h"

namespace veltrane {
namespace {

constexpr int kWoodSize = 512;
constexpr size_t kSpreadSubsampleTexels = 8192;
// Fixed seeds of the direction sets, so that every bake measures the same directions.
constexpr uint64_t kValidationSeed = 0x76616c6964ull;
constexpr uint64_t kHeldOutSeed = 0x68656c646f7574ull;
constexpr uint64_t kBandSeed = 0x62616e64ull;
const char* const kShaderNames[7] = {"lightmap_relitdir16", "draw_scene", "lightmap_mapping",
                                     "table_frag",          "table_vert", "angel_vert",
                                     "angel_frag"};

}  // namespace

bool Prepare(Bake& b) {
  const BakeOptions& o = b.options;
  for (const char* name : kShaderNames) {
    if (FindEmbeddedShader(name) == nullptr) {
      std::fprintf(stderr, "bake: shader %s was not built into the tool (data/shaders/%s.cg was missing)\n",
                   name, name);
      return false;
    }
  }
  const double disc_radius = o.disc_radius_deg * kRadiansPerDegree;
  const auto scene_start = std::chrono::steady_clock::now();
  if (b.has_object ? !ObjectGroundTruthScene(b.object, o.disc_samples, disc_radius, &b.scene)
                   : !BuiltInGroundTruthScene(o.disc_samples, disc_radius, &b.scene)) {
    std::fprintf(stderr, "bake: the built-in model has no usable table top\n");
    return false;
  }
  if (b.has_object) {
    // The object's shadow casters (clustered when it is large).
    b.figures.shadow_triangles = b.scene.occluders.size();
    b.figures.stage_seconds.push_back(
        {"casters", std::chrono::duration<double>(std::chrono::steady_clock::now() - scene_start).count()});
  }
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

bool WriteDescription(Bake& b) {
  const BakeOptions& o = b.options;
  RelightDescription d;
  std::snprintf(d.base_path, sizeof d.base_path, "%s", kBasePath);
  std::snprintf(d.encoded_file, sizeof d.encoded_file, "%s", kEncodedFile);
  d.refer_width = o.width;
  d.refer_height = o.height;
  d.encoded_color_model = kColorModelRgb;
  if (b.has_object) std::snprintf(d.model_file, sizeof d.model_file, "%s", kObjectFileName);
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
  if (b.has_object) {
    std::string why;
    const std::string object_path = b.out + "/" + kObjectFileName;
    if (!WriteObjectFile(object_path, b.object, &why)) {
      std::fprintf(stderr, "bake: %s: %s\n", object_path.c_str(), why.c_str());
      return false;
    }
  }
  b.progress.Advance(1);
  b.EndStage("scene");
  return true;
}

}  // namespace veltrane
