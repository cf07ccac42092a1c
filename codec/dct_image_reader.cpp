// DctImage::ReadDCTBits: the header lines, the index widths, the codebooks and the container.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "codec/deflate_container.h"
#include "codec/dct_image.h"
#include "common/fatal.h"

using veltrane::FatalExit;
using veltrane::HeapAlloc;

namespace {

constexpr int kLineBufferSize = 10000;
constexpr int kMaxBitWidth = 31;
int64_t g_max_pixels = veltrane::kDctImageDefaultMaxPixels;

[[noreturn]] void Fail(const char* message) {
  std::fputs(message, stderr);
  FatalExit(1);
}

void ReadLine(FILE* stream, char* line) {
  if (!std::fgets(line, kLineBufferSize, stream)) line[0] = '\0';
}

// "%d %d" without the undefined behaviour of %d on numbers that do not fit an int.
bool ScanDimensions(const char* line, long* width, long* height) {
  char* end = nullptr;
  errno = 0;
  *width = std::strtol(line, &end, 10);
  if (end == line || errno == ERANGE) return false;
  const char* rest = end;
  *height = std::strtol(rest, &end, 10);
  return end != rest && errno != ERANGE;
}

int PadTo8(int n) { return n / 8 * 8 + (n % 8 != 0 ? 8 : 0); }

// Bytes between the stream's position and its end, or -1 when it cannot tell.
int64_t BytesLeft(FILE* stream) {
  const long here = std::ftell(stream);
  if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(stream);
  if (std::fseek(stream, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

}  // namespace

namespace veltrane {

int64_t SetDctImageMaxPixels(int64_t max_pixels) {
  const int64_t previous = g_max_pixels;
  g_max_pixels = max_pixels;
  return previous;
}

bool ReadDctImageDimensions(FILE* stream, long* width, long* height) {
  char line[kLineBufferSize];
  ReadLine(stream, line);
  if (std::strncmp(line, "DCT", 3) != 0) return false;
  ReadLine(stream, line);
  return ScanDimensions(line, width, height) && *width >= 0 && *height >= 0;
}

}  // namespace veltrane

void DctImage::ReadDCTBits(FILE* stream) {
  char line[kLineBufferSize];
  ReadLine(stream, line);
  if (std::strncmp(line, "DCT", 3) != 0) Fail("[DctImage::ReadDCTBits]: Signature not matching\n");

  ReadLine(stream, line);
  long w = 0, h = 0;
  if (!ScanDimensions(line, &w, &h)) Fail("[DctImage::ReadDCTBits]: Cannot read the image dimensions\n");
  // Negative sizes, sizes whose padding overflows, and planes too large to decode are refused
  // before anything is allocated. Each side on its own must also leave room for one row (or
  // column) of blocks within the limit: Decode's working arrays are sized by a row of blocks,
  // and an empty plane (a width or height of 0) would otherwise let the other side be anything.
  if (w < 0 || h < 0 || w > INT_MAX - 7 || h > INT_MAX - 7) {
    Fail("[DctImage::ReadDCTBits]: Image dimensions out of range\n");
  }
  const int64_t pw = PadTo8(static_cast<int>(w)), ph = PadTo8(static_cast<int>(h));
  if (pw * ph > g_max_pixels || pw * 8 > g_max_pixels || ph * 8 > g_max_pixels) {
    Fail("[DctImage::ReadDCTBits]: Image dimensions out of range\n");
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  padwidth = PadTo8(width);
  padheight = PadTo8(height);

  if (cp_fread(bits, 4, 64, stream) < 64) Fail("[DctImage::ReadDCTBits]: Error writing bitmap\n");
  int64_t codebook_bytes = 0;
  for (int k = 0; k < 64; ++k) {
    if (bits[k] < 0 || bits[k] > kMaxBitWidth) Fail("[DctImage::ReadDCTBits]: Bit width out of range\n");
    codebook_bytes += int64_t{4} << bits[k];
  }
  // Codebooks the rest of the file cannot hold would be read short anyway; refuse them before
  // allocating (a width of 31 asks for 8 GiB).
  const int64_t left = BytesLeft(stream);
  if (left >= 0 && left < codebook_bytes) Fail("[DctImage::ReadDCTBits]: Error reading codebook\n");

  codebook = HeapAlloc<float*>(64);
  if (!codebook) Fail("[DctImage::ReadDCTBits]: No memory for codebook\n");
  for (int k = 0; k < 64; ++k) codebook[k] = nullptr;
  for (int k = 0; k < 64; ++k) {
    codebook[k] = HeapAlloc<float>(size_t{1} << bits[k]);
    if (!codebook[k]) Fail("[DctImage::ReadDCTBits]: No memory for codebook[i]\n");
    totalbits += bits[k];
  }
  for (int k = 0; k < 64; ++k) {
    const size_t entries = size_t{1} << bits[k];
    if (cp_fread(codebook[k], 4, entries, stream) < entries) Fail("[DctImage::ReadDCTBits]: Error reading codebook\n");
  }

  // The header says how many payload bytes the blocks take; the container may not make the
  // reader allocate or decode more than that (in whole windows).
  const int64_t expected = static_cast<int64_t>(padwidth / 8) * (totalbits / 8) * (padheight / 8);
  uint64_t declared = 0;
  if (!ReadDeflateZipBounded(stream, static_cast<size_t>(expected), &packedbit, &packedlength, &declared)) {
    std::fprintf(stderr,
                 "[DctImage::ReadDCTBits]: The container declares %llu payload bytes, more than the %lld "
                 "the image needs\n",
                 static_cast<unsigned long long>(declared), static_cast<long long>(expected));
    FatalExit(1);
  }
  if (packedlength != expected) Fail("[DctImage::ReadDCTBits]: The packedbit is altered!!\n");
}
