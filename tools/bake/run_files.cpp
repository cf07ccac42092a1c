#include "tools/bake/run_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace veltrane {

bool MakeDirectories(const std::string& path) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    struct stat info;
    if (stat(part.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
      }
      continue;
    }
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  return (std::fclose(f) == 0) && written;
}

bool WriteFloatsLittleEndian(const std::string& path, const float* values, size_t count) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::vector<unsigned char> block;
  bool written = true;
  constexpr size_t kBlock = 1 << 16;
  for (size_t first = 0; first < count && written; first += kBlock) {
    const size_t n = count - first < kBlock ? count - first : kBlock;
    block.resize(4 * n);
    for (size_t i = 0; i < n; ++i) {
      uint32_t bits;
      std::memcpy(&bits, &values[first + i], 4);
      for (int b = 0; b < 4; ++b) block[4 * i + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    written = std::fwrite(block.data(), 1, block.size(), f) == block.size();
  }
  return (std::fclose(f) == 0) && written;
}

}  // namespace veltrane
