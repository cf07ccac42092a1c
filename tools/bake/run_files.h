// Writing the run directory's files.
#pragma once

#include <cstddef>
#include <string>

namespace veltrane {

// Creates path and its missing parents; false (errno set) when a component cannot be made or
// exists as something other than a directory.
bool MakeDirectories(const std::string& path);

// Writes size bytes to path (created or truncated); false when any step fails.
bool WriteFileBytes(const std::string& path, const void* data, size_t size);

// Writes count floats as little-endian IEEE single-precision values.
bool WriteFloatsLittleEndian(const std::string& path, const float* values, size_t count);

}  // namespace veltrane
