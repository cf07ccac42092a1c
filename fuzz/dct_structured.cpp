// Builds well-formed DCT image files from the fuzzer's bytes and decodes them, so that the
// decoder's edges are reached far more often than by mutating raw files:
// - sizes of up to 24 x 24 blocks with any crop, or, in window mode, a payload that is a whole
//   number of 32768-byte windows (1024 to 8192 blocks), the case where the container's buffer
//   ends with the payload's last byte;
// - widths 0 .. 31 with codebooks of the right sizes; codebooks of more than 2^16 entries in
//   all are written cut short, which the reader must refuse before allocating them;
// - a payload of exactly the bytes the header needs, one byte short or one byte over, taken from
//   the input, in chunks of a window or shorter.
// The outcome is checked: a file whose payload fits decodes, every index equals the one read bit
// by bit, and any other file ends in a fatal fault (unwound back here).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/container_writer.h"
#include "codec/dct_image.h"
#include "fuzz/fuzz_support.h"

using veltrane::fuzz::FatalUnwind;

namespace {

constexpr size_t kMaxCodebookEntries = size_t{1} << 16;

void AppendBigEndian32(std::vector<unsigned char>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(v >> shift));
}

uint32_t BitsAt(const std::vector<unsigned char>& data, size_t length, uint64_t pos, int width) {
  uint32_t v = 0;
  for (int i = 0; i < width; ++i, ++pos) {
    const unsigned bit = pos / 8 < length ? (data[pos / 8] >> (7 - pos % 8)) & 1 : 0;
    v = (v << 1) | bit;
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  veltrane::fuzz::PrepareHarness();
  veltrane::SetDctImageMaxPixels(int64_t{1} << 21);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool window_mode = in.ConsumeBool();
  const int delta = in.ConsumeIntegralInRange(-1, 1);
  int bits[64] = {};
  int block_cols, block_rows, width, height;
  if (window_mode) {
    // 64, 128 or 256 bits a block spread over the positions, at most 12 bits on one.
    const int block_bytes = 8 << in.ConsumeIntegralInRange(0, 2);
    const int windows = in.ConsumeIntegralInRange(1, 2);
    const int blocks = 32768 / block_bytes * windows;
    block_cols = 1 << in.ConsumeIntegralInRange(0, 10);
    if (block_cols > blocks) block_cols = blocks;
    block_rows = blocks / block_cols;
    int left = 8 * block_bytes;
    while (left > 0 && in.remaining_bytes() > 0) {
      const int k = in.ConsumeIntegralInRange(0, 63);
      const int add = std::min({left, 12 - bits[k], in.ConsumeIntegralInRange(1, 12)});
      if (add <= 0) continue;
      bits[k] += add;
      left -= add;
    }
    for (int k = 0; left > 0; k = (k + 1) % 64) {
      if (bits[k] < 12) {
        ++bits[k];
        --left;
      }
    }
    width = 8 * block_cols;
    height = 8 * block_rows;
  } else {
    block_cols = in.ConsumeIntegralInRange(0, 24);
    block_rows = in.ConsumeIntegralInRange(0, 24);
    width = block_cols > 0 ? 8 * block_cols - in.ConsumeIntegralInRange(0, 7) : 0;
    height = block_rows > 0 ? 8 * block_rows - in.ConsumeIntegralInRange(0, 7) : 0;
    for (int& b : bits) b = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 31) : 0;
  }
  size_t chunk_size = in.ConsumeBool() ? 32768 : in.ConsumeIntegralInRange<size_t>(1, 32768);
  const int level = in.ConsumeIntegralInRange(0, 1) * 6;

  // The header and the codebooks, cut short past kMaxCodebookEntries entries.
  const std::string lines = "DCT\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
  std::vector<unsigned char> file(lines.begin(), lines.end());
  for (int b : bits) AppendBigEndian32(&file, static_cast<uint32_t>(b));
  size_t entries = 0;
  int totalbits = 0;
  for (int b : bits) {
    entries += size_t{1} << b;
    totalbits += b;
  }
  const bool cut_short = entries > kMaxCodebookEntries;
  for (size_t i = 0; i < (cut_short ? kMaxCodebookEntries : entries); ++i) {
    AppendBigEndian32(&file, 0x3f800000u + static_cast<uint32_t>(i % 977) * 0x1000u);  // 1.0 and up
  }

  // The payload: the header's need, one byte less or one more, from the rest of the input.
  const size_t need = static_cast<size_t>(block_cols) * static_cast<size_t>(totalbits / 8) * block_rows;
  const size_t length = need == 0 && delta < 0 ? 0 : need + delta;
  const std::vector<unsigned char> source = in.ConsumeRemainingBytes<unsigned char>();
  std::vector<unsigned char> packed(length);
  for (size_t i = 0; i < length; ++i) packed[i] = source.empty() ? static_cast<unsigned char>(i) : source[i % source.size()];
  if (!cut_short) {
    veltrane::ContainerOptions options;
    options.chunk_size = std::max(chunk_size, (length + 511) / 512);  // at most 512 chunks
    options.chunk_size = std::min<size_t>(options.chunk_size, 32768);
    options.level = level;
    std::vector<unsigned char> container;
    if (!veltrane::EncodeDeflateContainer(packed.data(), packed.size(), static_cast<uint32_t>(file.size()), options,
                                          &container)) {
      std::abort();
    }
    file.insert(file.end(), container.begin(), container.end());
  }

  FILE* f = fmemopen(file.data(), file.size(), "rb");
  if (!f) return 0;
  const bool should_decode = !cut_short && length == need;
  bool decoded = false;
  float* plane = nullptr;
  try {
    DctImage image;
    image.Load(f);
    int w = -1, h = -1;
    image.Decode(&plane, &w, &h);
    if (w != width || h != height) std::abort();
    volatile float sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h); ++i) sum = sum + plane[i];

    const size_t blocks = static_cast<size_t>(block_cols) * block_rows;
    std::vector<int32_t> index(64 * blocks);
    image.UnPackBit(0, blocks, index.data());
    for (size_t b = 0; b < blocks; ++b) {
      uint64_t pos = b * static_cast<uint64_t>(totalbits);
      for (int k = 0; k < 64; pos += bits[k], ++k) {
        if (static_cast<uint32_t>(index[64 * b + k]) != BitsAt(packed, length, pos, bits[k])) std::abort();
      }
    }
    decoded = true;
  } catch (const FatalUnwind& e) {
    if (e.status != 1) std::abort();
  }
  std::fclose(f);
  std::free(plane);
  if (decoded != should_decode) std::abort();
  return 0;
}
