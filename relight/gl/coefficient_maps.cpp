#include "relight/gl/coefficient_maps.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/fatal.h"
#include "common/heap.h"
#include "relight/center_directions.h"
#include "relight/gl/coefficient_halves.h"
#include "relight/gl/coefficient_prefetch.h"
#include "relight/globals.h"
#include "relight/gl/startup_profile.h"

unsigned int* G_RBF_coefficient_map = nullptr;
int coefficient_map_count = 0;

namespace {

void UploadCoefficientTextures(const HalfCoefficientMaps& maps) {
  const int count = maps.count();
  int textures = count < kMaxCoefficientMaps ? count : kMaxCoefficientMaps;
  if (textures < 0) textures = 0;
  G_RBF_coefficient_map = veltrane::HeapAlloc<unsigned int>(static_cast<size_t>(textures));
  if (G_RBF_coefficient_map == nullptr) {
    std::fprintf(stderr, "[LoadPrepareRBFMap]:No memory for G_RBF_coefficient_map\n");
    veltrane::FatalExit(1);
  }
  coefficient_map_count = textures;
  if (textures > 0) glGenTextures(textures, G_RBF_coefficient_map);
  // Rows of 3 x width halves follow each other without padding.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  for (int i = 0; i < textures; ++i) {
    glEnable(GL_TEXTURE_RECTANGLE);
    glBindTexture(GL_TEXTURE_RECTANGLE, G_RBF_coefficient_map[i]);
    glTexImage2D(GL_TEXTURE_RECTANGLE, 0, GL_RGB16F, maps.width(), maps.height(), 0, GL_RGB, GL_HALF_FLOAT,
                 maps.Map(i));
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_RECTANGLE, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  glPopClientAttrib();
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

// The coefficient file: the raw one when it opens, else the compressed one.
bool CoefficientFilePath(const char* encoded_name, char* path, size_t size) {
  ComposePath(path, size, "%s%s.rbf", encoded_name);
  if (FileOpensForReading(path)) return true;
  ComposePath(path, size, "%s%s.rbf.dct", encoded_name);
  return false;
}

// The maps from the helper that decoded them beside the start-up, or decoded here.
void DecodeCoefficientMaps(const char* path, bool raw, int width, int height, int count, HalfCoefficientMaps* maps) {
  std::string diagnostics;
  double seconds = 0.0;
  if (TakeCoefficientPrefetch(path, raw, width, height, count, maps, &diagnostics, &seconds)) {
    std::fputs(diagnostics.c_str(), stderr);
    veltrane::NoteStartupWork("coefficient decoding (helper)", seconds);
    return;
  }
  if (!maps->Allocate(count, width, height, false)) {
    std::fprintf(stderr, "No memory for rbfdata\n");
    veltrane::FatalExit(1);
  }
  if (raw) {
    DecodeRawCoefficients(path, *maps);
  } else {
    DecodeDctCoefficients(path, *maps, 0);
  }
}

}  // namespace

void CheckCoefficientFileCapacity(const char* encoded_name, int width, int height, int count) {
  const RbfChannelPlanes planes(count, width, height);
  char path[1024];
  if (CoefficientFilePath(encoded_name, path, sizeof(path))) {
    CheckRawRbfFileSize(path, planes);
  } else {
    CheckDctRbfFileSize(path, planes);
  }
}

void StartLoadingRBFMap(const char* encoded_name, int width, int height, int count) {
  char path[1024];
  const bool raw = CoefficientFilePath(encoded_name, path, sizeof(path));
  if (raw || FileOpensForReading(path)) StartCoefficientPrefetch(path, raw, width, height, count);
}

void LoadPrepareRBFMap(const char* encoded_name, int width, int height, int count,
                       const RelightDescription& description) {
  CheckCoefficientFileCapacity(encoded_name, width, height, count);
  PrepareCenterDirections(description, count);

  HalfCoefficientMaps maps;
  char path[1024];
  if (CoefficientFilePath(encoded_name, path, sizeof(path))) {
    std::printf("\n[LoadUncompressRbfData]: Start to load the uncompressed RBF data from %s\n\n", path);
    DecodeCoefficientMaps(path, true, width, height, count, &maps);
    std::printf("Finish loading RBF maps\n\n");
  } else {
    std::printf("Loading %s ...\n", path);
    if (!FileOpensForReading(path)) {
      std::fprintf(stderr, "error: data file not exists\n");
      veltrane::FatalExit(-1);
    }
    DecodeCoefficientMaps(path, false, width, height, count, &maps);
  }
  veltrane::MarkStartupStep("coefficient decoding");
  UploadCoefficientTextures(maps);
  veltrane::MarkStartupStep("coefficient upload");
}
