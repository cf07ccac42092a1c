// veltrane-tool pack IN OUT [--chunk-size N]: IN's bytes as a chunked deflate container.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/container_writer.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

const char kUsage[] =
    "usage: veltrane-tool pack IN OUT [--chunk-size N]\n"
    "\n"
    "Writes the bytes of IN to OUT as a chunked deflate container (\"EZ\"), starting at byte 0.\n"
    "  --chunk-size N   uncompressed bytes per chunk, 1 to 32768 (default 32768)\n";

bool ReadWholeFile(const char* path, std::vector<unsigned char>* data) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  unsigned char block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, f)) > 0) data->insert(data->end(), block, block + got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace

int PackCommand(int argc, char** argv) {
  const char* paths[2] = {nullptr, nullptr};
  veltrane::ContainerOptions options;
  const ToolOption kOptions[] = {{"--chunk-size", 1}};
  const int status = ReadInOutArgs(argc, argv, "pack", kUsage, kOptions, 1, [&](const ToolArg& arg) -> const char* {
    int n = 0;
    if (!ParseIntArg(arg.values[0], &n) || n < 1 || n > 32768) return "chunk size must be 1 to 32768, not ";
    options.chunk_size = static_cast<size_t>(n);
    return nullptr;
  }, paths);
  if (status >= 0) return status;

  std::vector<unsigned char> data;
  if (!ReadWholeFile(paths[0], &data)) {
    std::fprintf(stderr, "veltrane-tool pack: cannot read %s: %s\n", paths[0], std::strerror(errno));
    return 1;
  }
  std::vector<unsigned char> container;
  if (!veltrane::EncodeDeflateContainer(data.data(), data.size(), 0, options, &container)) {
    std::fprintf(stderr, "veltrane-tool pack: %s is too large for a container\n", paths[0]);
    return 1;
  }
  FILE* out = std::fopen(paths[1], "wb");
  const bool written = out && std::fwrite(container.data(), 1, container.size(), out) == container.size();
  if (!out || std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "veltrane-tool pack: cannot write %s: %s\n", paths[1], std::strerror(errno));
    return 1;
  }
  return 0;
}
