// Where the tests find the source tree (the shader sources): $VELTRANE_SOURCE_DIR when set, so
// that test programs built on one machine run on another (scripts/gpu-check.sh), else the
// tree the program was built from.
#pragma once

#include <cstdlib>
#include <string>

namespace veltrane::test {

inline std::string SourceDir() {
  const char* dir = std::getenv("VELTRANE_SOURCE_DIR");
  return dir != nullptr && dir[0] != '\0' ? dir : VELTRANE_SOURCE_DIR;
}

}  // namespace veltrane::test
