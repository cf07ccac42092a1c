// Reading the coefficient planes from the raw file or from the compressed one.
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

}  // namespace

void LoadUncompressRbfData(const char* path, RbfChannelPlanes* planes) {
  std::printf("\n[LoadUncompressRbfData]: Start to load the uncompressed RBF data from %s\n\n", path);
  AllocatePlanesOrExit(planes, "LoadUncompressRbfData");

  FilePtr file(std::fopen(path, "rb"));
  if (!file) {
    std::fprintf(stderr, "[LoadUncompressRbfData] Cannot open %s\n", path);
    veltrane::FatalExit(1);
  }

  // A file shorter than the maps it must hold would leave texels undefined: refuse it.
  size_t plane_size = planes->PlaneSize();
  size_t needed = 12 * static_cast<size_t>(planes->count) * plane_size;
  long size = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
  if (size < 0 || static_cast<unsigned long>(size) < needed || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    std::fprintf(stderr,
                 "[LoadUncompressRbfData] %s is too short: %ld bytes, %zu needed for %d maps of %d x %d\n",
                 path, size, needed, planes->count, planes->width, planes->height);
    veltrane::FatalExit(1);
  }

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

  // Fewer samples than the maps need would leave texels undefined: refuse the file.
  size_t samples = width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  if (plane == nullptr || samples < count) {
    std::fprintf(stderr, "[DecodeDctRbfFile] %s decodes to %zu samples, %zu needed\n", path, samples, count);
    veltrane::FatalExit(1);
  }
  std::memcpy(buffer, plane.get(), count * sizeof(float));
}

void LoadDctRbfData(const char* path, RbfChannelPlanes* planes) {
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
