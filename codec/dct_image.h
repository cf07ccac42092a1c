// DctImage: decoder of the DCT image file, a lossy-compressed plane of one float channel.
//
// File layout: a text line starting "DCT"; a text line "width height"; 64 big-endian int32
// index widths bits[k], one per coefficient position k = 8v + u; for k = 0 .. 63 a codebook
// of 2^bits[k] big-endian floats; then a deflate container (codec/deflate_container.h, chunk
// offsets counted from byte 0 of this file) whose payload is the packed index stream: for
// every 8x8 block of the plane padded to multiples of 8, in raster order of blocks, the 64
// indices of its coefficients, bits[k] bits each, most significant bit first, no padding.
//
//   DctImage* image = new DctImage;
//   FILE* f = fopen(path, "rb");
//   image->Load(f);
//   float* plane; int w, h;
//   image->Decode(&plane, &w, &h);   // w x h floats, row-major; free(plane) when done
//   fclose(f);
//   delete image;
//
// Every fault is fatal: a message on standard error, then veltrane::FatalExit(1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "common/heap.h"

class DctImage {
 public:
  DctImage();
  ~DctImage();
  DctImage(const DctImage&) = delete;
  DctImage& operator=(const DctImage&) = delete;

  // Reads the file at the stream's position; the stream must be seekable. Leaves the stream
  // behind the container's last chunk. A second Load drops what the first one read.
  void Load(FILE* stream);
  // Decodes the plane afresh; hands over width x height floats (malloc'd) and the sizes of the
  // dimension line.
  void Decode(float** out, int* width, int* height);

  // Steps of Load and Decode. Decode works through the plane one row of blocks at a time,
  // with working arrays for one such row.
  void ReadDCTBits(FILE* stream);
  // The indices of blocks [first_block, first_block + count), 64 a block, into index.
  void UnPackBit(size_t first_block, size_t count, int32_t* index) const;
  // Their coefficients: dctcoeff[i] = codebook[i mod 64][index[i]].
  void RecoverDCTCoeff(const int32_t* index, size_t count, float* dctcoeff) const;
  // Row block_row of blocks of the padded plane fbuf from its coefficients and the prescale
  // table (veltrane::BuildDctScaleTable).
  void ReconstructBlockRow(const float* dctcoeff, const float scale[64], int block_row, float* fbuf) const;
  // The width x height plane cut out of the padded plane fbuf.
  veltrane::HeapPtr<float> ImgDimAdjust(const float* fbuf) const;
  // In-place inverse transform of 64 prescaled coefficients (position 8v + u) into samples
  // (8y + x).
  static void InverseDCTBlock(float block[64]);

  int width;
  int height;
  int padwidth;
  int padheight;
  bool aligned;
  bool ready;
  int bits[64];
  int totalbits;
  float** codebook;
  unsigned char* packedbit;
  int packedlength;

 private:
  void Release();
};

namespace veltrane {

constexpr int64_t kDctImageDefaultMaxPixels = int64_t{1} << 28;

// Largest padded plane, in pixels, that DctImage accepts; larger dimension lines are refused
// before anything is allocated. Returns the previous limit.
int64_t SetDctImageMaxPixels(int64_t max_pixels);

// The dimension line of a DctImage file at the stream's position, read without reading the
// rest: false, with nothing reported, when the file does not start like one (Load then says
// what is wrong with it).
bool ReadDctImageDimensions(FILE* stream, long* width, long* height);

}  // namespace veltrane
