#include "codec/ppm.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/fatal.h"
#include "common/file_closer.h"
#include "common/heap.h"

namespace {

using veltrane::FatalExit;
using veltrane::HeapAlloc;
using veltrane::HeapPtr;

constexpr int kLineBufferSize = 10000;
// Largest pixel buffer accepted, in bytes.
constexpr long long kMaxPixelBytes = 1LL << 30;

[[noreturn]] void Fail(const char* message) {
  std::fputs(message, stderr);
  FatalExit(1);
}

// One header line; an empty line when the file ends.
void ReadLine(FILE* file, char* line) {
  if (!std::fgets(line, kLineBufferSize, file)) line[0] = '\0';
}

// "%d %d" without the undefined behaviour of %d on numbers that do not fit.
bool ScanSize(const char* line, long* width, long* height) {
  char* end = nullptr;
  errno = 0;
  *width = std::strtol(line, &end, 10);
  if (end == line || errno == ERANGE) return false;
  const char* rest = end;
  *height = std::strtol(rest, &end, 10);
  return end != rest && errno != ERANGE;
}

// Bytes left between the current position and the end, or -1 when the stream cannot tell.
long long BytesLeft(FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(file);
  if (std::fseek(file, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

}  // namespace

void ReadPPM(const char* path, int* width, int* height, unsigned char** buffer) {
  veltrane::FilePtr file(std::fopen(path, "rb"));
  if (!file) Fail("cannot load file\n");

  char line[kLineBufferSize];
  ReadLine(file.get(), line);  // magic, not checked
  ReadLine(file.get(), line);
  long w = 0, h = 0;
  if (!ScanSize(line, &w, &h) || w <= 0 || h <= 0 || w > INT_MAX || h > INT_MAX ||
      w * h > kMaxPixelBytes / 3) {
    Fail("[ReadPPM]: Bad image dimensions\n");
  }
  ReadLine(file.get(), line);  // maximum value, not checked

  const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h) * 3;
  // A seekable file shorter than its header says is refused before the buffer is allocated.
  const long long left = BytesLeft(file.get());
  if (left >= 0 && static_cast<unsigned long long>(left) < size) Fail("[ReadPPM]: Pixel data is short\n");

  HeapPtr<unsigned char> pixels(HeapAlloc<unsigned char>(size));
  if (!pixels) Fail("no memory\n");
  if (std::fread(pixels.get(), 1, size, file.get()) != size) Fail("[ReadPPM]: Pixel data is short\n");
  file.reset();

  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  *buffer = pixels.release();
}

void InvertBuf(void* buffer, int rows, int row_bytes) {
  if (row_bytes < 0) return;
  const size_t size = static_cast<size_t>(row_bytes);
  HeapPtr<unsigned char> scanline(HeapAlloc<unsigned char>(size));
  if (!scanline) {
    std::fputs("[InvertBuf]:No memory for scanline\n", stderr);
    FatalExit(1);
  }
  unsigned char* bytes = static_cast<unsigned char*>(buffer);
  for (int i = 0, j = rows - 1; i < j; ++i, --j) {
    unsigned char* row_i = bytes + static_cast<size_t>(i) * size;
    unsigned char* row_j = bytes + static_cast<size_t>(j) * size;
    std::memcpy(scanline.get(), row_i, size);
    std::memcpy(row_i, row_j, size);
    std::memcpy(row_j, scanline.get(), size);
  }
}

bool WritePPM(const char* path, int width, int height, const unsigned char* rgb) {
  if (width <= 0 || height <= 0 || !rgb) return false;
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  bool ok = std::fprintf(file, "P6\n%d %d\n255\n", width, height) > 0;
  ok = ok && std::fwrite(rgb, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}
