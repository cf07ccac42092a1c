// Hostile and edge-sized inputs: the fast paths stop at the last byte of their buffers (the
// buffers end at an inaccessible page here, so a stray byte faults in any build), the container
// reader never sizes its output beyond what the caller needs, and a dimension line is checked
// before anything is sized from it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/dct_file_writer.h"
#include "codec/dct_image.h"
#include "codec/dct_transform.h"
#include "codec/inflate_raw.h"
#include "container_test_support.h"
#include "support/guarded_buffer.h"
#include "support/byte_file.h"

namespace {

using veltrane::InflateRaw;
using veltrane::InflateStatus;
using veltrane::test::Bytes;
using veltrane::test::FatalCatcher;
using veltrane::test::GuardedBuffer;
using veltrane::test::OpenBytes;

// Index i of a packed stream read bit by bit; bits at or past length read as 0.
uint32_t BitsAt(const unsigned char* data, size_t length, uint64_t pos, int width) {
  uint32_t v = 0;
  for (int i = 0; i < width; ++i, ++pos) {
    const unsigned bit = pos / 8 < length ? (data[pos / 8] >> (7 - pos % 8)) & 1 : 0;
    v = (v << 1) | bit;
  }
  return v;
}

// Unpacks `blocks` blocks of a payload of `length` bytes that ends at a guard page.
void ExpectUnpackInsidePayload(const int (&bits)[64], size_t blocks, size_t length, const char* what) {
  int totalbits = 0;
  for (int b : bits) totalbits += b;
  GuardedBuffer payload(length);
  std::mt19937 rng(static_cast<unsigned>(length));
  for (size_t i = 0; i < length; ++i) payload.data()[i] = static_cast<unsigned char>(rng());

  DctImage image;
  std::memcpy(image.bits, bits, sizeof bits);
  image.totalbits = totalbits;
  image.packedbit = payload.data();
  image.packedlength = static_cast<int>(length);
  std::vector<int32_t> index(64 * blocks);
  image.UnPackBit(0, blocks, index.data());
  image.packedbit = nullptr;  // not the image's to free

  for (size_t b = 0; b < blocks; ++b) {
    uint64_t pos = b * static_cast<uint64_t>(totalbits);
    for (int k = 0; k < 64; pos += bits[k], ++k) {
      ASSERT_EQ(static_cast<uint32_t>(index[64 * b + k]), BitsAt(payload.data(), length, pos, bits[k]))
          << what << ": block " << b << ", position " << k;
    }
  }
}

TEST(PayloadEnd, UnpackReadsNothingPastThePayload) {
  // Trailing zero widths put the last value's byte at the block's end; a full 8-bit value;
  // widths crossing bytes with no zero width; leading zeros and a 31-bit value at the end.
  int trailing_zeros[64] = {8};
  int full_bytes[64];
  int four_six[64];
  int wide_last[64] = {};
  for (int k = 0; k < 64; ++k) {
    full_bytes[k] = 8;
    four_six[k] = k % 2 ? 6 : 4;
  }
  wide_last[62] = 1;
  wide_last[63] = 31;
  const struct {
    const char* name;
    const int (&bits)[64];
    size_t blocks;
  } layouts[] = {{"{8, 0, ...}", trailing_zeros, 32768},
                 {"all 8", full_bytes, 64},
                 {"4 and 6", four_six, 100},
                 {"{0, ..., 1, 31}", wide_last, 1000}};
  for (const auto& l : layouts) {
    int totalbits = 0;
    for (int b : l.bits) totalbits += b;
    const size_t need = l.blocks * static_cast<size_t>(totalbits) / 8;
    ExpectUnpackInsidePayload(l.bits, l.blocks, need, l.name);      // exactly full
    ExpectUnpackInsidePayload(l.bits, l.blocks, need - 1, l.name);  // one byte short: reads as 0
  }
}

// The file of 2048 x 1024 with widths {8, 0, ..., 0} whose 32768-byte payload fills the
// container's one window exactly; each block is flat at its DC value / 8.
TEST(PayloadEnd, WindowExactFileDecodes) {
  std::mt19937 rng(3);
  int bits[64] = {8};
  std::vector<float> books[64];
  for (auto& book : books) book.assign(1, 0.0f);
  books[0].resize(256);
  for (size_t i = 0; i < 256; ++i) books[0][i] = static_cast<float>(i) * 8.0f;
  std::vector<unsigned char> packed(32768);
  for (auto& byte : packed) byte = static_cast<unsigned char>(rng());
  std::vector<unsigned char> file;
  ASSERT_TRUE(veltrane::AssembleDctImageFile(2048, 1024, bits, books, packed, &file));

  FILE* f = OpenBytes(file);
  DctImage image;
  image.Load(f);
  std::fclose(f);
  ASSERT_EQ(image.packedlength, 32768);
  float* plane = nullptr;
  int w = 0, h = 0;
  image.Decode(&plane, &w, &h);
  ASSERT_EQ(w, 2048);
  ASSERT_EQ(h, 1024);
  for (size_t b = 0; b < packed.size(); ++b) {
    const size_t x = b % 256 * 8 + 7, y = b / 256 * 8 + 7;  // the block's last sample
    ASSERT_NEAR(plane[y * 2048 + x], packed[b], 1e-3) << "block " << b;
  }
  std::free(plane);
}

// Raw DEFLATE of payload, in a buffer that ends where the stream does.
struct GuardedStream {
  explicit GuardedStream(const Bytes& deflated, size_t keep) : buffer(keep) {
    std::memcpy(buffer.data(), deflated.data(), keep);
  }
  GuardedBuffer buffer;
};

TEST(PayloadEnd, InflateStopsAtTheEndOfItsInputAndOutput) {
  const Bytes text = veltrane::test::Payload(32768, 4);
  const Bytes noise = veltrane::test::Payload(5000, 5, false);
  const struct {
    const char* name;
    Bytes payload;
    int level, strategy;
  } cases[] = {{"dynamic", text, 9, Z_DEFAULT_STRATEGY}, {"fixed", text, 9, Z_FIXED},
               {"rle", text, 9, Z_RLE},                  {"stored", noise, 0, Z_DEFAULT_STRATEGY},
               {"huffman only", noise, 9, Z_HUFFMAN_ONLY}};
  for (const auto& c : cases) {
    const Bytes deflated = veltrane::test::ZlibDeflate(c.payload, c.level, c.strategy);
    const size_t size = c.payload.size();
    {  // exactly full: input and output end at their guard pages
      GuardedStream in(deflated, deflated.size());
      GuardedBuffer out(size);
      const auto r = InflateRaw(in.buffer.data(), deflated.size(), out.data(), size);
      EXPECT_EQ(r.status, InflateStatus::kDone) << c.name;
      EXPECT_EQ(r.produced, size) << c.name;
      EXPECT_EQ(r.consumed, deflated.size()) << c.name;
      EXPECT_EQ(0, std::memcmp(out.data(), c.payload.data(), size)) << c.name;
    }
    {  // output one byte short
      GuardedStream in(deflated, deflated.size());
      GuardedBuffer out(size - 1);
      const auto r = InflateRaw(in.buffer.data(), deflated.size(), out.data(), size - 1);
      EXPECT_EQ(r.status, InflateStatus::kOutputFull) << c.name;
      EXPECT_EQ(r.produced, size - 1) << c.name;
      EXPECT_EQ(0, std::memcmp(out.data(), c.payload.data(), size - 1)) << c.name;
    }
    {  // input one byte short
      GuardedStream in(deflated, deflated.size() - 1);
      GuardedBuffer out(size);
      const auto r = InflateRaw(in.buffer.data(), deflated.size() - 1, out.data(), size);
      EXPECT_EQ(r.status, InflateStatus::kEndOfInput) << c.name;
      EXPECT_LE(r.produced, size) << c.name;
    }
  }
}

TEST(PayloadEnd, InverseTransformWritesTheLastRowOfBlocksInsideThePlane) {
  // A 24 x 16 plane ending at a guard page; its last row of blocks from coefficients that do too.
  const int padwidth = 24, padheight = 16, row_blocks = padwidth / 8;
  GuardedBuffer plane(sizeof(float) * padwidth * padheight);
  GuardedBuffer coeff(sizeof(float) * 64 * row_blocks);
  float* fbuf = reinterpret_cast<float*>(plane.data());
  float* c = reinterpret_cast<float*>(coeff.data());
  std::mt19937 rng(8);
  std::uniform_real_distribution<float> value(-50.0f, 50.0f);
  for (int i = 0; i < 64 * row_blocks; ++i) c[i] = value(rng);
  DctImage image;
  image.width = image.padwidth = padwidth;
  image.height = image.padheight = padheight;
  float scale[64];
  veltrane::BuildDctScaleTable(scale);
  image.ReconstructBlockRow(c, scale, padheight / 8 - 1, fbuf);

  for (int bx = 0; bx < row_blocks; ++bx) {
    float block[64];
    for (int i = 0; i < 64; ++i) block[i] = c[64 * bx + i] * scale[i];
    DctImage::InverseDCTBlock(block);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        ASSERT_EQ(fbuf[(8 + y) * padwidth + 8 * bx + x], block[8 * y + x]) << bx << ": " << x << "," << y;
      }
    }
  }
}

// --- The container never grows past what its caller needs ---------------------------------

struct BoundedOutcome {
  int status;
  bool taken;
  uint64_t declared;
  Bytes payload;
  std::string messages;
};

BoundedOutcome ReadBounded(const Bytes& file, size_t max_bytes) {
  FILE* f = OpenBytes(file);
  BoundedOutcome r{};
  unsigned char* buffer = nullptr;
  int length = -1;
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  r.status = catcher.Run([&] { r.taken = ReadDeflateZipBounded(f, max_bytes, &buffer, &length, &r.declared); });
  r.messages = testing::internal::GetCapturedStderr();
  if (r.taken) r.payload.assign(buffer, buffer + length);
  EXPECT_EQ(r.taken, buffer != nullptr);
  std::free(buffer);
  std::fclose(f);
  return r;
}

// A container of count table entries that all point at the one stored chunk.
Bytes RepeatedChunk(const Bytes& chunk, uint32_t count, uint32_t start = 0) {
  Bytes file = veltrane::test::Container({chunk}, start);
  file.resize(6);
  veltrane::test::PutBigEndian(&file, 2, count);
  file.resize(6 + 8 * size_t{count});
  const uint32_t at = start + static_cast<uint32_t>(file.size());
  for (uint32_t i = 0; i < count; ++i) {
    veltrane::test::PutBigEndian(&file, 6 + 4 * i, at);
    veltrane::test::PutBigEndian(&file, 6 + 4 * size_t{count} + 4 * i, static_cast<uint32_t>(chunk.size()));
  }
  file.insert(file.end(), chunk.begin(), chunk.end());
  return file;
}

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(ContainerBound, OutputIsSizedByTheNeedAndLargerDeclarationsAreRefused) {
  using veltrane::test::ZlibChunk;
  const Bytes a = veltrane::test::Payload(32768, 1), b = veltrane::test::Payload(32768, 2);
  const Bytes c = veltrane::test::Payload(100, 3);
  const Bytes three = veltrane::test::Container({ZlibChunk(a), ZlibChunk(b), ZlibChunk(c)});
  const Bytes whole = veltrane::test::Joined({a, b, c});

  // Three windows within the bound: read as ReadDeflateZip reads it.
  BoundedOutcome r = ReadBounded(three, 65636);
  EXPECT_TRUE(r.taken);
  EXPECT_EQ(r.declared, 3u * 32768);
  EXPECT_TRUE(r.payload == whole);
  EXPECT_EQ(r.messages, "");
  // Two windows: the trailers declare 65636 bytes, more than 65536.
  r = ReadBounded(three, 65536);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);
  EXPECT_FALSE(r.taken);
  EXPECT_EQ(r.declared, 65636u);
  EXPECT_EQ(r.messages, "");

  // Short chunks: more chunks than windows, and still well-formed.
  std::vector<Bytes> small;
  for (size_t at = 0; at < whole.size(); at += 1000) {
    small.push_back(ZlibChunk(Bytes(whole.begin() + at, whole.begin() + std::min(whole.size(), at + 1000))));
  }
  r = ReadBounded(veltrane::test::Container(small), whole.size());
  EXPECT_TRUE(r.taken);
  EXPECT_TRUE(r.payload == whole);
  r = ReadBounded(veltrane::test::Container(small), whole.size() - 1);
  EXPECT_FALSE(r.taken);
  EXPECT_EQ(r.declared, whole.size());

  // Trailers that understate what their chunks hold: the output still stops at the bound.
  Bytes liar = ZlibChunk(a);
  for (size_t i = liar.size() - 4; i < liar.size(); ++i) liar[i] = 0;
  r = ReadBounded(RepeatedChunk(liar, 4), 100);
  EXPECT_TRUE(r.taken);
  EXPECT_TRUE(r.payload == a);
}

// 65535 entries at one 32 KiB chunk: 2 GiB declared by a file of 525 KB.
TEST(ContainerBound, BombIsRefusedBeforeItsBufferIsAllocated) {
  const Bytes zeros(32768, 0);
  const Bytes bomb = RepeatedChunk(veltrane::test::ZlibChunk(zeros), 65535);
  const auto start = std::chrono::steady_clock::now();
  const BoundedOutcome r = ReadBounded(bomb, size_t{1} << 30);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(r.taken);
  EXPECT_EQ(r.declared, 65535u * 32768);
  EXPECT_LT(seconds, 2.0);
  EXPECT_LT(PeakResidentKiB(), 300 * 1024);
}

// --- DCT image files whose header and container disagree -----------------------------------

// The bytes of a DCT image file up to its container, and the need its header implies.
Bytes DctHeader(const std::string& dimensions, const int (&bits)[64]) {
  std::vector<float> books[64];
  for (int k = 0; k < 64; ++k) books[k].assign(size_t{1} << bits[k], 1.0f);
  std::vector<unsigned char> file;
  EXPECT_TRUE(veltrane::AssembleDctImageFileWithLines("DCT\n", dimensions, bits, books, {}, &file));
  file.resize(file.size() - 6);  // the empty container
  return file;
}

struct LoadOutcome {
  int status;
  std::string err;
  int width, height;
  size_t plane_size;
};

LoadOutcome LoadAndDecode(const Bytes& file) {
  FILE* f = OpenBytes(file);
  LoadOutcome o{};
  o.width = o.height = -1;
  DctImage image;
  float* plane = nullptr;
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  o.status = catcher.Run([&] {
    image.Load(f);
    image.Decode(&plane, &o.width, &o.height);
  });
  o.err = testing::internal::GetCapturedStderr();
  std::free(plane);
  std::fclose(f);
  return o;
}

TEST(DctBound, ContainerDeclaringMoreThanTheImageNeedsIsRefused) {
  const int bits[64] = {8};  // 16 x 16: four blocks of one byte
  const Bytes header = DctHeader("16 16\n", bits);
  const uint32_t start = static_cast<uint32_t>(header.size());
  const Bytes zeros(32768, 0);
  const auto start_time = std::chrono::steady_clock::now();
  const LoadOutcome bomb =
      LoadAndDecode(veltrane::test::Joined({header, RepeatedChunk(veltrane::test::ZlibChunk(zeros), 65535, start)}));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_time).count();
  EXPECT_EQ(bomb.status, 1);
  EXPECT_EQ(bomb.err,
            "[DctImage::ReadDCTBits]: The container declares 2147450880 payload bytes, more than the 4 the image "
            "needs\n");
  EXPECT_LT(seconds, 2.0);
  EXPECT_LT(PeakResidentKiB(), 300 * 1024);

  // Two chunks of two bytes each are well-formed; a third one declares two bytes too many. One
  // chunk of five bytes stays within the one window, and fails the length check as before.
  using veltrane::test::Container;
  using veltrane::test::Joined;
  using veltrane::test::ZlibChunk;
  const Bytes half = {1, 2};
  EXPECT_EQ(LoadAndDecode(Joined({header, Container({ZlibChunk(half), ZlibChunk(half)}, start)})).status,
            FatalCatcher::kNoExit);
  const LoadOutcome over =
      LoadAndDecode(Joined({header, Container({ZlibChunk(half), ZlibChunk(half), ZlibChunk(half)}, start)}));
  EXPECT_EQ(over.status, 1);
  EXPECT_EQ(over.err,
            "[DctImage::ReadDCTBits]: The container declares 6 payload bytes, more than the 4 the image needs\n");
  const LoadOutcome five = LoadAndDecode(Joined({header, Container({ZlibChunk({1, 2, 3, 4, 5})}, start)}));
  EXPECT_EQ(five.status, 1);
  EXPECT_EQ(five.err, "[DctImage::ReadDCTBits]: The packedbit is altered!!\n");
}

TEST(DctBound, DimensionLineIsCheckedBeforeAnythingIsSizedFromIt) {
  const int zero[64] = {};
  const Bytes empty_container = {'E', 'Z', 0, 0, 0, 0};
  const auto file = [&](const std::string& dimensions) {
    return veltrane::test::Joined({DctHeader(dimensions, zero), empty_container});
  };
  // The 535-byte file of an empty plane 2147483640 pixels wide, and its transpose.
  for (const char* dimensions : {"2147483640 0\n", "0 2147483640\n", "33554440 0\n"}) {
    ASSERT_EQ(file(dimensions).size(), 535u - (13 - std::strlen(dimensions)));
    const auto start = std::chrono::steady_clock::now();
    const LoadOutcome o = LoadAndDecode(file(dimensions));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5) << dimensions;
    EXPECT_EQ(o.status, 1) << dimensions;
    EXPECT_EQ(o.err, "[DctImage::ReadDCTBits]: Image dimensions out of range\n") << dimensions;
  }
  // Empty planes whose other side fits a row of blocks within the limit decode to nothing, at once.
  for (const char* dimensions : {"33554432 0\n", "0 33554432\n", "0 0\n"}) {
    const auto start = std::chrono::steady_clock::now();
    const LoadOutcome o = LoadAndDecode(file(dimensions));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5) << dimensions;
    EXPECT_EQ(o.status, FatalCatcher::kNoExit) << dimensions << o.err;
    EXPECT_EQ(o.width == 0 || o.height == 0, true) << dimensions;
  }
  EXPECT_LT(PeakResidentKiB(), 300 * 1024);
}

}  // namespace
