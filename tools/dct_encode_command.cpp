// veltrane-tool dct-encode IN WIDTH HEIGHT OUT [--bits-per-pixel B]
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/dct_encoder.h"
#include "tools/bake/float32_file.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: veltrane-tool dct-encode IN WIDTH HEIGHT OUT [--bits-per-pixel B]\n"
               "  Compresses IN, WIDTH x HEIGHT little-endian float32 values row by row, into the DCT\n"
               "  image file OUT at about B index bits per pixel (default 1, 0 .. 12), and prints\n"
               "  the error of the decoded plane against IN.\n");
}

}  // namespace

int DctEncodeCommand(int argc, char** argv) {
  if (HelpRequested(argc, argv)) {
    Usage(stdout);
    return 0;
  }
  std::vector<const char*> positional;
  veltrane::DctEncodeOptions options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bits-per-pixel") == 0) {
      if (i + 1 >= argc || !ParseRealArg(argv[i + 1], &options.bits_per_pixel) || !(options.bits_per_pixel >= 0) ||
          options.bits_per_pixel > 12) {
        return ToolUsageError("dct-encode", "--bits-per-pixel needs a number from 0 to 12",
                              i + 1 < argc ? argv[i + 1] : "", Usage);
      }
      ++i;
    } else {
      positional.push_back(argv[i]);
    }
  }
  int width = 0, height = 0;
  if (positional.size() != 4) return ToolUsageError("dct-encode", "needs IN WIDTH HEIGHT OUT", "", Usage);
  if (!ParseIntArg(positional[1], &width) || !ParseIntArg(positional[2], &height) || width <= 0 || height <= 0) {
    return ToolUsageError("dct-encode", "WIDTH and HEIGHT must be positive whole numbers",
                          (std::string(positional[1]) + " " + positional[2]).c_str(), Usage);
  }
  const char* in = positional[0];
  const char* out = positional[3];

  std::vector<float> plane;
  size_t bytes = 0;
  if (!ReadFloat32File(in, &plane, &bytes)) {
    std::fprintf(stderr, "veltrane-tool dct-encode: cannot read %s\n", in);
    return 1;
  }
  const unsigned long long expected = 4ull * static_cast<unsigned>(width) * static_cast<unsigned>(height);
  if (bytes != expected) {
    std::fprintf(stderr, "veltrane-tool dct-encode: %s holds %zu bytes, not %d x %d x 4 = %llu\n", in, bytes, width,
                 height, expected);
    return 1;
  }

  std::vector<unsigned char> file;
  veltrane::DctEncodeStats stats{};
  if (!veltrane::EncodeDctImage(plane.data(), width, height, options, &file, &stats)) {
    std::fprintf(stderr, "veltrane-tool dct-encode: cannot encode %s (a value is not finite, or the image is too large)\n",
                 in);
    return 1;
  }
  FILE* f = std::fopen(out, "wb");
  const bool written = f && std::fwrite(file.data(), 1, file.size(), f) == file.size();
  if (!f || std::fclose(f) != 0 || !written) {
    std::fprintf(stderr, "veltrane-tool dct-encode: cannot write %s\n", out);
    return 1;
  }
  std::printf("rms error %.6g, max abs error %.6g, %d bits per block, %zu bytes\n", stats.rms_error,
              stats.max_abs_error, stats.totalbits, stats.file_bytes);
  return 0;
}
