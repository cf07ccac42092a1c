#include "codec/inflate_raw.h"

#include <cstdint>
#include <cstring>

#include "codec/inflate_huffman.h"

namespace veltrane {
namespace {

// Alphabets of RFC 1951 3.2.5: what each literal/length and distance symbol stands for.
const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                    33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                    1025, 1537, 2049, 3073, 4097, 6145,  8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Order in which a dynamic block sends the lengths of the code-length code (RFC 1951 3.2.7).
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr int kMaxLiteralCodes = 286;
constexpr int kMaxDistanceCodes = 30;
constexpr size_t kMaxMatch = 258;

// The decoding tables: process-wide, like the rest of the decoder's state.
struct SymbolSets {
  HuffmanEntry literal[288];
  HuffmanEntry distance[32];
  HuffmanEntry code_length[19];
};

const SymbolSets& Symbols() {
  static const SymbolSets sets = [] {
    SymbolSets s{};
    for (int i = 0; i < 256; ++i) s.literal[i] = {static_cast<uint16_t>(i), 0, kOpLiteral};
    s.literal[256] = {0, 0, kOpEnd};
    for (int i = 0; i < 29; ++i) {
      s.literal[257 + i] = {kLengthBase[i], 0, static_cast<uint8_t>(kOpBase | kLengthExtra[i])};
    }
    s.literal[286] = s.literal[287] = {0, 0, kOpInvalid};
    for (int i = 0; i < 30; ++i) {
      s.distance[i] = {kDistanceBase[i], 0, static_cast<uint8_t>(kOpBase | kDistanceExtra[i])};
    }
    s.distance[30] = s.distance[31] = {0, 0, kOpInvalid};
    for (int i = 0; i < 19; ++i) s.code_length[i] = {static_cast<uint16_t>(i), 0, kOpLiteral};
    return s;
  }();
  return sets;
}

HuffmanEntry g_literal_table[kLiteralTableSize];
HuffmanEntry g_distance_table[kDistanceTableSize];
HuffmanEntry g_code_length_table[kCodeLengthTableSize];

struct FixedTables {
  HuffmanEntry literal[kLiteralTableSize];
  HuffmanEntry distance[kDistanceTableSize];
};

// The fixed codes of RFC 1951 3.2.6, built on first use.
const FixedTables& Fixed() {
  static FixedTables* tables = [] {
    static FixedTables t;
    uint8_t lengths[288];
    for (int i = 0; i < 144; ++i) lengths[i] = 8;
    for (int i = 144; i < 256; ++i) lengths[i] = 9;
    for (int i = 256; i < 280; ++i) lengths[i] = 7;
    for (int i = 280; i < 288; ++i) lengths[i] = 8;
    BuildHuffmanTable(lengths, 288, Symbols().literal, kLiteralRootBits, t.literal, kLiteralTableSize);
    for (int i = 0; i < 32; ++i) lengths[i] = 5;
    BuildHuffmanTable(lengths, 32, Symbols().distance, kDistanceRootBits, t.distance, kDistanceTableSize);
    return &t;
  }();
  return *tables;
}

// Input bits, least significant first. Bits above count in bits are either zero or the true
// bits of the bytes at next, which have not been counted yet.
struct BitReader {
  const unsigned char* next;
  const unsigned char* end;
  uint64_t bits;
  unsigned count;
};

inline uint64_t Load64(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// At least 56 bits; needs 8 bytes of input left.
inline void RefillFast(BitReader& in) {
  in.bits |= Load64(in.next) << in.count;
  in.next += (63 - in.count) >> 3;
  in.count |= 56;
}

// Whole bytes, one at a time, up to at least 56 bits (never 64) or the end of the input.
inline void RefillSlow(BitReader& in) {
  while (in.count < 56 && in.next < in.end) {
    in.bits |= static_cast<uint64_t>(*in.next++) << in.count;
    in.count += 8;
  }
}

inline void Drop(BitReader& in, unsigned n) {
  in.bits >>= n;
  in.count -= n;
}

inline unsigned Peek(const BitReader& in, unsigned n) {
  return static_cast<unsigned>(in.bits & ((uint64_t{1} << n) - 1));
}

// Takes n bits (n <= 32); false when the input ends first.
inline bool Take(BitReader& in, unsigned n, unsigned* value) {
  RefillSlow(in);
  if (in.count < n) return false;
  *value = Peek(in, n);
  Drop(in, n);
  return true;
}

// Decodes one code with the input checked bit by bit; false when the input ends inside it.
// Padding bits above count are zero, so a code no longer than count is decoded correctly.
inline bool DecodeChecked(BitReader& in, const HuffmanEntry* table, unsigned root_bits,
                          HuffmanEntry* entry) {
  RefillSlow(in);
  HuffmanEntry e = table[Peek(in, root_bits)];
  if (e.op & kOpSubtable) {
    if (in.count < e.bits) return false;
    Drop(in, e.bits);
    e = table[e.value + Peek(in, e.op & 0x0f)];
  }
  if (in.count < e.bits) return false;
  Drop(in, e.bits);
  *entry = e;
  return true;
}

// Copies a match of length bytes from distance back, writing up to 15 bytes past its end.
inline unsigned char* CopyMatchFast(unsigned char* out, size_t distance, size_t length) {
  const unsigned char* from = out - distance;
  unsigned char* const stop = out + length;
  if (distance >= 16) {
    do {
      std::memcpy(out, from, 16);
      out += 16;
      from += 16;
    } while (out < stop);
  } else if (distance >= 8) {
    do {
      std::memcpy(out, from, 8);
      out += 8;
      from += 8;
    } while (out < stop);
  } else if (distance == 1) {
    std::memset(out, *from, length);
  } else {
    while (out < stop) *out++ = *from++;
  }
  return stop;
}

struct Decoder {
  BitReader in;
  unsigned char* out_begin;
  unsigned char* out;
  unsigned char* out_end;
};

// Room the fast loop needs: a longest match plus the overrun of its copy, and 8 input bytes
// for a refill that covers a whole length/distance pair (at most 48 bits).
constexpr size_t kFastOutputRoom = kMaxMatch + 16;
constexpr size_t kFastInputRoom = 8;

// One block's literal/length and distance codes, up to its end-of-block code.
InflateStatus DecodeCodes(Decoder& d, const HuffmanEntry* literal, const HuffmanEntry* distance) {
  BitReader in = d.in;
  unsigned char* out = d.out;
  InflateStatus status = InflateStatus::kDone;
  for (;;) {
    HuffmanEntry e;
    size_t length;
    size_t back;
    if (static_cast<size_t>(in.end - in.next) >= kFastInputRoom &&
        static_cast<size_t>(d.out_end - out) >= kFastOutputRoom) {
      RefillFast(in);
      e = literal[Peek(in, kLiteralRootBits)];
      if (e.op & kOpSubtable) {
        Drop(in, e.bits);
        e = literal[e.value + Peek(in, e.op & 0x0f)];
      }
      Drop(in, e.bits);
      if (e.op == kOpLiteral) {
        *out++ = static_cast<unsigned char>(e.value);
        continue;
      }
      if (!(e.op & kOpBase)) {
        status = e.op == kOpEnd ? InflateStatus::kDone : InflateStatus::kFormatViolated;
        break;
      }
      length = e.value + Peek(in, e.op & 0x0f);
      Drop(in, e.op & 0x0f);
      e = distance[Peek(in, kDistanceRootBits)];
      if (e.op & kOpSubtable) {
        Drop(in, e.bits);
        e = distance[e.value + Peek(in, e.op & 0x0f)];
      }
      Drop(in, e.bits);
      if (!(e.op & kOpBase)) {
        status = InflateStatus::kFormatViolated;
        break;
      }
      back = e.value + Peek(in, e.op & 0x0f);
      Drop(in, e.op & 0x0f);
      if (back > static_cast<size_t>(out - d.out_begin)) {
        status = InflateStatus::kFormatViolated;
        break;
      }
      out = CopyMatchFast(out, back, length);
      continue;
    }

    // Near the end of the input or of the output: every step checked.
    if (!DecodeChecked(in, literal, kLiteralRootBits, &e)) {
      status = InflateStatus::kEndOfInput;
      break;
    }
    if (e.op == kOpLiteral) {
      if (out == d.out_end) {
        status = InflateStatus::kOutputFull;
        break;
      }
      *out++ = static_cast<unsigned char>(e.value);
      continue;
    }
    if (!(e.op & kOpBase)) {
      status = e.op == kOpEnd ? InflateStatus::kDone : InflateStatus::kFormatViolated;
      break;
    }
    unsigned extra;
    if (!Take(in, e.op & 0x0f, &extra)) {
      status = InflateStatus::kEndOfInput;
      break;
    }
    length = e.value + extra;
    if (!DecodeChecked(in, distance, kDistanceRootBits, &e)) {
      status = InflateStatus::kEndOfInput;
      break;
    }
    if (!(e.op & kOpBase)) {
      status = InflateStatus::kFormatViolated;
      break;
    }
    if (!Take(in, e.op & 0x0f, &extra)) {
      status = InflateStatus::kEndOfInput;
      break;
    }
    back = e.value + extra;
    if (back > static_cast<size_t>(out - d.out_begin)) {
      status = InflateStatus::kFormatViolated;
      break;
    }
    const size_t room = static_cast<size_t>(d.out_end - out);
    const size_t fits = length < room ? length : room;
    for (size_t i = 0; i < fits; ++i, ++out) *out = *(out - back);
    if (fits < length) {
      status = InflateStatus::kOutputFull;
      break;
    }
  }
  d.in = in;
  d.out = out;
  return status;
}

InflateStatus DecodeStored(Decoder& d) {
  // Skip to the byte boundary and give the whole bytes still in the bit buffer back.
  BitReader& in = d.in;
  Drop(in, in.count & 7);
  in.next -= in.count >> 3;
  in.bits = 0;
  in.count = 0;
  if (in.end - in.next < 4) {
    in.next = in.end;
    return InflateStatus::kEndOfInput;
  }
  const unsigned length = in.next[0] | (in.next[1] << 8);
  const unsigned complement = in.next[2] | (in.next[3] << 8);
  in.next += 4;
  if (length != (~complement & 0xffffu)) return InflateStatus::kFormatViolated;

  const size_t available = static_cast<size_t>(in.end - in.next);
  const size_t room = static_cast<size_t>(d.out_end - d.out);
  size_t n = length;
  if (n > available) n = available;
  if (n > room) n = room;
  std::memcpy(d.out, in.next, n);
  d.out += n;
  in.next += n;
  if (n == length) return InflateStatus::kDone;
  return n == available ? InflateStatus::kEndOfInput : InflateStatus::kOutputFull;
}

// Reads a dynamic block's code descriptions (RFC 1951 3.2.7) and builds its tables.
InflateStatus ReadDynamicCodes(BitReader& in) {
  unsigned header;
  if (!Take(in, 14, &header)) return InflateStatus::kEndOfInput;
  const int literal_count = 257 + static_cast<int>(header & 0x1f);
  const int distance_count = 1 + static_cast<int>((header >> 5) & 0x1f);
  const int code_length_count = 4 + static_cast<int>(header >> 10);
  if (literal_count > kMaxLiteralCodes || distance_count > kMaxDistanceCodes) {
    return InflateStatus::kFormatViolated;
  }

  uint8_t lengths[kMaxLiteralCodes + kMaxDistanceCodes] = {};
  for (int i = 0; i < code_length_count; ++i) {
    unsigned length;
    if (!Take(in, 3, &length)) return InflateStatus::kEndOfInput;
    lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(length);
  }
  if (BuildHuffmanTable(lengths, 19, Symbols().code_length, kCodeLengthRootBits,
                        g_code_length_table, kCodeLengthTableSize) != CodeShape::kComplete) {
    return InflateStatus::kFormatViolated;
  }

  // The literal/length and distance code lengths, one sequence with run-length codes.
  const int total = literal_count + distance_count;
  for (int i = 0; i < total;) {
    HuffmanEntry e;
    if (!DecodeChecked(in, g_code_length_table, kCodeLengthRootBits, &e)) {
      return InflateStatus::kEndOfInput;
    }
    if (e.op != kOpLiteral) return InflateStatus::kFormatViolated;
    if (e.value < 16) {
      lengths[i++] = static_cast<uint8_t>(e.value);
      continue;
    }
    unsigned repeat;
    uint8_t value = 0;
    if (e.value == 16) {
      if (i == 0) return InflateStatus::kFormatViolated;
      value = lengths[i - 1];
      if (!Take(in, 2, &repeat)) return InflateStatus::kEndOfInput;
      repeat += 3;
    } else if (e.value == 17) {
      if (!Take(in, 3, &repeat)) return InflateStatus::kEndOfInput;
      repeat += 3;
    } else {
      if (!Take(in, 7, &repeat)) return InflateStatus::kEndOfInput;
      repeat += 11;
    }
    if (repeat > static_cast<unsigned>(total - i)) return InflateStatus::kFormatViolated;
    std::memset(lengths + i, value, repeat);
    i += static_cast<int>(repeat);
  }
  if (lengths[256] == 0) return InflateStatus::kFormatViolated;  // no end-of-block code

  switch (BuildHuffmanTable(lengths, literal_count, Symbols().literal, kLiteralRootBits,
                            g_literal_table, kLiteralTableSize)) {
    case CodeShape::kComplete:
      break;
    case CodeShape::kIncomplete:
      return InflateStatus::kIncompleteLiteralTree;
    default:
      return InflateStatus::kFormatViolated;
  }
  switch (BuildHuffmanTable(lengths + literal_count, distance_count, Symbols().distance,
                            kDistanceRootBits, g_distance_table, kDistanceTableSize)) {
    case CodeShape::kComplete:
    case CodeShape::kEmpty:  // a block of literals only
      return InflateStatus::kDone;
    case CodeShape::kIncomplete:
      return InflateStatus::kIncompleteDistanceTree;
    default:
      return InflateStatus::kFormatViolated;
  }
}

}  // namespace

InflateResult InflateRaw(const unsigned char* in, size_t in_size, unsigned char* out,
                         size_t out_limit) {
  Decoder d{{in, in + in_size, 0, 0}, out, out, out + out_limit};
  InflateStatus status = InflateStatus::kDone;
  bool last = false;
  while (status == InflateStatus::kDone && !last) {
    unsigned header;
    if (!Take(d.in, 3, &header)) {
      status = InflateStatus::kEndOfInput;
      break;
    }
    last = (header & 1) != 0;
    switch (header >> 1) {
      case 0:
        status = DecodeStored(d);
        break;
      case 1:
        status = DecodeCodes(d, Fixed().literal, Fixed().distance);
        break;
      case 2:
        status = ReadDynamicCodes(d.in);
        if (status == InflateStatus::kDone) status = DecodeCodes(d, g_literal_table, g_distance_table);
        break;
      default:
        status = InflateStatus::kFormatViolated;
        break;
    }
  }
  // Running out of input uses all of it; otherwise the whole bytes left in the bit buffer go
  // back to the input.
  const size_t consumed = status == InflateStatus::kEndOfInput
                              ? in_size
                              : static_cast<size_t>(d.in.next - in) - (d.in.count >> 3);
  return {status, static_cast<size_t>(d.out - out), consumed};
}

}  // namespace veltrane
