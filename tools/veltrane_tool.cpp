// veltrane-tool: command-line access to the data formats, the built-in model and the baker.
#include <cstdio>
#include <cstring>

#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* summary;
};

const Command kCommands[] = {
    {"pack", PackCommand, "pack IN OUT [--chunk-size N]       write IN's bytes as a deflate container"},
    {"unpack", UnpackCommand, "unpack IN OUT [--offset S]         read a deflate container at byte S of IN"},
    {"dct-encode", DctEncodeCommand, "dct-encode IN W H OUT [--bits-per-pixel B]  compress a float32 image"},
    {"dct-decode", DctDecodeCommand, "dct-decode IN OUT                  decode a DCT image to float32 values"},
    {"describe", DescribeCommand, "describe FILE                      print a relighting description as JSON"},
    {"export-model", ExportModelCommand, "export-model OUT.obj               write the built-in model as Wavefront OBJ"},
    {"bake", BakeCommand, "bake [--out DIR] [options]         bake a data set: the angel, or --model FILE (see bake --help)"},
    {"relight", RelightCommand, "relight DIR --theta T --phi P --out FILE  relight a run directory (see relight --help)"},
};

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: veltrane-tool COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %s\n", c.summary);
  std::fprintf(out, "\n'veltrane-tool COMMAND --help' describes one command; 'veltrane-tool --version' prints\n"
                    "the version.\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Each line (bake progress included) shows as it is written, also into a file or a pipe.
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  if (IsHelpArg(argv[1])) {
    PrintUsage(stdout);
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("veltrane-tool %s\n", VELTRANE_VERSION);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "veltrane-tool: unknown command '%s'\n\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
