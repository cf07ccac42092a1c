// veltrane-tool bake: makes the viewer's data set from the built-in scene (tools/bake/baker.h).
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/dct_image.h"
#include "tools/bake/bake_limits.h"
#include "tools/bake/baker.h"
#include "tools/bake_cleanup.h"
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
               "  --resolution W H    light-map size in texels, W H or WxH, 1 to 4096 each (default:\n"
               "                      512 512); with --format dct or both, W x H x 3 x N must stay within\n"
               "                      %lld values, the DCT file's limit: at most %d x %d with\n"
               "                      %d centres, %d x %d with 5 (--format raw has no such limit)\n"
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
               "  --turn DEG          the model turned by DEG degrees about the vertical (default: 0)\n",
               static_cast<long long>(veltrane::kDctImageDefaultMaxPixels), veltrane::LargestDctSide(kMaxSrbfCenters),
               veltrane::LargestDctSide(kMaxSrbfCenters), kMaxSrbfCenters, veltrane::LargestDctSide(5),
               veltrane::LargestDctSide(5));
}

int UsageError(const char* why, const char* what) { return ToolUsageError("bake", why, what, PrintBakeUsage); }

// The words after "--resolution" as two words when they are one "WxH" word.
std::vector<char*> SplitResolution(int argc, char** argv, std::vector<std::string>* storage) {
  std::vector<char*> words(argv, argv + argc);
  for (size_t i = 1; i + 1 < words.size(); ++i) {
    if (std::strcmp(words[i], "--resolution") != 0) continue;
    const std::string value = words[i + 1];
    const size_t x = value.find_first_of("xX");
    int w = 0, h = 0;
    if (x == std::string::npos || !ParseIntArg(value.substr(0, x).c_str(), &w) ||
        !ParseIntArg(value.substr(x + 1).c_str(), &h)) {
      continue;
    }
    storage->push_back(value.substr(0, x));
    storage->push_back(value.substr(x + 1));
    words[i + 1] = nullptr;  // filled below, once storage no longer moves
    words.insert(words.begin() + static_cast<long>(i) + 2, nullptr);
    i += 2;
  }
  size_t next = 0;
  for (char*& word : words) {
    if (word == nullptr) word = &(*storage)[next++][0];
  }
  return words;
}

// The last lines of a bake: what was written, and how to look at it.
void SayWhatWasWritten(const veltrane::BakeOptions& options) {
  const char* data = options.format == veltrane::BakeFormat::kRaw    ? "data/lightmap.rbf"
                     : options.format == veltrane::BakeFormat::kDct ? "data/lightmap.rbf.dct"
                                                                     : "data/lightmap.rbf and .rbf.dct";
  std::printf("\nbake: wrote the data set to %s: lightmap.qdx, %s, wood.ppm, shader/dir/*.cgz;\n"
              "the report above is in bake-report.txt and bake-report.png there.\n"
              "Look at it with: veltrane-scene %s\n",
              options.out_dir.c_str(), data, options.out_dir.c_str());
}

}  // namespace

int BakeCommand(int argc, char** argv) {
  std::vector<std::string> split_storage;
  std::vector<char*> words = SplitResolution(argc, argv, &split_storage);
  argc = static_cast<int>(words.size());
  argv = words.data();
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
    if (next.kind == ToolArg::kMissingValue) {
      if (std::strcmp(next.word, "--resolution") == 0) {
        return UsageError("--resolution needs the width and the height, as W H or WxH (e.g. --resolution 256 256)", "");
      }
      return UsageError("missing value for", next.word);
    }
    if (next.kind != ToolArg::kOption) return UsageError("unknown argument", next.word);
    const std::string arg = next.word;
    const char* value = next.values[0];
    if (arg == "--out") {
      options.out_dir = value;
    } else if (arg == "--resolution") {
      if (!ParseIntArg(next.values[0], &options.width) || !ParseIntArg(next.values[1], &options.height)) {
        return UsageError("--resolution needs two whole numbers, W H or WxH",
                          (std::string(next.values[0]) + " " + next.values[1]).c_str());
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
  BakeCleanup cleanup(options.out_dir);
  options.on_build_directory = [&cleanup](const std::string& directory) { cleanup.AddBuildDirectory(directory); };
  cleanup.Arm();
  const int status = veltrane::RunBake(options, nullptr);
  if (status != 0) {
    cleanup.RemoveNow();
    return status;
  }
  cleanup.Disarm();
  SayWhatWasWritten(options);
  return 0;
}
