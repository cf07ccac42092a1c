#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "codec/dct_file_writer.h"
#include "codec/dct_image.h"
#include "support/fatal_catcher.h"
#include "support/byte_file.h"

namespace {

using veltrane::test::FatalCatcher;
using veltrane::test::OpenBytes;

struct DctParts {
  std::string signature = "DCT\n";
  std::string dimensions;
  int bits[64] = {};
  std::vector<float> books[64];
  std::vector<unsigned char> packed;

  DctParts(int width, int height) : dimensions(std::to_string(width) + " " + std::to_string(height) + "\n") {
    for (auto& book : books) book.assign(1, 0.0f);
  }
  void SetWidth(int k, int width, std::mt19937* rng) {
    bits[k] = width;
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    books[k].resize(size_t{1} << width);
    for (float& v : books[k]) v = value(*rng);
  }
  std::vector<unsigned char> Bytes() const {
    std::vector<unsigned char> out;
    EXPECT_TRUE(veltrane::AssembleDctImageFileWithLines(signature, dimensions, bits, books, packed, &out));
    return out;
  }
};

std::vector<int32_t> Indices(const DctImage& image, size_t blocks) {
  std::vector<int32_t> index(64 * blocks);
  image.UnPackBit(0, blocks, index.data());
  return index;
}

struct Outcome {
  int status;
  std::string err;
};

Outcome RunCaught(const std::function<void()>& fn) {
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  const int status = catcher.Run(fn);
  return {status, testing::internal::GetCapturedStderr()};
}

Outcome LoadBytes(DctImage* image, const std::vector<unsigned char>& bytes) {
  FILE* f = OpenBytes(bytes);
  Outcome o = RunCaught([&] { image->Load(f); });
  std::fclose(f);
  return o;
}

// The 64 indices of one block read bit by bit.
std::vector<uint32_t> IndicesBitByBit(const std::vector<unsigned char>& packed, size_t bit, const int bits[64]) {
  std::vector<uint32_t> out;
  for (int k = 0; k < 64; ++k) {
    uint32_t v = 0;
    for (int i = 0; i < bits[k]; ++i, ++bit) {
      const int b = bit / 8 < packed.size() ? (packed[bit / 8] >> (7 - bit % 8)) & 1 : 0;
      v = (v << 1) | b;
    }
    out.push_back(v);
  }
  return out;
}

// The padded plane after the textbook inverse DCT of T.81 A.3.3, in double precision.
std::vector<double> TextbookPlane(const DctParts& parts, int padwidth, int padheight) {
  const double pi = std::acos(-1.0);
  std::vector<double> plane(static_cast<size_t>(padwidth) * padheight);
  int totalbits = 0;
  for (int b : parts.bits) totalbits += b;
  const int cols = padwidth / 8;
  for (int block = 0; block < cols * (padheight / 8); ++block) {
    const auto index = IndicesBitByBit(parts.packed, static_cast<size_t>(block) * totalbits, parts.bits);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        double sum = 0;
        for (int v = 0; v < 8; ++v) {
          for (int u = 0; u < 8; ++u) {
            const double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
            sum += cu * cv * parts.books[8 * v + u][index[8 * v + u]] * std::cos((2 * x + 1) * u * pi / 16) *
                   std::cos((2 * y + 1) * v * pi / 16);
          }
        }
        plane[static_cast<size_t>(block / cols * 8 + y) * padwidth + block % cols * 8 + x] = sum / 4;
      }
    }
  }
  return plane;
}

// Widths 4 at even positions and 6 at odd ones: 320 bits, 40 bytes a block.
DctParts FourSixFile(int width, int height, std::mt19937* rng) {
  DctParts parts(width, height);
  for (int k = 0; k < 64; ++k) parts.SetWidth(k, k % 2 ? 6 : 4, rng);
  const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
  parts.packed.resize(static_cast<size_t>(blocks) * 40);
  for (auto& byte : parts.packed) byte = static_cast<unsigned char>((*rng)());
  return parts;
}

class DctImageSizes : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(DctImageSizes, DecodesPaddedBlocksAndCropsToTheDimensionLine) {
  const auto [width, height] = GetParam();
  std::mt19937 rng(width * 100 + height);
  const DctParts parts = FourSixFile(width, height, &rng);
  DctImage image;
  ASSERT_EQ(LoadBytes(&image, parts.Bytes()).status, FatalCatcher::kNoExit);
  const int padwidth = (width + 7) / 8 * 8, padheight = (height + 7) / 8 * 8;
  EXPECT_EQ(image.padwidth, padwidth);
  EXPECT_EQ(image.padheight, padheight);
  EXPECT_EQ(image.aligned, width == padwidth && height == padheight);

  float* plane = nullptr;
  int w = 0, h = 0;
  image.Decode(&plane, &w, &h);
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
  const auto expected = TextbookPlane(parts, padwidth, padheight);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_NEAR(plane[y * width + x], expected[static_cast<size_t>(y) * padwidth + x], 2e-4) << x << "," << y;
    }
  }

  // A second Decode starts afresh and gives the same plane.
  float* again = nullptr;
  image.Decode(&again, &w, &h);
  EXPECT_EQ(0, std::memcmp(plane, again, sizeof(float) * width * height));
  std::free(plane);
  std::free(again);
}

INSTANTIATE_TEST_SUITE_P(Padding, DctImageSizes,
                         testing::Values(std::make_pair(16, 16), std::make_pair(10, 6), std::make_pair(16, 10),
                                         std::make_pair(9, 17), std::make_pair(8, 8)));

TEST(DctImageUnpack, ValuesSpanByteBoundariesMostSignificantBitFirst) {
  std::mt19937 rng(11);
  const DctParts parts = FourSixFile(24, 16, &rng);
  DctImage image;
  ASSERT_EQ(LoadBytes(&image, parts.Bytes()).status, FatalCatcher::kNoExit);
  EXPECT_EQ(image.totalbits, 320);
  const auto index = Indices(image, 6);
  for (int block = 0; block < 6; ++block) {
    const auto expected = IndicesBitByBit(parts.packed, block * 320u, parts.bits);
    for (int k = 0; k < 64; ++k) ASSERT_EQ(static_cast<uint32_t>(index[64 * block + k]), expected[k]);
  }
  // Position 1: the low 4 bits of the block's first byte, then the top 2 bits of the second.
  EXPECT_EQ(index[1], ((parts.packed[0] & 0xf) << 2) | (parts.packed[1] >> 6));
  EXPECT_EQ(index[64 + 1], ((parts.packed[40] & 0xf) << 2) | (parts.packed[41] >> 6));
}

TEST(DctImageUnpack, AllWidthsZeroNeedAnEmptyPayloadAndGiveEqualBlocks) {
  std::mt19937 rng(5);
  DctParts parts(24, 16);
  for (int k = 0; k < 64; ++k) parts.SetWidth(k, 0, &rng);
  DctImage image;
  ASSERT_EQ(LoadBytes(&image, parts.Bytes()).status, FatalCatcher::kNoExit);
  EXPECT_EQ(image.totalbits, 0);
  EXPECT_EQ(image.packedlength, 0);
  float* plane = nullptr;
  int w, h;
  image.Decode(&plane, &w, &h);
  const auto expected = TextbookPlane(parts, 24, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 24; ++x) {
      EXPECT_EQ(plane[y * 24 + x], plane[(y % 8) * 24 + x % 8]);
      EXPECT_NEAR(plane[y * 24 + x], expected[y * 24 + x], 1e-4);
    }
  }
  std::free(plane);
}

TEST(DctImageUnpack, TotalBitsNotAMultipleOfEightWarnsAndReadsMissingBitsAsZero) {
  std::mt19937 rng(2);
  DctParts parts(16, 8);  // two blocks of 12 bits, but the length check asks for 2 x (12 / 8) bytes
  parts.SetWidth(0, 12, &rng);
  parts.packed = {0xab, 0xcd};
  DctImage image;
  ASSERT_EQ(LoadBytes(&image, parts.Bytes()).status, FatalCatcher::kNoExit);
  float* plane = nullptr;
  int w, h;
  const Outcome o = RunCaught([&] { image.Decode(&plane, &w, &h); });
  EXPECT_EQ(o.status, FatalCatcher::kNoExit);
  EXPECT_EQ(o.err, "[DctImage::UnPackBit]: Warning! total no of bits are not 8-multiple\n");
  std::free(plane);
  const auto index = Indices(image, 2);
  EXPECT_EQ(index[0], 0xabc);
  EXPECT_EQ(index[64], 0xd00);
}

TEST(DctImageLoad, SignatureLineIsComparedOnItsFirstThreeCharacters) {
  DctParts parts(8, 8);
  parts.signature = "DCT image, version 2\n";
  DctImage image;
  EXPECT_EQ(LoadBytes(&image, parts.Bytes()).status, FatalCatcher::kNoExit);
  EXPECT_TRUE(image.ready);
}

TEST(DctImageLoad, SecondLoadReplacesTheFirst) {
  std::mt19937 rng(9);
  DctImage image;
  ASSERT_EQ(LoadBytes(&image, FourSixFile(16, 16, &rng).Bytes()).status, FatalCatcher::kNoExit);
  ASSERT_EQ(LoadBytes(&image, FourSixFile(10, 6, &rng).Bytes()).status, FatalCatcher::kNoExit);
  EXPECT_EQ(image.width, 10);
  EXPECT_FALSE(image.aligned);
  EXPECT_EQ(image.packedlength, 80);
}

struct FaultCase {
  const char* name;
  std::function<std::vector<unsigned char>()> bytes;
  const char* message;
};

std::vector<unsigned char> Cut(std::vector<unsigned char> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(DctImageLoad, FaultsEndWithTheirMessageAndStatusOne) {
  std::mt19937 rng(4);
  const DctParts good = FourSixFile(16, 8, &rng);
  const size_t header = 4 + 5;  // "DCT\n", "16 8\n"
  auto with = [&](std::function<void(DctParts*)> change) {
    return [&good, change] {
      DctParts p = good;
      change(&p);
      return p.Bytes();
    };
  };
  // The writer refuses widths outside 0 .. 31; patch the big-endian table of a good file.
  auto patch_width = [&](int k, int value) {
    return [&good, k, value] {
      auto bytes = good.Bytes();
      for (int i = 0; i < 4; ++i) bytes[header + 4 * k + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
      return bytes;
    };
  };
  const FaultCase cases[] = {
      {"signature", with([](DctParts* p) { p->signature = "DC\n"; }),
       "[DctImage::ReadDCTBits]: Signature not matching\n"},
      {"empty file", [] { return std::vector<unsigned char>(); }, "[DctImage::ReadDCTBits]: Signature not matching\n"},
      {"short widths", [&] { return Cut(good.Bytes(), header + 4 * 63 + 2); },
       "[DctImage::ReadDCTBits]: Error writing bitmap\n"},
      {"short codebook", [&] { return Cut(good.Bytes(), header + 256 + 4 * 100); },
       "[DctImage::ReadDCTBits]: Error reading codebook\n"},
      {"payload too long", with([](DctParts* p) { p->packed.push_back(0); }),
       "[DctImage::ReadDCTBits]: The packedbit is altered!!\n"},
      {"payload too short", with([](DctParts* p) { p->packed.resize(79); }),
       "[DctImage::ReadDCTBits]: The packedbit is altered!!\n"},
      // What the format leaves open: refused with a message of their own.
      {"unscannable dimensions", with([](DctParts* p) { p->dimensions = "# 16 8\n"; }),
       "[DctImage::ReadDCTBits]: Cannot read the image dimensions\n"},
      {"one dimension", with([](DctParts* p) { p->dimensions = "16\n"; }),
       "[DctImage::ReadDCTBits]: Cannot read the image dimensions\n"},
      {"negative width", with([](DctParts* p) { p->dimensions = "-16 8\n"; }),
       "[DctImage::ReadDCTBits]: Image dimensions out of range\n"},
      {"padding overflows", with([](DctParts* p) { p->dimensions = "8 2147483647\n"; }),
       "[DctImage::ReadDCTBits]: Image dimensions out of range\n"},
      {"beyond int", with([](DctParts* p) { p->dimensions = "99999999999 8\n"; }),
       "[DctImage::ReadDCTBits]: Image dimensions out of range\n"},
      {"too many pixels", with([](DctParts* p) { p->dimensions = "16392 16384\n"; }),
       "[DctImage::ReadDCTBits]: Image dimensions out of range\n"},
      {"width 32", patch_width(5, 32), "[DctImage::ReadDCTBits]: Bit width out of range\n"},
      {"width -1", patch_width(63, -1), "[DctImage::ReadDCTBits]: Bit width out of range\n"},
      // 8 GiB of codebook announced by a small file: refused without the allocation.
      {"width 31", patch_width(0, 31), "[DctImage::ReadDCTBits]: Error reading codebook\n"},
  };
  for (const FaultCase& c : cases) {
    DctImage image;
    const Outcome o = LoadBytes(&image, c.bytes());
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.err, c.message) << c.name;
  }
}

TEST(DctImageDecode, BeforeLoadIsFatal) {
  DctImage image;
  float* plane = nullptr;
  int w = 0, h = 0;
  const Outcome o = RunCaught([&] { image.Decode(&plane, &w, &h); });
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "[DctImage::Decode]: No compressed data ready to decode\n");
}

TEST(DctImageLoad, PixelLimitIsAdjustable) {
  std::mt19937 rng(1);
  const auto bytes = FourSixFile(16, 16, &rng).Bytes();
  const int64_t previous = veltrane::SetDctImageMaxPixels(255);
  DctImage refused;
  const Outcome o = LoadBytes(&refused, bytes);
  veltrane::SetDctImageMaxPixels(previous);
  EXPECT_EQ(o.status, 1);
  DctImage accepted;
  EXPECT_EQ(LoadBytes(&accepted, bytes).status, FatalCatcher::kNoExit);
}

}  // namespace
