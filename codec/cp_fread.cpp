#include <algorithm>
#include <cstdio>

#include "codec/deflate_container.h"
#include "common/fatal.h"

size_t cp_fread(void* buffer, size_t size, size_t count, FILE* stream) {
  if (size < 1) {
    std::fprintf(stderr, "[cp_fread]: fread size < 1\n");
    veltrane::FatalExit(1);
  }
  const size_t items = std::fread(buffer, size, count, stream);
  if (size > 1) {
    unsigned char* item = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < items; ++i, item += size) std::reverse(item, item + size);
  }
  return items;
}
