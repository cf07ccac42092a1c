// Writing environment images: Radiance HDR (.hdr, through stb_image_write) and OpenEXR (.exr,
// half floats, ZIP compression), chosen by the name's ending. For made-up environments (the
// studio of the benchmarks and pictures) and the tests.
#pragma once

#include <string>

#include "relight/environment_image.h"

namespace veltrane {

// False when the name ends in neither .hdr nor .exr or the file cannot be written.
bool WriteEnvironmentFile(const std::string& path, const EnvironmentImage& image);

}  // namespace veltrane
