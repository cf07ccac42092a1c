// Reading the coefficient planes from the raw file or from the compressed one.
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

void AllocatePlanesOrExit(RbfChannelPlanes* planes, const char* function) {
  if (!planes->AllocatePlanes()) {
    std::fprintf(stderr, "[%s]: No memory for the RBF planes\n", function);
    veltrane::FatalExit(1);
  }
}

// The raw file holds little-endian floats; turn them into host order.
void LittleEndianToHost(float* values, size_t count) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  unsigned char* bytes = reinterpret_cast<unsigned char*>(values);
  for (size_t i = 0; i < count; ++i, bytes += 4) {
    unsigned char t0 = bytes[0], t1 = bytes[1];
    bytes[0] = bytes[3];
    bytes[1] = bytes[2];
    bytes[2] = t1;
    bytes[3] = t0;
  }
#else
  (void)values;
  (void)count;
#endif
}

// Bytes of a raw file that holds the planes: three channels of 4-byte floats.
size_t RawBytesNeeded(const RbfChannelPlanes& planes) {
  return 12 * static_cast<size_t>(planes.count > 0 ? planes.count : 0) * planes.PlaneSize();
}

// Samples of a DctImage that holds the planes of the three channels one after the other.
size_t DctSamplesNeeded(const RbfChannelPlanes& planes) { return RawBytesNeeded(planes) / 4; }

// A file shorter than the maps it must hold would leave texels undefined: refuse it. Leaves
// the stream at the start of the file.
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

// Fewer samples than the maps need would leave texels undefined: refuse the file.
void RefuseFewSamples(const char* path, size_t samples, size_t needed) {
  if (samples >= needed) return;
  std::fprintf(stderr, "[DecodeDctRbfFile] %s decodes to %zu samples, %zu needed\n", path, samples, needed);
  veltrane::FatalExit(1);
}

}  // namespace

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

void LoadUncompressRbfData(const char* path, RbfChannelPlanes* planes) {
  std::printf("\n[LoadUncompressRbfData]: Start to load the uncompressed RBF data from %s\n\n", path);
  FilePtr file(std::fopen(path, "rb"));
  if (!file) {
    std::fprintf(stderr, "[LoadUncompressRbfData] Cannot open %s\n", path);
    veltrane::FatalExit(1);
  }
  RefuseShortRawFile(file.get(), path, *planes);
  AllocatePlanesOrExit(planes, "LoadUncompressRbfData");

  const size_t plane_size = planes->PlaneSize();
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < planes->count; ++i) {
      float* plane = planes->planes[c][i];
      if (std::fread(plane, sizeof(float), plane_size, file.get()) != plane_size) {
        std::fprintf(stderr, "[LoadUncompressRbfData] Cannot read %s\n", path);
        veltrane::FatalExit(1);
      }
      LittleEndianToHost(plane, plane_size);
    }
  }
  file.reset();
  std::printf("Finish loading RBF maps\n\n");
}

void DecodeDctRbfFile(const char* path, float* buffer, size_t count) {
  DctImage image;
  FilePtr file(std::fopen(path, "rb"));
  if (!file) {
    std::printf("can't out the dct_compressed file\n");
    veltrane::FatalExit(-1);
  }
  image.Load(file.get());
  float* decoded = nullptr;
  int width = 0;
  int height = 0;
  image.Decode(&decoded, &width, &height);
  veltrane::HeapPtr<float> plane(decoded);
  file.reset();

  size_t samples = width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  RefuseFewSamples(path, plane == nullptr ? 0 : samples, count);
  std::memcpy(buffer, plane.get(), count * sizeof(float));
}

void LoadDctRbfData(const char* path, RbfChannelPlanes* planes) {
  CheckDctRbfFileSize(path, *planes);
  AllocatePlanesOrExit(planes, "LoadDctRbfData");
  size_t plane_size = planes->PlaneSize();
  size_t count = 3 * static_cast<size_t>(planes->count) * plane_size;
  veltrane::HeapPtr<float> buffer(veltrane::HeapAlloc<float>(count));
  if (!buffer) {
    std::fprintf(stderr, "[LoadDctRbfData]: No memory for the decoded RBF data\n");
    veltrane::FatalExit(1);
  }
  DecodeDctRbfFile(path, buffer.get(), count);

  const float* next = buffer.get();
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < planes->count; ++i) {
      std::memcpy(planes->planes[c][i], next, plane_size * sizeof(float));
      next += plane_size;
    }
  }
}
