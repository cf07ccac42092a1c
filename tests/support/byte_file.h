// The bytes of a file built in memory, as an open temporary stream at its start, for the
// readers that take a FILE*. The caller closes it.
#pragma once

#include <cstdio>
#include <vector>

namespace veltrane::test {

inline FILE* OpenBytes(const std::vector<unsigned char>& bytes) {
  FILE* f = std::tmpfile();
  if (f == nullptr) return nullptr;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

}  // namespace veltrane::test
