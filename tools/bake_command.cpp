// veltrane-tool bake: makes the viewer's data set from the built-in scene (tools/bake/baker.h).
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/bake/baker.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

void PrintBakeUsage(FILE* out) {
  std::fprintf(out,
               "usage: veltrane-tool bake [--out DIR] [--resolution W H] [--centers N] [--spread S|auto]\n"
               "                          [--samples K] [--format dct|raw|both] [--jobs J]\n"
               "                          [--bits-per-pixel B] [--light-radius DEG] [--fit optimized|fixed]\n"
               "                          [--ridge R] [--model FILE [--scale S] [--turn DEG]]\n"
               "\n"
               "Renders the table top's light maps of the built-in scene (with the angel's soft shadow, or\n"
               "that of a model of yours in its place), fits them to SRBF lobes and writes a run directory\n"
               "for the viewer: lightmap.qdx, data/lightmap.rbf(.dct), wood.ppm, shader/dir/*.cgz,\n"
               "object.vmesh (with --model), bake-report.txt and .png. The directory is built beside DIR\n"
               "and renamed into place when complete; an earlier run directory there is replaced.\n"
               "\n"
               "  --out DIR           run directory, created if missing (default: run)\n"
               "  --resolution W H    light-map size in texels, 1 to 4096 (default: 512 512)\n"
               "  --centers N         SRBF centres over the upper hemisphere, 1 to 25 (default: 25)\n"
               "  --spread S|auto     kernel spread sigma in radians, or auto: chosen by held-out error\n"
               "                      (default: auto)\n"
               "  --samples K         fitting directions, at least N and 25 (default: 256)\n"
               "  --format F          coefficient file: dct, raw or both (default: dct)\n"
               "  --jobs J            worker threads (default: every core)\n"
               "  --bits-per-pixel B  DCT budget per coefficient value, above 0 to 12 (default: 3)\n"
               "  --light-radius DEG  angular radius of the light's disc, 0 to 45; smaller gives sharper\n"
               "                      shadows that 25 lobes follow less closely (default: 20)\n"
               "  --fit F             optimized: move the centres and the spread to where the lobes fit\n"
               "                      best (scheme OPTIMIZED); fixed: HEMI_HAMMERSLEY centres with the\n"
               "                      spread chosen by held-out error (default: optimized)\n"
               "  --ridge R           ridge weight of the least-squares fits, relative to the mean\n"
               "                      diagonal of the normal matrix, 0 to 1 (default: 0.0001 optimized,\n"
               "                      0.002 fixed)\n"
               "  --model FILE        a model (OBJ, PLY, STL, OFF, glTF/GLB, FBX, Collada, ...) to stand on\n"
               "                      the table in place of the angel: on the table top, centred on the\n"
               "                      angel's footprint, scaled to fit the angel's box; at most 8388608\n"
               "                      triangles\n"
               "  --scale S           the model's size times S, above 0 to 10 (default: 1)\n"
               "  --turn DEG          the model turned by DEG degrees about the vertical (default: 0)\n");
}

int UsageError(const char* why, const char* what) { return ToolUsageError("bake", why, what, PrintBakeUsage); }

}  // namespace

int BakeCommand(int argc, char** argv) {
  veltrane::BakeOptions options;
  const ToolOption kOptions[] = {{"--out", 1},    {"--resolution", 2}, {"--centers", 1},
                                 {"--spread", 1}, {"--samples", 1},    {"--format", 1},
                                 {"--jobs", 1},   {"--bits-per-pixel", 1}, {"--light-radius", 1},
                                 {"--fit", 1},    {"--ridge", 1},      {"--model", 1},
                                 {"--scale", 1},  {"--turn", 1}};
  ToolArgReader args(argc, argv, kOptions, static_cast<int>(sizeof kOptions / sizeof kOptions[0]));
  for (ToolArg next; args.Next(&next);) {
    if (next.kind == ToolArg::kHelp) {
      PrintBakeUsage(stdout);
      return 0;
    }
    if (next.kind == ToolArg::kMissingValue) return UsageError("missing value for", next.word);
    if (next.kind != ToolArg::kOption) return UsageError("unknown argument", next.word);
    const std::string arg = next.word;
    const char* value = next.values[0];
    if (arg == "--out") {
      options.out_dir = value;
    } else if (arg == "--resolution") {
      if (!ParseIntArg(next.values[0], &options.width) || !ParseIntArg(next.values[1], &options.height)) {
        return UsageError("--resolution needs two integers", "");
      }
    } else if (arg == "--centers") {
      if (!ParseIntArg(value, &options.centres)) return UsageError("--centers needs an integer", value);
    } else if (arg == "--spread") {
      double spread = 0.0;
      if (std::strcmp(value, "auto") == 0) {
        options.auto_spread = true;
      } else if (ParseRealArg(value, &spread)) {
        options.auto_spread = false;
        options.spread = static_cast<float>(spread);
      } else {
        return UsageError("--spread needs a number of radians or auto", value);
      }
    } else if (arg == "--samples") {
      if (!ParseIntArg(value, &options.samples)) return UsageError("--samples needs an integer", value);
    } else if (arg == "--format") {
      if (std::strcmp(value, "dct") == 0) {
        options.format = veltrane::BakeFormat::kDct;
      } else if (std::strcmp(value, "raw") == 0) {
        options.format = veltrane::BakeFormat::kRaw;
      } else if (std::strcmp(value, "both") == 0) {
        options.format = veltrane::BakeFormat::kBoth;
      } else {
        return UsageError("--format needs dct, raw or both", value);
      }
    } else if (arg == "--jobs") {
      if (!ParseIntArg(value, &options.jobs) || options.jobs < 1) {
        return UsageError("--jobs needs a positive integer", value);
      }
    } else if (arg == "--bits-per-pixel") {
      if (!ParseRealArg(value, &options.bits_per_pixel)) return UsageError("--bits-per-pixel needs a number", value);
    } else if (arg == "--fit") {
      if (std::strcmp(value, "optimized") == 0) {
        options.fit = veltrane::BakeFit::kOptimized;
      } else if (std::strcmp(value, "fixed") == 0) {
        options.fit = veltrane::BakeFit::kFixed;
      } else {
        return UsageError("--fit needs optimized or fixed", value);
      }
    } else if (arg == "--ridge") {
      if (!ParseRealArg(value, &options.relative_ridge) || options.relative_ridge < 0.0) {
        return UsageError("--ridge needs a number from 0 to 1", value);
      }
    } else if (arg == "--model") {
      options.model_path = value;
    } else if (arg == "--scale") {
      double& scale = options.import.placement.scale;
      if (!ParseRealArg(value, &scale) || !(scale > 0.0 && scale <= 10.0)) {
        return UsageError("--scale needs a number above 0 and at most 10", value);
      }
    } else if (arg == "--turn") {
      double& turn = options.import.placement.turn_deg;
      if (!ParseRealArg(value, &turn) || !(std::fabs(turn) <= 36000.0)) {
        return UsageError("--turn needs a number of degrees", value);
      }
    } else if (arg == "--light-radius") {
      if (!ParseRealArg(value, &options.disc_radius_deg)) return UsageError("--light-radius needs a number of degrees", value);
    }
  }
  if (options.model_path.empty() &&
      (options.import.placement.scale != 1.0 || options.import.placement.turn_deg != 0.0)) {
    return UsageError("--scale and --turn need --model", "");
  }
  std::string why;
  if (!veltrane::CheckBakeOptions(options, &why)) return UsageError(why.c_str(), "");
  options.log = stdout;
  options.progress_bar = isatty(fileno(stdout)) != 0;
  return veltrane::RunBake(options, nullptr);
}
