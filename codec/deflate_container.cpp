#include "codec/deflate_container.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/fatal.h"
#include "common/heap.h"

namespace {

// The payload length is an int, so N x 32768 must stay below INT_MAX.
constexpr int32_t kMaxChunkCount = INT_MAX / static_cast<int32_t>(kDeflateChunkWindow);

[[noreturn]] void HeaderFault(const char* message) {
  std::fputs(message, stderr);
  veltrane::FatalExit(1);
}

// What the chunks' trailers say they hold, summed; a chunk whose trailer cannot be read adds 0
// and a trailer length above one window counts as it stands. Leaves the stream where it was.
uint64_t TrailerLengths(FILE* stream, const int32_t* offsets, const int32_t* sizes, size_t n) {
  const long here = std::ftell(stream);
  uint64_t sum = 0;
  for (size_t i = 0; i < n; ++i) {
    if (sizes[i] < 8 || static_cast<size_t>(sizes[i]) > kDeflateChunkStoredMax || offsets[i] < 0) continue;
    const long at = static_cast<long>(offsets[i]) + sizes[i] - 4;
    unsigned char le[4];
    if (std::fseek(stream, at, SEEK_SET) != 0 || std::fread(le, 1, 4, stream) != 4) continue;
    sum += static_cast<uint32_t>(le[0]) | (static_cast<uint32_t>(le[1]) << 8) |
           (static_cast<uint32_t>(le[2]) << 16) | (static_cast<uint32_t>(le[3]) << 24);
  }
  if (here >= 0) std::fseek(stream, here, SEEK_SET);
  return sum;
}

}  // namespace

void ReadDeflateZip(FILE* stream, unsigned char** buffer, int* length) {
  uint64_t declared = 0;
  ReadDeflateZipBounded(stream, static_cast<size_t>(-1), buffer, length, &declared);
}

bool ReadDeflateZipBounded(FILE* stream, size_t max_bytes, unsigned char** buffer, int* length,
                           uint64_t* declared) {
  veltrane::HeapPtr<unsigned char> inbuf(veltrane::HeapAlloc<unsigned char>(kDeflateChunkStoredMax));
  if (!inbuf) HeaderFault("[ReadDeflateZip]: No memory for inbuf\n");

  char signature[2];
  if (std::fread(signature, 1, 2, stream) != 2 || signature[0] != 'E' || signature[1] != 'Z') {
    HeaderFault("[ReadDeflateZip]: input file is not in our zip file format\n");
  }

  int32_t count;
  if (cp_fread(&count, 4, 1, stream) != 1) HeaderFault("[ReadDeflateZip]: cannot read chunk count\n");
  if (count < 0 || count > kMaxChunkCount) {
    std::fprintf(stderr, "[ReadDeflateZip]: bad chunk count %d\n", static_cast<int>(count));
    veltrane::FatalExit(1);
  }
  const size_t n = static_cast<size_t>(count);

  // The tables are read before outbuf is sized, so a count the file cannot back is caught by
  // the short read rather than by a huge allocation.
  veltrane::HeapPtr<int32_t> offsets(veltrane::HeapAlloc<int32_t>(n));
  if (!offsets) HeaderFault("[ReadDeflateZip]: no memory for offset table\n");
  veltrane::HeapPtr<int32_t> sizes(veltrane::HeapAlloc<int32_t>(n));
  if (!sizes) HeaderFault("[ReadDeflateZip]: no memory for chrunksize table\n");
  if (cp_fread(offsets.get(), 4, n, stream) != n) {
    HeaderFault("[ReadDeflateZip]: cannot read offset table\n");
  }
  if (cp_fread(sizes.get(), 4, n, stream) != n) {
    HeaderFault("[ReadDeflateZip]: cannot read chunk-size table\n");
  }

  // The caller's need in whole windows bounds the buffer. A container that declares more is
  // refused here; one whose chunks are short may have more chunks than the need has windows.
  const size_t windows = max_bytes / kDeflateChunkWindow + (max_bytes % kDeflateChunkWindow != 0 ? 1 : 0);
  size_t capacity = n * kDeflateChunkWindow;
  *declared = capacity;
  if (n > windows) {
    *declared = TrailerLengths(stream, offsets.get(), sizes.get(), n);
    if (*declared > max_bytes) return false;
    capacity = windows * kDeflateChunkWindow;
  }
  veltrane::HeapPtr<unsigned char> outbuf(veltrane::HeapAlloc<unsigned char>(capacity));
  if (!outbuf) HeaderFault("[ReadDeflateZip]: No memory for outbuf\n");

  size_t total = 0;
  for (size_t i = 0; i < n; ++i) {
    const int32_t offset = offsets.get()[i];
    const int32_t size = sizes.get()[i];
    if (size < 0 || static_cast<size_t>(size) > kDeflateChunkStoredMax) {
      std::fprintf(stderr, "[ReadDeflateZip]: chunk %zu: stored size %d out of range\n", i,
                   static_cast<int>(size));
      continue;
    }
    if (offset < 0 || std::fseek(stream, offset, SEEK_SET) != 0) {
      std::fprintf(stderr, "[ReadDeflateZip]: chunk %zu: cannot seek to offset %d\n", i,
                   static_cast<int>(offset));
      continue;
    }
    const size_t got = std::fread(inbuf.get(), 1, static_cast<size_t>(size), stream);
    if (got != static_cast<size_t>(size)) {
      std::fprintf(stderr, "[ReadDeflateZip]: chunk %zu: short read, %zu of %d bytes\n", i, got,
                   static_cast<int>(size));
    }
    total += InflateChunk(inbuf.get(), got, outbuf.get() + total, capacity - total);
  }

  *buffer = outbuf.release();
  *length = static_cast<int>(total);
  return true;
}
