// Putting a DCT image file together from its parts (see codec/dct_image.h for the layout).
#pragma once

#include <string>
#include <vector>

namespace veltrane {

// The file for a width x height plane: "DCT\n", "width height\n", the 64 widths, codebook k of
// 2^bits[k] floats for each k, then the packed index stream in a deflate container whose
// chunk offsets count from byte 0 of the file. Returns false (out left empty) when a width is
// outside 0 .. 31 or a codebook has the wrong size.
bool AssembleDctImageFile(int width, int height, const int bits[64], const std::vector<float> codebooks[64],
                          const std::vector<unsigned char>& packed, std::vector<unsigned char>* out);

// The same with both header lines given as they stand (each with its line feed), for files
// made by hand.
bool AssembleDctImageFileWithLines(const std::string& signature_line, const std::string& dimension_line,
                                   const int bits[64], const std::vector<float> codebooks[64],
                                   const std::vector<unsigned char>& packed, std::vector<unsigned char>* out);

}  // namespace veltrane
