#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <zlib.h>

#include "codec/deflate_container.h"
#include "codec/inflate_raw.h"

namespace {

const char* g_program_name = "veltrane";

// The input name of the chunk-fault lines: chunks are decoded as if read from a stream.
const char kInputName[] = "stdin";

void ReportChunkFault(const char* message) {
  std::fprintf(stderr, "\n%s: %s: %s\n", g_program_name, kInputName, message);
}

void ReportEndOfInput() {
  std::fprintf(stderr, "\n%s: ", g_program_name);
  if (errno != 0) {
    std::perror(kInputName);
  } else {
    std::fprintf(stderr, "%s: unexpected end of file\n", kInputName);
  }
}

uint32_t LittleEndian32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

void SetDeflateProgramName(const char* name) { g_program_name = name ? name : "veltrane"; }

size_t InflateChunk(const unsigned char* chunk, size_t stored_size, unsigned char* dest,
                    size_t dest_room) {
  errno = 0;
  const size_t limit = dest_room < kDeflateChunkWindow ? dest_room : kDeflateChunkWindow;
  const veltrane::InflateResult result = veltrane::InflateRaw(chunk, stored_size, dest, limit);

  // Output is delivered a whole window at a time; a chunk that fails keeps only a window that
  // filled up before the fault.
  size_t delivered = result.produced;
  bool end_reported = false;
  if (result.status != veltrane::InflateStatus::kDone) {
    if (delivered != kDeflateChunkWindow) delivered = 0;
    switch (result.status) {
      case veltrane::InflateStatus::kIncompleteLiteralTree:
        std::fputs(" incomplete literal tree\n", stderr);
        ReportChunkFault("invalid compressed data--format violated");
        break;
      case veltrane::InflateStatus::kIncompleteDistanceTree:
        std::fputs(" incomplete distance tree\n", stderr);
        ReportChunkFault("invalid compressed data--format violated");
        break;
      case veltrane::InflateStatus::kEndOfInput:
        ReportEndOfInput();
        end_reported = true;
        break;
      case veltrane::InflateStatus::kOutputFull:
        std::fprintf(stderr, "[InflateChunk]: chunk inflates past %zu bytes\n", limit);
        break;
      default:
        ReportChunkFault("invalid compressed data--format violated");
        break;
    }
  }

  // The trailer follows the DEFLATE data, or whatever was left where decoding stopped. Bytes
  // past the chunk's end count as zero.
  unsigned char trailer[8] = {};
  const size_t at = result.consumed;
  const size_t have = at < stored_size ? (stored_size - at < 8 ? stored_size - at : 8) : 0;
  if (have != 0) std::memcpy(trailer, chunk + at, have);
  if (have < 8 && !end_reported) ReportEndOfInput();

  const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), dest, static_cast<uInt>(delivered)));
  if (LittleEndian32(trailer) != crc) ReportChunkFault("invalid compressed data--crc error");
  if (LittleEndian32(trailer + 4) != delivered) ReportChunkFault("invalid compressed data--length error");
  return delivered;
}
