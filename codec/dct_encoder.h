// Compressing one float plane into a DCT image file: the plane is padded to whole 8x8
// blocks by repeating its last column and row, each block is transformed with the 8x8
// forward DCT scaled so that DctImage::Decode inverts it, each of the 64 coefficient
// positions gets an index width under a bit budget and a scalar codebook of its own
// (1-D k-means), and the packed indices go into a deflate container.
#pragma once

#include <cstddef>
#include <vector>

namespace veltrane {

struct DctEncodeOptions {
  // Budget: totalbits (index bits per block) is about 64 * bits_per_pixel, rounded to a
  // multiple of 8. 0 .. 16.
  double bits_per_pixel = 1.0;
  // Worker threads; 0: one per core.
  int threads = 0;
};

struct DctEncodeStats {
  double rms_error;      // of the decoded plane against the input, over width x height samples
  double max_abs_error;
  int totalbits;         // index bits per block
  size_t file_bytes;
};

// Encodes the width x height plane (row-major, top row first) into *file_bytes, a complete
// DCT image file. Returns false (and leaves *file_bytes empty) when the sizes are not
// positive or too large, the options are out of range, or a value is not finite.
bool EncodeDctImage(const float* plane, int width, int height, const DctEncodeOptions& options,
                    std::vector<unsigned char>* file_bytes, DctEncodeStats* stats = nullptr);

}  // namespace veltrane
