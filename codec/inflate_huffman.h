// Lookup tables for the Huffman codes of raw DEFLATE.
//
// A code is decoded by indexing its root table with the next root_bits bits of input (DEFLATE
// sends Huffman codes most significant bit first, so the table is indexed by the bit-reversed
// code). Codes longer than root_bits continue in a subtable that the root entry points to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrane {

// What an entry decodes to. The low four bits of op hold the count of extra bits (kOpBase) or
// the index width of the subtable (kOpSubtable).
enum : uint8_t {
  kOpLiteral = 0x00,   // value is the literal byte
  kOpBase = 0x10,      // value is the base of a match length or distance
  kOpEnd = 0x20,       // end of block
  kOpSubtable = 0x40,  // value is the subtable's offset in the same table
  kOpInvalid = 0x80,   // no code of the set starts with these bits
};

struct HuffmanEntry {
  uint16_t value;
  uint8_t bits;  // input bits this entry takes up at its level
  uint8_t op;
};

enum class CodeShape {
  kComplete,        // the lengths fill the code space (or form one single code of length 1)
  kEmpty,           // every length is zero
  kIncomplete,      // the lengths leave part of the code space unused
  kOversubscribed,  // the lengths need more than the code space
};

// Longest DEFLATE code, and room for the tables of the largest sets.
constexpr int kMaxCodeBits = 15;
constexpr int kLiteralRootBits = 10;
constexpr int kDistanceRootBits = 8;
constexpr int kCodeLengthRootBits = 7;
constexpr int kMaxRootBits = 10;
constexpr size_t kLiteralTableSize = (1u << kLiteralRootBits) + 288 * (1u << (kMaxCodeBits - kLiteralRootBits));
constexpr size_t kDistanceTableSize = (1u << kDistanceRootBits) + 32 * (1u << (kMaxCodeBits - kDistanceRootBits));
constexpr size_t kCodeLengthTableSize = 1u << kCodeLengthRootBits;

// Builds the table of the canonical code given by lengths[0 .. count) (each 0 .. 15), where
// symbol i decodes to symbols[i] (its bits field is filled in here). The table is filled only
// when the result is kComplete or kEmpty (then every entry is invalid); count <= 288 and
// root_bits <= kMaxRootBits.
CodeShape BuildHuffmanTable(const uint8_t* lengths, int count, const HuffmanEntry* symbols,
                            int root_bits, HuffmanEntry* table, size_t table_size);

}  // namespace veltrane
