// A minimal PNG writer: 8-bit RGB, one IDAT chunk compressed with zlib, no filtering.
#pragma once

#include <string>
#include <vector>

namespace veltrane {

// The PNG file for width x height pixels of RGB bytes, rows top first.
bool EncodePng(int width, int height, const unsigned char* rgb, std::vector<unsigned char>* out);

// Encodes and writes the file; false when encoding or writing fails.
bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb);

}  // namespace veltrane
