#include "codec/dct_image.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "codec/dct_transform.h"
#include "common/fatal.h"

using veltrane::FatalExit;
using veltrane::HeapAlloc;
using veltrane::HeapPtr;

namespace {

[[noreturn]] void Fail(const char* message) {
  std::fputs(message, stderr);
  FatalExit(1);
}

}  // namespace

DctImage::DctImage()
    : width(-1),
      height(-1),
      padwidth(-1),
      padheight(-1),
      aligned(true),
      ready(false),
      bits{},
      totalbits(0),
      codebook(nullptr),
      packedbit(nullptr),
      packedlength(0) {}

DctImage::~DctImage() { Release(); }

void DctImage::Release() {
  if (codebook) {
    for (int k = 0; k < 64; ++k) std::free(codebook[k]);
    std::free(codebook);
    codebook = nullptr;
  }
  std::free(packedbit);
  packedbit = nullptr;
}

void DctImage::Load(FILE* stream) {
  if (ready || codebook || packedbit) {
    Release();
    width = height = padwidth = padheight = -1;
    aligned = true;
    ready = false;
    std::memset(bits, 0, sizeof bits);
    totalbits = 0;
    packedlength = 0;
  }
  ReadDCTBits(stream);
  if (width != padwidth || height != padheight) aligned = false;
  ready = true;
}

void DctImage::Decode(float** out, int* out_width, int* out_height) {
  if (!ready) Fail("[DctImage::Decode]: No compressed data ready to decode\n");
  HeapPtr<float> dctcoeff;
  {
    HeapPtr<int32_t> index = UnPackBit();
    dctcoeff = RecoverDCTCoeff(index.get());
  }
  HeapPtr<float> fbuf(HeapAlloc<float>(static_cast<size_t>(padwidth) * static_cast<size_t>(padheight)));
  if (!fbuf) Fail("[DctImage::Decode]: No enough memory for fbuf\n");
  ReconstructBlocks(dctcoeff.get(), fbuf.get());
  dctcoeff.reset();

  HeapPtr<float> result = aligned ? std::move(fbuf) : ImgDimAdjust(fbuf.get());
  *out = result.release();
  *out_width = width;
  *out_height = height;
}

void DctImage::ReconstructBlocks(const float* dctcoeff, float* fbuf) const {
  float scale[64];
  veltrane::BuildDctScaleTable(scale);
  const size_t stride = static_cast<size_t>(padwidth);
  const int block_cols = padwidth / 8;
  const int block_rows = padheight / 8;
  for (int by = 0; by < block_rows; ++by) {
    float* block_row = fbuf + static_cast<size_t>(8 * by) * stride;
    for (int bx = 0; bx < block_cols; ++bx, dctcoeff += 64) {
      veltrane::InverseDctScaledBlock(dctcoeff, scale, block_row + 8 * bx, stride);
    }
  }
}

HeapPtr<float> DctImage::ImgDimAdjust(const float* fbuf) const {
  HeapPtr<float> result(HeapAlloc<float>(static_cast<size_t>(width) * static_cast<size_t>(height)));
  if (!result) Fail("[DctImage::ImgDimAdjust]: No memory for fbuf\n");
  if (width % 8 != 0) {
    for (int y = 0; y < height; ++y) {
      std::memcpy(result.get() + static_cast<size_t>(y) * width, fbuf + static_cast<size_t>(y) * padwidth,
                  sizeof(float) * width);
    }
  } else {  // whole rows: the first width x height floats in one piece
    std::memcpy(result.get(), fbuf, sizeof(float) * width * static_cast<size_t>(height));
  }
  return result;
}
