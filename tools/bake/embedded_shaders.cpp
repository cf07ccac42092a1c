#include "tools/bake/embedded_shaders.h"

#include <cstring>

namespace veltrane {

const EmbeddedShader* FindEmbeddedShader(const char* name) {
  for (int i = 0; i < kEmbeddedShaderCount; ++i) {
    if (std::strcmp(kEmbeddedShaders[i].name, name) == 0) {
      return kEmbeddedShaders[i].source != nullptr ? &kEmbeddedShaders[i] : nullptr;
    }
  }
  return nullptr;
}

}  // namespace veltrane
