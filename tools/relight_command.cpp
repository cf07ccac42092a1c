// veltrane-tool relight: the light map that the viewer draws for one light direction, computed
// on the processor from a run directory (tools/bake/run_relight.h), optionally beside the
// baker's ground truth for that direction.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/png_writer.h"
#include "common/direction.h"
#include "tools/bake/baker.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/run_files.h"
#include "tools/bake/run_relight.h"
#include "tools/relight_environment.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

void PrintRelightUsage(FILE* out) {
  std::fprintf(out,
               "usage: veltrane-tool relight DIR --theta T --phi P --out FILE.png|FILE.pfm [--truth]\n"
               "                             [--light-radius DEG]\n"
               "       veltrane-tool relight DIR --environment FILE|sky [--turn DEG] --out FILE.png|FILE.pfm\n"
               "                             [--truth] [--light-radius DEG]\n"
               "\n"
               "Relights the run directory DIR (lightmap.qdx with its raw or DCT coefficients) for the\n"
               "light direction (T, P) in degrees, as the viewer's relighting pass does, and writes the\n"
               "light map: PNG (8-bit, display gamma 2.2, rows top first) or PFM (32-bit floats).\n"
               "\n"
               "  --theta T           polar angle from the table's normal, 0 to 180\n"
               "  --phi P             azimuth\n"
               "  --out FILE          FILE.png or FILE.pfm\n"
               "  --truth             also render the baker's ground truth for the direction into\n"
               "                      FILE.truth.png (or .pfm) and print the relative RMS error\n"
               "  --light-radius DEG  the truth's light disc, 0 to 45 (default: 20, as the bake)\n"
               "  --environment FILE  light by a whole environment instead: a latitude-longitude .hdr or\n"
               "                      .exr image, or \"sky\" for the built-in sky with its sun; the PFM\n"
               "                      holds the irradiance (a uniform radiance of 1 gives pi on an\n"
               "                      unshadowed texel), the PNG the light map after the viewer's exposure;\n"
               "                      --truth ray-traces the environment seen through the light disc\n"
               "  --turn DEG          turn the environment about the vertical axis (for the sky: the time\n"
               "                      of day, 0 sunrise, 180 noon, 360 sunset); default 0\n");
}

int UsageError(const char* why, const char* what) { return ToolUsageError("relight", why, what, PrintRelightUsage); }

unsigned char Display(float v) {
  const double c = std::pow(std::clamp(static_cast<double>(v), 0.0, 1.0), 1.0 / 2.2);
  return static_cast<unsigned char>(std::lround(255.0 * c));
}

}  // namespace

bool EndsWith(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() > n && s.compare(s.size() - n, n, suffix) == 0;
}

std::string TruthPath(const std::string& out) {
  const size_t dot = out.rfind('.');
  return out.substr(0, dot) + ".truth" + out.substr(dot);
}

bool WriteLightMapImage(const std::string& path, int width, int height, const std::vector<float>& planes) {
  const size_t texels = static_cast<size_t>(width) * height;
  if (EndsWith(path, ".png")) {
    std::vector<unsigned char> rgb(3 * texels);
    for (size_t t = 0; t < texels; ++t) {
      for (size_t c = 0; c < 3; ++c) rgb[3 * t + c] = Display(planes[c * texels + t]);
    }
    return veltrane::WritePng(path, width, height, rgb.data());
  }
  // PFM: a text header, then little-endian floats, bottom row first.
  std::string bytes = "PF\n" + std::to_string(width) + " " + std::to_string(height) + "\n-1.0\n";
  const size_t header = bytes.size();
  bytes.resize(header + 12 * texels);
  size_t at = header;
  for (int r = height - 1; r >= 0; --r) {
    for (int x = 0; x < width; ++x) {
      for (size_t c = 0; c < 3; ++c) {
        uint32_t bits;
        std::memcpy(&bits, &planes[c * texels + static_cast<size_t>(r) * width + x], 4);
        for (int b = 0; b < 4; ++b) bytes[at++] = static_cast<char>((bits >> (8 * b)) & 0xff);
      }
    }
  }
  return veltrane::WriteFileBytes(path, bytes.data(), bytes.size());
}

int RelightCommand(int argc, char** argv) {
  const ToolOption kOptions[] = {{"--theta", 1}, {"--phi", 1}, {"--out", 1}, {"--truth", 0},
                                 {"--light-radius", 1}, {"--environment", 1}, {"--turn", 1}};
  ToolArgReader args(argc, argv, kOptions, static_cast<int>(sizeof kOptions / sizeof kOptions[0]));
  const char* dir = nullptr;
  std::string out;
  double theta = NAN, phi = NAN, radius = veltrane::BakeOptions().disc_radius_deg;
  bool truth = false;
  std::string environment;
  double turn = 0.0;
  bool turn_given = false;
  for (ToolArg next; args.Next(&next);) {
    if (next.kind == ToolArg::kHelp) {
      PrintRelightUsage(stdout);
      return 0;
    }
    if (next.kind == ToolArg::kMissingValue) return UsageError("missing value for", next.word);
    if (next.kind == ToolArg::kPositional) {
      if (dir != nullptr) return UsageError("more than one run directory", next.word);
      dir = next.word;
      continue;
    }
    if (next.kind != ToolArg::kOption) return UsageError("unknown argument", next.word);
    const std::string arg = next.word;
    if (arg == "--truth") {
      truth = true;
      continue;
    }
    const char* value = next.values[0];
    if (arg == "--theta") {
      if (!ParseRealArg(value, &theta) || !(theta >= 0.0 && theta <= 180.0)) {
        return UsageError("--theta needs degrees from 0 to 180", value);
      }
    } else if (arg == "--phi") {
      if (!ParseRealArg(value, &phi) || !std::isfinite(phi)) return UsageError("--phi needs a number of degrees", value);
    } else if (arg == "--out") {
      out = value;
    } else if (arg == "--environment") {
      environment = value;
    } else if (arg == "--turn") {
      if (!ParseRealArg(value, &turn) || !std::isfinite(turn)) return UsageError("--turn needs a number of degrees", value);
      turn_given = true;
    } else if (arg == "--light-radius") {
      if (!ParseRealArg(value, &radius) || !(radius >= 0.0 && radius <= 45.0)) {
        return UsageError("--light-radius needs degrees from 0 to 45", value);
      }
    }
  }
  if (dir == nullptr) return UsageError("no run directory given", "");
  if (!environment.empty()) {
    if (!std::isnan(theta) || !std::isnan(phi)) return UsageError("--environment takes no --theta or --phi", "");
    if (!EndsWith(out, ".png") && !EndsWith(out, ".pfm")) {
      return UsageError("--out needs a file name ending in .png or .pfm", out.c_str());
    }
    RelightEnvironmentRequest request;
    request.dir = dir;
    request.environment = environment;
    request.turn_deg = turn;
    request.out = out;
    request.truth = truth;
    request.disc_radius_deg = radius;
    return RelightEnvironment(request);
  }
  if (turn_given) return UsageError("--turn turns an --environment", "");
  if (std::isnan(theta) || std::isnan(phi)) return UsageError("--theta and --phi are both needed", "");
  if (!EndsWith(out, ".png") && !EndsWith(out, ".pfm")) {
    return UsageError("--out needs a file name ending in .png or .pfm", out.c_str());
  }

  veltrane::RunData run;
  std::string why;
  if (!veltrane::LoadRunData(dir, &run, &why)) {
    std::fprintf(stderr, "veltrane-tool relight: %s\n", why.c_str());
    return 1;
  }
  const veltrane::Vec3d l =
      veltrane::SphericalDirection(theta * veltrane::kRadiansPerDegree, phi * veltrane::kRadiansPerDegree);
  const std::vector<float> relit = veltrane::RelightRun(run, l);
  if (!WriteLightMapImage(out, run.width, run.height, relit)) {
    std::fprintf(stderr, "veltrane-tool relight: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("%s: %d x %d light map from %s\n", out.c_str(), run.width, run.height, run.coefficient_path.c_str());
  if (!truth) return 0;

  veltrane::GroundTruthScene scene;
  if (!veltrane::BuiltInGroundTruthScene(veltrane::BakeOptions().disc_samples, radius * veltrane::kRadiansPerDegree,
                                         &scene)) {
    std::fprintf(stderr, "veltrane-tool relight: the built-in model has no usable table top\n");
    return 1;
  }
  const size_t texels = static_cast<size_t>(run.width) * run.height;
  std::vector<float> planes(3 * texels);
  veltrane::GroundTruthScratch scratch;
  veltrane::RenderGroundTruth(scene, l, veltrane::FullGrid(run.width, run.height), planes.data(), &scratch);
  std::copy(planes.begin(), planes.begin() + texels, planes.begin() + texels);
  std::copy(planes.begin(), planes.begin() + texels, planes.begin() + 2 * texels);
  const std::string truth_path = TruthPath(out);
  if (!WriteLightMapImage(truth_path, run.width, run.height, planes)) {
    std::fprintf(stderr, "veltrane-tool relight: cannot write %s\n", truth_path.c_str());
    return 1;
  }
  const veltrane::ErrorSums error = veltrane::CompareMaps(relit.data(), planes.data(), texels);
  std::printf("%s: ground truth; relative RMS error of the relit map %.3f %%\n", truth_path.c_str(),
              100.0 * error.Relative());
  return 0;
}
