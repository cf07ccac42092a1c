// Environment images from files: Radiance RGBE (.hdr, through stb_image) and OpenEXR (.exr,
// through the OpenEXR library), told apart by their first bytes. The image is read as linear
// RGB in latitude-longitude layout and resampled on load to the size the SRBF weights are
// integrated at (relight/environment_weights.h), so a large photograph costs its decoding only.
//
// Bounded like the other readers: a header that declares more than the limits is refused before
// the pixels are allocated, a truncated or undecodable file is refused, and the message names
// the file. Broken pixels (a negative, non-finite or absurdly large value in any channel) are
// set to 0 and counted; the caller says so once.
#pragma once

#include <cstddef>
#include <string>

#include "relight/environment_image.h"

namespace veltrane {

struct EnvironmentFileLimits {
  long long max_side = 16384;               // width and height, pixels
  long long max_pixels = 8192LL * 4096LL;   // width x height
};

struct EnvironmentFileResult {
  EnvironmentImage image;    // at the weights' grid size
  int source_width = 0, source_height = 0;
  long long broken_pixels = 0;
  std::string format;        // "Radiance HDR" or "OpenEXR"
};

// Reads the file at path. False with a message naming the file in *why.
bool ReadEnvironmentFile(const std::string& path, EnvironmentFileResult* out, std::string* why,
                         const EnvironmentFileLimits& limits = EnvironmentFileLimits());

// The same for bytes in memory; name is used in the messages.
bool ReadEnvironmentBytes(const unsigned char* data, size_t size, const std::string& name, EnvironmentFileResult* out,
                          std::string* why, const EnvironmentFileLimits& limits = EnvironmentFileLimits());

// True when path ends in .hdr or .exr (any case): what the viewer takes from environment/.
bool IsEnvironmentFileName(const std::string& path);

}  // namespace veltrane
