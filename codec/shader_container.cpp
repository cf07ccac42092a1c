#include "codec/shader_container.h"

#include <cstdint>

#include "codec/deflate_container.h"
#include "common/fatal.h"

static_assert(kMaxShaderSourceBytes % kDeflateChunkWindow == 0,
              "the bounded reader sizes its buffer in whole windows, so the bound is one");

void ReadShaderContainer(FILE* stream, const char* name, unsigned char** buffer, int* length) {
  uint64_t declared = 0;
  if (!ReadDeflateZipBounded(stream, kMaxShaderSourceBytes, buffer, length, &declared)) {
    std::fprintf(stderr,
                 "[ExpandShader]: %s declares %llu bytes of shader source, more than the %zu a shader may "
                 "have\n",
                 name, static_cast<unsigned long long>(declared), kMaxShaderSourceBytes);
    veltrane::FatalExit(1);
  }
}
