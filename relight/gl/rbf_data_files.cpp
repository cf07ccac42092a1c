// Refusing a coefficient file too small for the maps before anything is decoded.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "codec/dct_image.h"
#include "common/fatal.h"
#include "common/file_closer.h"
#include "common/heap.h"
#include "relight/gl/coefficient_maps.h"

namespace {

using veltrane::FilePtr;

// Bytes of a raw file that holds the planes: three channels of 4-byte floats.
size_t RawBytesNeeded(const RbfChannelPlanes& planes) {
  return 12 * static_cast<size_t>(planes.count > 0 ? planes.count : 0) * planes.PlaneSize();
}

// Samples of a DctImage that holds the planes of the three channels one after the other.
size_t DctSamplesNeeded(const RbfChannelPlanes& planes) { return RawBytesNeeded(planes) / 4; }

}  // namespace

void RefuseShortRawFile(FILE* file, const char* path, const RbfChannelPlanes& planes) {
  const size_t needed = RawBytesNeeded(planes);
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size < 0 || static_cast<unsigned long>(size) < needed || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fprintf(stderr,
                 "[LoadUncompressRbfData] %s is too short: %ld bytes, %zu needed for %d maps of %d x %d\n",
                 path, size, needed, planes.count, planes.width, planes.height);
    veltrane::FatalExit(1);
  }
}

void CheckRawRbfFileSize(const char* path, const RbfChannelPlanes& planes) {
  FilePtr file(std::fopen(path, "rb"));
  if (file) RefuseShortRawFile(file.get(), path, planes);
}

void CheckDctRbfFileSize(const char* path, const RbfChannelPlanes& planes) {
  FilePtr file(std::fopen(path, "rb"));
  long width = 0;
  long height = 0;
  if (!file || !veltrane::ReadDctImageDimensions(file.get(), &width, &height)) return;
  // The dimensions are below INT_MAX each, so their product fits.
  const uint64_t samples = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  RefuseFewSamples(path, samples < SIZE_MAX ? static_cast<size_t>(samples) : SIZE_MAX, DctSamplesNeeded(planes));
}

void RefuseFewSamples(const char* path, size_t samples, size_t needed) {
  if (samples >= needed) return;
  std::fprintf(stderr, "[DecodeDctRbfFile] %s decodes to %zu samples, %zu needed\n", path, samples, needed);
  veltrane::FatalExit(1);
}
