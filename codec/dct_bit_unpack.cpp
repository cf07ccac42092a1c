// DctImage::UnPackBit and DctImage::RecoverDCTCoeff: from the packed index stream to the
// coefficients, block by block.
//
// Value i of the stream has bits[i mod 64] bits, most significant first, with no padding
// anywhere. A value is read as the 64 bits that start at its first byte, shifted so that its
// first bit is on top; widths are at most 31, so its at most 7 + 31 bits are all inside.
#include <cstdint>
#include <cstring>

#include "codec/dct_image.h"
#include "common/fatal.h"

using veltrane::FatalExit;
using veltrane::HeapAlloc;
using veltrane::HeapPtr;

namespace {

[[noreturn]] void Fail(const char* message) {
  std::fputs(message, stderr);
  FatalExit(1);
}

inline uint64_t LoadBigEndian64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

// The width-bit value whose first bit is bit `shift` (0: the most significant) of v.
// Width 0 gives 0 without a shift by 64.
inline int32_t TakeBits(uint64_t v, unsigned shift, unsigned width) {
  return static_cast<int32_t>(((v << shift) >> 1) >> (63 - width));
}

// The width-bit value at bit position pos of the payload; bits past its end read as 0.
inline int32_t ReadBitsBounded(const unsigned char* data, size_t length, uint64_t pos, unsigned width) {
  if (width == 0) return 0;
  const uint64_t first = pos >> 3;
  uint64_t v = 0;
  for (uint64_t i = first; i < first + 8; ++i) v = (v << 8) | (i < length ? data[i] : 0u);
  return TakeBits(v, static_cast<unsigned>(pos & 7), width);
}

}  // namespace

HeapPtr<int32_t> DctImage::UnPackBit() const {
  if (totalbits % 8 != 0) std::fputs("[DctImage::UnPackBit]: Warning! total no of bits are not 8-multiple\n", stderr);
  const size_t count = static_cast<size_t>(padwidth) * static_cast<size_t>(padheight);
  HeapPtr<int32_t> index(HeapAlloc<int32_t>(count));
  if (!index) Fail("[DctImage::UnPackBit]: No memory for index\n");

  unsigned offset[64], byte_at[64], shift[64], width_of[64];
  unsigned at = 0;
  for (int k = 0; k < 64; ++k) {
    offset[k] = at;
    byte_at[k] = at >> 3;
    shift[k] = at & 7;
    width_of[k] = static_cast<unsigned>(bits[k]);
    at += width_of[k];
  }

  const size_t blocks = count / 64;
  const size_t length = packedlength > 0 ? static_cast<size_t>(packedlength) : 0;
  const unsigned char* data = packedbit;
  int32_t* out = index.get();
  size_t b = 0;
  if (totalbits % 8 == 0 && totalbits > 0) {
    // Blocks start on byte boundaries; those with 8 spare bytes behind them take the fast road.
    const size_t block_bytes = static_cast<size_t>(totalbits) / 8;
    const size_t fast_blocks = length >= block_bytes + 7 ? (length - 7) / block_bytes : 0;
    for (; b < blocks && b < fast_blocks; ++b, out += 64) {
      const unsigned char* block = data + b * block_bytes;
      for (int k = 0; k < 64; ++k) out[k] = TakeBits(LoadBigEndian64(block + byte_at[k]), shift[k], width_of[k]);
    }
  }
  for (; b < blocks; ++b, out += 64) {
    const uint64_t base = static_cast<uint64_t>(b) * static_cast<uint64_t>(totalbits);
    for (int k = 0; k < 64; ++k) out[k] = ReadBitsBounded(data, length, base + offset[k], width_of[k]);
  }
  return index;
}

HeapPtr<float> DctImage::RecoverDCTCoeff(const int32_t* index) const {
  const size_t count = static_cast<size_t>(padwidth) * static_cast<size_t>(padheight);
  HeapPtr<float> dctcoeff(HeapAlloc<float>(count));
  if (!dctcoeff) Fail("[DctImage::RecoverDCTCoeff]: No memory for dctcoeff\n");
  uint32_t mask[64];
  for (int k = 0; k < 64; ++k) mask[k] = (uint32_t{1} << bits[k]) - 1;  // indices never leave a codebook
  float* out = dctcoeff.get();
  for (size_t i = 0; i < count; i += 64) {
    for (int k = 0; k < 64; ++k) out[i + k] = codebook[k][static_cast<uint32_t>(index[i + k]) & mask[k]];
  }
  return dctcoeff;
}
