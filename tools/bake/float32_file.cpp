#include "tools/bake/float32_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

uint32_t FromLittleEndian(const unsigned char* b) {
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

}  // namespace

bool ReadFloat32File(const char* path, std::vector<float>* values, size_t* byte_count) {
  values->clear();
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::vector<unsigned char> bytes;
  unsigned char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return false;
  *byte_count = bytes.size();
  values->resize(bytes.size() / 4);
  for (size_t i = 0; i < values->size(); ++i) {
    const uint32_t word = FromLittleEndian(&bytes[4 * i]);
    std::memcpy(&(*values)[i], &word, 4);
  }
  return true;
}

bool WriteFloat32File(const char* path, const float* values, size_t count) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = true;
  unsigned char buffer[4096];
  for (size_t i = 0; i < count && ok;) {
    size_t n = 0;
    for (; n < sizeof buffer / 4 && i < count; ++n, ++i) {
      uint32_t word;
      std::memcpy(&word, &values[i], 4);
      for (int j = 0; j < 4; ++j) buffer[4 * n + j] = static_cast<unsigned char>(word >> (8 * j));
    }
    ok = std::fwrite(buffer, 4, n, f) == n;
  }
  return std::fclose(f) == 0 && ok;
}
