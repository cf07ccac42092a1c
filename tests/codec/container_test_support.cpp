#include "codec/container_test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "codec/container_writer.h"
#include "codec/deflate_container.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {

Bytes ZlibDeflate(const Bytes& data, int level, int strategy) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, -15, 9, strategy), Z_OK);
  Bytes out(deflateBound(&zs, data.size()) + 16);
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(out.size() - zs.avail_out);
  deflateEnd(&zs);
  return out;
}

Bytes WithTrailer(const Bytes& deflate_data, const Bytes& payload) {
  Bytes out = deflate_data;
  const uint32_t crc = static_cast<uint32_t>(crc32(0, payload.data(), static_cast<uInt>(payload.size())));
  const uint32_t size = static_cast<uint32_t>(payload.size());
  for (uint32_t v : {crc, size}) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
  return out;
}

Bytes Container(const std::vector<Bytes>& chunks, uint32_t start) {
  Bytes out = {'E', 'Z'};
  auto put = [&out](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
  };
  put(static_cast<uint32_t>(chunks.size()));
  uint32_t at = start + 6 + 8 * static_cast<uint32_t>(chunks.size());
  for (const Bytes& c : chunks) {
    put(at);
    at += static_cast<uint32_t>(c.size());
  }
  for (const Bytes& c : chunks) put(static_cast<uint32_t>(c.size()));
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

ReadOutcome ReadContainer(const Bytes& file, long start) {
  FILE* f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  std::fwrite(file.data(), 1, file.size(), f);
  std::fseek(f, start, SEEK_SET);
  ReadOutcome outcome{};
  unsigned char* buffer = nullptr;
  int length = -1;
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  outcome.status = catcher.Run([&] { ReadDeflateZip(f, &buffer, &length); });
  outcome.messages = testing::internal::GetCapturedStderr();
  outcome.position = std::ftell(f);
  if (outcome.status == FatalCatcher::kNoExit) {
    EXPECT_NE(buffer, nullptr);
    EXPECT_GE(length, 0);
    outcome.payload.assign(buffer, buffer + length);
  }
  std::free(buffer);
  std::fclose(f);
  return outcome;
}

void BitWriter::Bits(unsigned value, int count) {
  pending_ |= static_cast<uint64_t>(value) << count_;
  count_ += count;
  while (count_ >= 8) {
    out_.push_back(static_cast<unsigned char>(pending_));
    pending_ >>= 8;
    count_ -= 8;
  }
}

void BitWriter::Code(unsigned code, int length) {
  for (int i = length - 1; i >= 0; --i) Bits((code >> i) & 1, 1);
}

Bytes BitWriter::Finish() {
  if (count_ > 0) Bits(0, 8 - count_);
  return out_;
}

Bytes PatternPayload(size_t size, unsigned seed) {
  static const char* const kWords[] = {"light ", "map ", "angel ", "table ", "glass ", "wood ",
                                       "kernel ", "centre ", "\n", "float4 ", "return ", "{ }"};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < size) {
    const char* w = kWords[rng() % 12];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    if (rng() % 50 == 0) out.insert(out.end(), 300, static_cast<unsigned char>('a' + rng() % 26));
  }
  out.resize(size);
  return out;
}

Bytes RandomPayload(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<unsigned char>(rng());
  return out;
}

}  // namespace veltrane::test
