// The seven shader programs' sources, compiled into the tool from data/shaders/NAME.cg at build
// time (tools/bake/embed_shaders.cmake), so that the baker can write them without the source
// tree.
#pragma once

#include <cstddef>

namespace veltrane {

struct EmbeddedShader {
  const char* name;    // program name, e.g. "lightmap_relitdir16"
  const char* source;  // the file's bytes (size of them; not relied on to end in NUL); nullptr
                       // when the file was missing at build time
  size_t size;
};

extern const EmbeddedShader kEmbeddedShaders[];
extern const int kEmbeddedShaderCount;

// The named program's entry, or nullptr when there is none or its source was missing.
const EmbeddedShader* FindEmbeddedShader(const char* name);

}  // namespace veltrane
