// veltrane-tool unpack IN OUT [--offset S] [--max-bytes N]: the payload of the container at
// byte S of IN.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/deflate_container.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

const char kUsage[] =
    "usage: veltrane-tool unpack IN OUT [--offset S] [--max-bytes N]\n"
    "\n"
    "Reads the chunked deflate container (\"EZ\") at byte S of IN (default 0) and writes its\n"
    "payload to OUT. A container that declares a payload of more than N bytes (default\n"
    "1073741824, 1 GiB) is refused before anything is decoded.\n";

constexpr unsigned long long kDefaultMaxBytes = 1ull << 30;

}  // namespace

int UnpackCommand(int argc, char** argv) {
  const char* paths[2] = {nullptr, nullptr};
  long offset = 0;
  unsigned long long max_bytes = kDefaultMaxBytes;
  const ToolOption kOptions[] = {{"--offset", 1}, {"--max-bytes", 1}};
  const int status = ReadInOutArgs(argc, argv, "unpack", kUsage, kOptions, 2, [&](const ToolArg& arg) -> const char* {
    const char* text = arg.values[0];
    char* end = nullptr;
    errno = 0;
    if (std::strcmp(arg.word, "--offset") == 0) {
      offset = std::strtol(text, &end, 10);
      const bool bad = errno != 0 || *end != '\0' || end == text || offset < 0;
      return bad ? "offset must be a byte position, not " : nullptr;
    }
    max_bytes = std::strtoull(text, &end, 10);
    const bool bad = errno != 0 || *end != '\0' || end == text || text[0] == '-' || max_bytes > SIZE_MAX;
    return bad ? "--max-bytes must be a byte count, not " : nullptr;
  }, paths);
  if (status >= 0) return status;

  FILE* in = std::fopen(paths[0], "rb");
  if (!in) {
    std::fprintf(stderr, "veltrane-tool unpack: cannot read %s: %s\n", paths[0], std::strerror(errno));
    return 1;
  }
  if (std::fseek(in, offset, SEEK_SET) != 0) {
    std::fprintf(stderr, "veltrane-tool unpack: cannot seek to byte %ld of %s\n", offset, paths[0]);
    std::fclose(in);
    return 1;
  }
  unsigned char* payload = nullptr;
  int length = 0;
  uint64_t declared = 0;
  SetDeflateProgramName("veltrane-tool");
  const bool taken = ReadDeflateZipBounded(in, static_cast<size_t>(max_bytes), &payload, &length, &declared);
  std::fclose(in);
  if (!taken) {
    std::fprintf(stderr,
                 "veltrane-tool unpack: the container in %s declares %llu payload bytes, more than "
                 "--max-bytes %llu\n",
                 paths[0], static_cast<unsigned long long>(declared), max_bytes);
    return 1;
  }

  FILE* out = std::fopen(paths[1], "wb");
  const size_t size = static_cast<size_t>(length);
  const bool written = out && std::fwrite(payload, 1, size, out) == size;
  std::free(payload);
  if (!out || std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "veltrane-tool unpack: cannot write %s: %s\n", paths[1], std::strerror(errno));
    return 1;
  }
  return 0;
}
