#include "codec/inflate_huffman.h"

namespace veltrane {
namespace {

constexpr HuffmanEntry kInvalidEntry = {0, 1, kOpInvalid};

unsigned ReverseBits(unsigned code, int length) {
  unsigned reversed = 0;
  for (int i = 0; i < length; ++i) {
    reversed = (reversed << 1) | (code & 1);
    code >>= 1;
  }
  return reversed;
}

void Fill(HuffmanEntry* table, size_t from, size_t to, size_t step, HuffmanEntry entry) {
  for (size_t i = from; i < to; i += step) table[i] = entry;
}

}  // namespace

CodeShape BuildHuffmanTable(const uint8_t* lengths, int count, const HuffmanEntry* symbols,
                            int root_bits, HuffmanEntry* table, size_t table_size) {
  const size_t root_size = size_t{1} << root_bits;
  if (count > 288 || root_bits > kMaxRootBits || root_size > table_size) {
    return CodeShape::kOversubscribed;
  }

  // How many codes of each length, and whether they fill the code space (RFC 1951 3.2.2).
  int length_count[kMaxCodeBits + 1] = {};
  for (int symbol = 0; symbol < count; ++symbol) length_count[lengths[symbol]]++;
  const int used = count - length_count[0];
  if (used == 0) {
    Fill(table, 0, root_size, 1, kInvalidEntry);
    return CodeShape::kEmpty;
  }
  int left = 1;
  for (int length = 1; length <= kMaxCodeBits; ++length) {
    left = (left << 1) - length_count[length];
    if (left < 0) return CodeShape::kOversubscribed;
  }
  const bool single_short_code = used == 1 && length_count[1] == 1;
  if (left > 0 && !single_short_code) return CodeShape::kIncomplete;

  // The first code of each length; codes of one length are consecutive in symbol order.
  unsigned next_code[kMaxCodeBits + 1] = {};
  unsigned code = 0;
  for (int length = 1; length <= kMaxCodeBits; ++length) {
    code = (code + (length == 1 ? 0 : length_count[length - 1])) << 1;
    next_code[length] = code;
  }
  unsigned reversed[288];
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol];
    if (length != 0) reversed[symbol] = ReverseBits(next_code[length]++, length);
  }

  // Root entries. A prefix shared by codes longer than the root gets a subtable wide enough
  // for the longest of them.
  Fill(table, 0, root_size, 1, kInvalidEntry);
  uint8_t subtable_bits[size_t{1} << kMaxRootBits] = {};
  const unsigned root_mask = static_cast<unsigned>(root_size - 1);
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol];
    if (length == 0) continue;
    if (length <= root_bits) {
      HuffmanEntry entry = symbols[symbol];
      entry.bits = static_cast<uint8_t>(length);
      Fill(table, reversed[symbol], root_size, size_t{1} << length, entry);
    } else {
      uint8_t& width = subtable_bits[reversed[symbol] & root_mask];
      if (length - root_bits > width) width = static_cast<uint8_t>(length - root_bits);
    }
  }
  size_t next_subtable = root_size;
  for (size_t prefix = 0; prefix < root_size; ++prefix) {
    const int width = subtable_bits[prefix];
    if (width == 0) continue;
    const size_t size = size_t{1} << width;
    if (next_subtable + size > table_size || next_subtable > 0xffff) {
      return CodeShape::kOversubscribed;
    }
    table[prefix] = {static_cast<uint16_t>(next_subtable), static_cast<uint8_t>(root_bits),
                     static_cast<uint8_t>(kOpSubtable | width)};
    Fill(table, next_subtable, next_subtable + size, 1, kInvalidEntry);
    next_subtable += size;
  }

  // Entries of the long codes inside their subtables.
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol];
    if (length <= root_bits) continue;
    const HuffmanEntry& root = table[reversed[symbol] & root_mask];
    const size_t size = size_t{1} << (root.op & 0x0f);
    HuffmanEntry entry = symbols[symbol];
    entry.bits = static_cast<uint8_t>(length - root_bits);
    Fill(table, root.value + (reversed[symbol] >> root_bits), root.value + size,
         size_t{1} << (length - root_bits), entry);
  }
  return CodeShape::kComplete;
}

}  // namespace veltrane
