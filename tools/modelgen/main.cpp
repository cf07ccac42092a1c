// veltrane-modelgen: builds the scene's angel and table and writes scene/model_data.cpp.
//
//   veltrane-modelgen [OUTPUT.cpp] [--preview IMAGE.ppm [--turn DEGREES] [--tilt DEGREES]]
//
// Without OUTPUT the source goes to standard output. The output depends on nothing but this
// program: no clock, no random seed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/modelgen/angel.h"
#include "tools/modelgen/mesh_topology.h"
#include "tools/modelgen/model_writer.h"
#include "tools/modelgen/preview.h"
#include "tools/modelgen/table.h"

namespace {

const char kUsage[] =
    "usage: veltrane-modelgen [OUTPUT.cpp] [--preview IMAGE.ppm [--turn DEGREES] [--tilt DEGREES]]\n"
    "  writes the model arrays of scene/model.h as C++ source (to standard output without OUTPUT);\n"
    "  --preview also renders the scene from the viewer's start-up camera, turned by --turn\n"
    "  degrees about the vertical and tilted by --tilt degrees more towards a view from above\n";

struct Options {
  const char* output = nullptr;
  const char* preview = nullptr;
  double turn = 0;
  double tilt = 0;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc) {
      options->preview = argv[++i];
    } else if ((std::strcmp(argv[i], "--turn") == 0 || std::strcmp(argv[i], "--tilt") == 0) && i + 1 < argc) {
      double* angle = argv[i][3] == 'u' ? &options->turn : &options->tilt;
      char* end = nullptr;
      *angle = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0') return false;
    } else if (argv[i][0] == '-' || options->output != nullptr) {
      return false;
    } else {
      options->output = argv[i];
    }
  }
  return true;
}

void Report(const char* name, const ModelPart& part) {
  Topology t = AnalyseTopology(part.mesh);
  std::fprintf(stderr, "%s: %d positions, %d triangles, %d components, Euler characteristic %d%s\n", name,
               t.vertices, t.faces, t.components, t.EulerCharacteristic(),
               t.closed_manifold ? ", closed manifold" : "");
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!ParseOptions(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  ModelPart angel;
  std::string error;
  if (!BuildAngel(&angel, &error)) {
    std::fprintf(stderr, "veltrane-modelgen: angel: %s\n", error.c_str());
    return 1;
  }
  ModelPart table = BuildTable();
  Report("angel", angel);
  Report("table", table);

  if (options.preview != nullptr && !WritePreview(options.preview, angel, table, 800, 600, options.turn, options.tilt)) {
    std::fprintf(stderr, "veltrane-modelgen: cannot write '%s': %s\n", options.preview, std::strerror(errno));
    return 1;
  }
  std::string command = "build/veltrane-modelgen scene/model_data.cpp";
  FILE* out = stdout;
  if (options.output != nullptr) {
    out = std::fopen(options.output, "w");
    if (out == nullptr) {
      std::fprintf(stderr, "veltrane-modelgen: cannot write '%s': %s\n", options.output, std::strerror(errno));
      return 1;
    }
  }
  bool written = WriteModelSource(out, angel, table, command.c_str());
  if (out != stdout && std::fclose(out) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "veltrane-modelgen: writing the model source failed\n");
    return 1;
  }
  return 0;
}
