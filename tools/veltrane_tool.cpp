// veltrane-tool: command-line access to the data formats, the built-in model and the baker.
#include <cstdio>
#include <cstring>
#include <string>

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

// A refusal of the command line in three lines: what is wrong, the commands, where more is.
int CommandLineError(const char* what) {
  std::fprintf(stderr, "veltrane-tool: %s\nusage: veltrane-tool COMMAND [ARGS...], COMMAND one of:", what);
  for (const Command& c : kCommands) std::fprintf(stderr, " %s", c.name);
  std::fprintf(stderr, "\nTry 'veltrane-tool --help' for what each does.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Each line (bake progress included) shows as it is written, also into a file or a pipe.
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  if (argc < 2) return CommandLineError("no command given");
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
  return CommandLineError((std::string("unknown command '") + argv[1] + "'").c_str());
}
