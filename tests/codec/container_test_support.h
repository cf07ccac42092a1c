// Containers and hand-made DEFLATE streams for the container reader's tests, and a run of the
// reader with its messages, exit status and final stream position captured.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "codec/deflate_container.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {

using Bytes = std::vector<unsigned char>;

inline Bytes ZlibDeflate(const Bytes& data, int level = 9, int strategy = Z_DEFAULT_STRATEGY) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, -15, 9, strategy), Z_OK);
  Bytes out(deflateBound(&zs, data.size()));
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(out.size() - zs.avail_out);
  deflateEnd(&zs);
  return out;
}

// Stored chunk data: DEFLATE bytes, then CRC-32 and length of payload, little-endian.
inline Bytes WithTrailer(Bytes data, const Bytes& payload) {
  const uint32_t crc = static_cast<uint32_t>(crc32(0, payload.data(), static_cast<uInt>(payload.size())));
  for (uint32_t v : {crc, static_cast<uint32_t>(payload.size())}) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
  return data;
}

inline Bytes ZlibChunk(const Bytes& payload) { return WithTrailer(ZlibDeflate(payload), payload); }

inline void PutBigEndian(Bytes* file, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*file)[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// The container of chunks stored back to back, for a container at byte start of its file.
inline Bytes Container(const std::vector<Bytes>& chunks, uint32_t start = 0) {
  const size_t n = chunks.size();
  Bytes out(6 + 8 * n);
  out[0] = 'E';
  out[1] = 'Z';
  PutBigEndian(&out, 2, static_cast<uint32_t>(n));
  for (size_t i = 0; i < n; ++i) {
    PutBigEndian(&out, 6 + 4 * i, static_cast<uint32_t>(start + out.size()));
    PutBigEndian(&out, 6 + 4 * n + 4 * i, static_cast<uint32_t>(chunks[i].size()));
    out.insert(out.end(), chunks[i].begin(), chunks[i].end());
  }
  return out;
}

inline Bytes Payload(size_t size, unsigned seed, bool text = true) {
  static const char* const kWords[] = {"light ", "map ", "angel ", "glass ", "\n", "float4 "};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < size) {
    if (!text) {
      out.push_back(static_cast<unsigned char>(rng()));
      continue;
    }
    const std::string w = kWords[rng() % 6];
    out.insert(out.end(), w.begin(), w.end());
    if (rng() % 50 == 0) out.insert(out.end(), 300, static_cast<unsigned char>('a' + rng() % 26));
  }
  out.resize(size);
  return out;
}

inline Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct ReadOutcome {
  int status;  // FatalExit status, or FatalCatcher::kNoExit
  Bytes payload;
  std::string messages;  // standard error
  long position;         // of the stream afterwards
};

inline ReadOutcome ReadContainer(const Bytes& file, long start = 0) {
  FILE* f = std::tmpfile();
  std::fwrite(file.data(), 1, file.size(), f);
  std::fseek(f, start, SEEK_SET);
  ReadOutcome r{};
  unsigned char* buffer = nullptr;
  int length = -1;
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  r.status = catcher.Run([&] { ReadDeflateZip(f, &buffer, &length); });
  r.messages = testing::internal::GetCapturedStderr();
  r.position = std::ftell(f);
  if (r.status == FatalCatcher::kNoExit) {
    EXPECT_NE(buffer, nullptr);
    r.payload.assign(buffer, buffer + length);
  }
  std::free(buffer);
  std::fclose(f);
  return r;
}

// DEFLATE bits, least significant first; Code() sends a Huffman code most significant first.
class BitWriter {
 public:
  BitWriter& Bits(unsigned value, int count) {
    for (int i = 0; i < count; ++i, ++used_) {
      if (used_ % 8 == 0) out_.push_back(0);
      out_.back() |= static_cast<unsigned char>(((value >> i) & 1) << (used_ % 8));
    }
    return *this;
  }
  BitWriter& Code(unsigned code, int length) {
    for (int i = length - 1; i >= 0; --i) Bits(code >> i, 1);
    return *this;
  }
  const Bytes& bytes() const { return out_; }

 private:
  Bytes out_;
  int used_ = 0;
};

}  // namespace veltrane::test
