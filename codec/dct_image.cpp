#include "codec/dct_image.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

// Large planes are written once from end to end; backing them with huge pages saves most of
// the page faults of a fresh buffer (a plane of 20 M samples takes about 19000 small pages).
void AdviseHugePages(void* buffer, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(buffer) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(buffer) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)buffer;
  (void)bytes;
#endif
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
  if (totalbits % 8 != 0) std::fputs("[DctImage::UnPackBit]: Warning! total no of bits are not 8-multiple\n", stderr);
  // An empty plane (a width or height of 0) has no blocks: no working arrays and no rows.
  const size_t row_blocks = padheight > 0 ? static_cast<size_t>(padwidth / 8) : 0;
  const int block_rows = padwidth > 0 ? padheight / 8 : 0;
  HeapPtr<int32_t> index(HeapAlloc<int32_t>(64 * row_blocks));
  if (!index) Fail("[DctImage::UnPackBit]: No memory for index\n");
  HeapPtr<float> dctcoeff(HeapAlloc<float>(64 * row_blocks));
  if (!dctcoeff) Fail("[DctImage::RecoverDCTCoeff]: No memory for dctcoeff\n");
  HeapPtr<float> fbuf(HeapAlloc<float>(static_cast<size_t>(padwidth) * static_cast<size_t>(padheight)));
  if (!fbuf) Fail("[DctImage::Decode]: No enough memory for fbuf\n");
  AdviseHugePages(fbuf.get(), sizeof(float) * static_cast<size_t>(padwidth) * static_cast<size_t>(padheight));

  float scale[64];
  veltrane::BuildDctScaleTable(scale);
  for (int by = 0; by < block_rows; ++by) {
    UnPackBit(static_cast<size_t>(by) * row_blocks, row_blocks, index.get());
    RecoverDCTCoeff(index.get(), row_blocks, dctcoeff.get());
    ReconstructBlockRow(dctcoeff.get(), scale, by, fbuf.get());
  }

  HeapPtr<float> result = aligned ? std::move(fbuf) : ImgDimAdjust(fbuf.get());
  *out = result.release();
  *out_width = width;
  *out_height = height;
}

void DctImage::ReconstructBlockRow(const float* dctcoeff, const float scale[64], int block_row, float* fbuf) const {
  const size_t stride = static_cast<size_t>(padwidth);
  float* row = fbuf + static_cast<size_t>(8 * block_row) * stride;
  for (int bx = 0; bx < padwidth / 8; ++bx, dctcoeff += 64) {
    veltrane::InverseDctScaledBlock(dctcoeff, scale, row + 8 * bx, stride);
  }
}

HeapPtr<float> DctImage::ImgDimAdjust(const float* fbuf) const {
  HeapPtr<float> result(HeapAlloc<float>(static_cast<size_t>(width) * static_cast<size_t>(height)));
  if (!result) Fail("[DctImage::ImgDimAdjust]: No memory for fbuf\n");
  AdviseHugePages(result.get(), sizeof(float) * static_cast<size_t>(width) * static_cast<size_t>(height));
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
