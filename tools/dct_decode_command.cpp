// veltrane-tool dct-decode IN OUT
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/dct_image.h"
#include "codec/deflate_container.h"
#include "tools/bake/float32_file.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: veltrane-tool dct-decode IN OUT\n"
               "  Decodes the DCT image file IN and writes its WIDTH x HEIGHT samples to OUT as\n"
               "  little-endian float32 values row by row; prints \"WIDTH HEIGHT\".\n");
}

}  // namespace

int DctDecodeCommand(int argc, char** argv) {
  if (HelpRequested(argc, argv)) {
    Usage(stdout);
    return 0;
  }
  if (argc != 3) return ToolUsageError("dct-decode", argc < 3 ? "needs IN and OUT" : "takes only IN and OUT", "", Usage);
  SetDeflateProgramName("veltrane-tool");
  FILE* in = std::fopen(argv[1], "rb");
  if (!in) {
    std::fprintf(stderr, "veltrane-tool dct-decode: cannot open %s\n", argv[1]);
    return 1;
  }
  DctImage image;
  image.Load(in);
  float* plane = nullptr;
  int width = 0, height = 0;
  image.Decode(&plane, &width, &height);
  std::fclose(in);

  const bool written = WriteFloat32File(argv[2], plane, static_cast<size_t>(width) * static_cast<size_t>(height));
  std::free(plane);
  if (!written) {
    std::fprintf(stderr, "veltrane-tool dct-decode: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%d %d\n", width, height);
  return 0;
}
