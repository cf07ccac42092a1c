// DctImage::UnPackBit and DctImage::RecoverDCTCoeff: from the packed index stream to the
// coefficients of a run of blocks.
//
// Value i of the stream has bits[i mod 64] bits, most significant first, with no padding
// anywhere. A value is taken from the 64 bits that start at its first byte: widths are at most
// 31, so its at most 7 + 31 bits all lie inside.
#include <cstdint>
#include <cstring>

#include "codec/dct_image.h"

namespace {

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

void DctImage::UnPackBit(size_t first_block, size_t count, int32_t* index) const {
  // Value k of a block: its first bit lies `offset` bits into the block, in the byte
  // offset / 8; the 64 bits read there are shifted right by `down` and masked.
  struct Field {
    uint32_t byte;
    uint32_t down;
    uint64_t mask;
  };
  Field field[64];
  unsigned offset[64];
  unsigned at = 0;
  uint32_t last_load = 0;  // the highest byte of a block that a load starts at
  for (int k = 0; k < 64; ++k) {
    const unsigned width_k = static_cast<unsigned>(bits[k]);
    offset[k] = at;
    // A value of width 0 takes no bits: it loads from the block's first byte and masks all of
    // it away, so that trailing zero widths do not reach past the block's last byte.
    field[k].byte = width_k == 0 ? 0 : at >> 3;
    field[k].down = width_k == 0 ? 0 : 64 - (at & 7) - width_k;
    field[k].mask = (uint64_t{1} << width_k) - 1;
    if (field[k].byte > last_load) last_load = field[k].byte;
    at += width_k;
  }

  const size_t length = packedlength > 0 ? static_cast<size_t>(packedlength) : 0;
  const unsigned char* data = packedbit;
  size_t b = first_block;
  const size_t end = first_block + count;
  if (totalbits % 8 == 0 && totalbits > 0) {
    // Blocks start on byte boundaries. Block b takes the fast road when its last 8-byte load,
    // [b * block_bytes + last_load, + 8), lies inside the payload.
    const size_t block_bytes = static_cast<size_t>(totalbits) / 8;
    const size_t reach = size_t{last_load} + 8;
    const size_t fast_end = length >= reach ? (length - reach) / block_bytes + 1 : 0;
    for (; b < end && b < fast_end; ++b, index += 64) {
      const unsigned char* block = data + b * block_bytes;
      for (int k = 0; k < 64; ++k) {
        index[k] = static_cast<int32_t>((LoadBigEndian64(block + field[k].byte) >> field[k].down) & field[k].mask);
      }
    }
  }
  for (; b < end; ++b, index += 64) {
    const uint64_t base = static_cast<uint64_t>(b) * static_cast<uint64_t>(totalbits);
    for (int k = 0; k < 64; ++k) index[k] = ReadBitsBounded(data, length, base + offset[k], static_cast<unsigned>(bits[k]));
  }
}

void DctImage::RecoverDCTCoeff(const int32_t* index, size_t count, float* dctcoeff) const {
  uint32_t mask[64];
  for (int k = 0; k < 64; ++k) mask[k] = (uint32_t{1} << bits[k]) - 1;  // indices never leave a codebook
  for (size_t b = 0; b < count; ++b, index += 64, dctcoeff += 64) {
    for (int k = 0; k < 64; ++k) dctcoeff[k] = codebook[k][static_cast<uint32_t>(index[k]) & mask[k]];
  }
}
