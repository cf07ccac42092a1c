#include "tools/relight_environment.h"

#include <cmath>
#include <cstdio>

#include "codec/environment_file.h"
#include "common/direction.h"
#include "relight/environment_light.h"
#include "relight/sky_model.h"
#include "tools/bake/environment_truth.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/run_relight.h"

namespace {

std::vector<float> Scaled(const std::vector<float>& planes, double factor) {
  std::vector<float> out(planes.size());
  for (size_t i = 0; i < planes.size(); ++i) out[i] = static_cast<float>(planes[i] * factor);
  return out;
}

// Relative RMS error of the fit against the truth over every texel, and over the texels that the
// angel shadows (truth's luminance below 98 % of an unshadowed texel's).
void ReportError(const std::vector<float>& fit, const veltrane::EnvironmentTruth& truth, size_t texels) {
  const veltrane::ErrorSums all = veltrane::CompareMaps(fit.data(), truth.planes.data(), 3 * texels);
  const double open = veltrane::Luminance(truth.open[0], truth.open[1], truth.open[2]);
  veltrane::ErrorSums shadow;
  size_t shadowed = 0;
  for (size_t t = 0; t < texels; ++t) {
    const double lum = veltrane::Luminance(truth.planes[t], truth.planes[texels + t], truth.planes[2 * texels + t]);
    if (!(lum < 0.98 * open)) continue;
    ++shadowed;
    for (size_t c = 0; c < 3; ++c) {
      const double d = static_cast<double>(fit[c * texels + t]) - truth.planes[c * texels + t];
      shadow.error += d * d;
      shadow.reference += static_cast<double>(truth.planes[c * texels + t]) * truth.planes[c * texels + t];
    }
  }
  std::printf("relative RMS error against the truth: %.3f %% over all %zu texels, %.3f %% over the %zu shadowed texels\n",
              100.0 * all.Relative(), texels, 100.0 * shadow.Relative(), shadowed);
  std::printf("unshadowed texel: truth %.4f %.4f %.4f\n", truth.open[0], truth.open[1], truth.open[2]);
}

}  // namespace

int RelightEnvironment(const RelightEnvironmentRequest& request) {
  veltrane::RunData run;
  std::string why;
  if (!veltrane::LoadRunData(request.dir, &run, &why)) {
    std::fprintf(stderr, "veltrane-tool relight: %s\n", why.c_str());
    return 1;
  }
  veltrane::SrbfLobes lobes;
  lobes.centres = run.centres;
  lobes.sigma = run.sigma;
  lobes.disc_radius = request.disc_radius_deg * veltrane::kRadiansPerDegree;
  veltrane::LobeGrid grid;
  grid.Build(lobes);

  veltrane::EnvironmentLight light;
  veltrane::EnvironmentFileResult file;
  const bool sky = request.environment == "sky";
  if (sky) {
    light.SetSky(grid);
  } else {
    if (!veltrane::ReadEnvironmentFile(request.environment, &file, &why)) {
      std::fprintf(stderr, "veltrane-tool relight: %s\n", why.c_str());
      return 1;
    }
    if (file.broken_pixels > 0) {
      std::fprintf(stderr, "veltrane-tool relight: %s: %lld broken pixels (negative or not finite) set to 0\n",
                   request.environment.c_str(), file.broken_pixels);
    }
    light.SetImage(file.image, grid);
  }

  const size_t n = run.centres.size();
  const size_t texels = static_cast<size_t>(run.width) * run.height;
  std::vector<float> rgb(3 * n);
  light.Weights(request.turn_deg, rgb.data());
  std::vector<float> relit(3 * texels);
  for (size_t c = 0; c < 3; ++c) {
    std::vector<const float*> maps;
    std::vector<float> weights(n);
    for (size_t i = 0; i < n; ++i) {
      maps.push_back(run.coefficients.data() + (c * n + i) * texels);
      weights[i] = rgb[3 * i + c];
    }
    veltrane::WeightedSum(maps, weights.data(), relit.data() + c * texels, texels);
  }
  const double exposure = light.exposure();
  if (!WriteLightMapImage(request.out, run.width, run.height, EndsWith(request.out, ".png") ? Scaled(relit, exposure) : relit)) {
    std::fprintf(stderr, "veltrane-tool relight: cannot write %s\n", request.out.c_str());
    return 1;
  }
  std::printf("%s: %d x %d light map under %s turned %g degrees (exposure %.5g)\n", request.out.c_str(), run.width,
              run.height, sky ? "the built-in sky" : request.environment.c_str(), request.turn_deg, exposure);
  if (!request.truth) return 0;

  veltrane::GroundTruthScene scene;
  if (!veltrane::BuiltInGroundTruthScene(0, 0.0, &scene)) {
    std::fprintf(stderr, "veltrane-tool relight: the built-in model has no usable table top\n");
    return 1;
  }
  veltrane::EnvironmentTruthLight truth_light;
  veltrane::EnvironmentImage sky_image;
  if (sky) {
    veltrane::SkyModel model;
    model.turbidity = light.turbidity();
    model.sun = light.SunDirection(request.turn_deg);
    sky_image = veltrane::SkyEnvironment(model, veltrane::kWeightTableWidth, veltrane::kWeightTableHeight);
    truth_light.environment = &sky_image;
    truth_light.has_sun = true;
    truth_light.sun = model.sun;
    model.SunIrradiance(truth_light.sun_irradiance);
  } else {
    truth_light.environment = &file.image;
    truth_light.turn_rad = request.turn_deg * veltrane::kRadiansPerDegree;
  }
  const veltrane::EnvironmentTruth truth = veltrane::RenderEnvironmentTruth(
      scene, run.width, run.height, truth_light, lobes.disc_radius, request.truth_directions, 0);
  const std::string truth_path = TruthPath(request.out);
  if (!WriteLightMapImage(truth_path, run.width, run.height,
                          EndsWith(request.out, ".png") ? Scaled(truth.planes, exposure) : truth.planes)) {
    std::fprintf(stderr, "veltrane-tool relight: cannot write %s\n", truth_path.c_str());
    return 1;
  }
  std::printf("%s: the ray-traced truth (%d directions)\n", truth_path.c_str(), request.truth_directions);
  ReportError(relit, truth, texels);
  return 0;
}
