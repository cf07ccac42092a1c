#include "relight/gl/coefficient_maps.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "codec/ppm.h"
#include "common/fatal.h"
#include "common/heap.h"
#include "relight/center_directions.h"
#include "relight/globals.h"

unsigned int* G_RBF_coefficient_map = nullptr;
int coefficient_map_count = 0;

namespace {

// The interleaved RGB image of every centre while loading.
class RbfData {
 public:
  explicit RbfData(int count) : count_(count) {}
  ~RbfData() {
    if (images_ == nullptr) return;
    for (int i = 0; i < count_; ++i) std::free(images_[i]);
    std::free(images_);
  }
  RbfData(const RbfData&) = delete;
  RbfData& operator=(const RbfData&) = delete;

  void Allocate(size_t pixels) {
    images_ = static_cast<float**>(std::calloc(count_ > 0 ? count_ : 1, sizeof(float*)));
    if (images_ == nullptr) {
      std::fprintf(stderr, "No memory for rbfdata\n");
      veltrane::FatalExit(1);
    }
    for (int i = 0; i < count_; ++i) {
      images_[i] = veltrane::HeapAlloc<float>(3 * pixels);
      if (images_[i] == nullptr) {
        std::fprintf(stderr, "No memory for rbfdata[i]\n");
        veltrane::FatalExit(1);
      }
    }
  }
  float** images() const { return images_; }

 private:
  int count_;
  float** images_ = nullptr;
};

// Releases the planes however the loading ends.
struct PlanesRelease {
  RbfChannelPlanes* planes;
  ~PlanesRelease() { planes->ReleasePlanes(); }
};

void UploadCoefficientTextures(float** rbfdata, int count, int width, int height) {
  int textures = count < kMaxCoefficientMaps ? count : kMaxCoefficientMaps;
  if (textures < 0) textures = 0;
  G_RBF_coefficient_map = veltrane::HeapAlloc<unsigned int>(static_cast<size_t>(textures));
  if (G_RBF_coefficient_map == nullptr) {
    std::fprintf(stderr, "[LoadPrepareRBFMap]:No memory for G_RBF_coefficient_map\n");
    veltrane::FatalExit(1);
  }
  coefficient_map_count = textures;
  if (textures > 0) glGenTextures(textures, G_RBF_coefficient_map);
  for (int i = 0; i < textures; ++i) {
    glEnable(GL_TEXTURE_RECTANGLE);
    glBindTexture(GL_TEXTURE_RECTANGLE, G_RBF_coefficient_map[i]);
    glTexImage2D(GL_TEXTURE_RECTANGLE, 0, GL_RGB16F, width, height, 0, GL_RGB, GL_FLOAT, rbfdata[i]);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
}

void ComposePath(char* path, size_t size, const char* format, const char* encoded_name) {
  int written = std::snprintf(path, size, format, base_path, encoded_name);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    std::fprintf(stderr, "[LoadPrepareRBFMap]: the path of the coefficient file is longer than %zu characters\n",
                 size - 1);
    veltrane::FatalExit(1);
  }
}

bool FileOpensForReading(const char* path) {
  FILE* f = std::fopen(path, "r");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

}  // namespace

void CheckCoefficientFileCapacity(const char* encoded_name, int width, int height, int count) {
  const RbfChannelPlanes planes(count, width, height);
  char path[1024];
  ComposePath(path, sizeof(path), "%s%s.rbf", encoded_name);
  if (FileOpensForReading(path)) {
    CheckRawRbfFileSize(path, planes);
    return;
  }
  ComposePath(path, sizeof(path), "%s%s.rbf.dct", encoded_name);
  CheckDctRbfFileSize(path, planes);
}

void LoadPrepareRBFMap(const char* encoded_name, int width, int height, int count,
                       const RelightDescription& description) {
  CheckCoefficientFileCapacity(encoded_name, width, height, count);
  // The buffers: the planes of the three channels and the interleaved images.
  std::unique_ptr<RbfChannelPlanes> planes(new RbfChannelPlanes(count, width, height));
  PlanesRelease release{planes.get()};
  RbfData rbfdata(count);
  rbfdata.Allocate(planes->PlaneSize());
  PrepareCenterDirections(description, count);

  char path[1024];
  ComposePath(path, sizeof(path), "%s%s.rbf", encoded_name);
  if (FileOpensForReading(path)) {
    LoadUncompressRbfData(path, planes.get());
  } else {
    ComposePath(path, sizeof(path), "%s%s.rbf.dct", encoded_name);
    std::printf("Loading %s ...\n", path);
    if (!FileOpensForReading(path)) {
      std::fprintf(stderr, "error: data file not exists\n");
      veltrane::FatalExit(-1);
    }
    LoadDctRbfData(path, planes.get());
  }

  InterleaveRbfChannels(*planes, rbfdata.images());
  for (int i = 0; i < count; ++i) InvertBuf(rbfdata.images()[i], height, 12 * width);
  UploadCoefficientTextures(rbfdata.images(), count, width, height);
}
