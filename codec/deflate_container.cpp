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

}  // namespace

void ReadDeflateZip(FILE* stream, unsigned char** buffer, int* length) {
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

  const size_t capacity = n * kDeflateChunkWindow;
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
}
