#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/ppm.h"
#include "support/fatal_catcher.h"

namespace {

using veltrane::test::FatalCatcher;

class PpmTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "ppm_test_" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppm";
  }
  void TearDown() override { std::remove(path_.c_str()); }

  void WriteFile(const std::string& bytes) {
    FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  // Reads path_; returns the exit status (kNoExit when none) and keeps the message.
  int Read(const std::string& path) {
    FatalCatcher catcher;
    testing::internal::CaptureStderr();
    const int status = catcher.Run([&] { ReadPPM(path.c_str(), &width_, &height_, &pixels_); });
    err_ = testing::internal::GetCapturedStderr();
    return status;
  }

  std::string path_, err_;
  int width_ = -5, height_ = -5;
  unsigned char* pixels_ = nullptr;
};

TEST_F(PpmTest, ReadsThePixelsAsStored) {
  const std::string pixels = "abcdefghijkl";
  WriteFile("P6\n2 2\n255\n" + pixels);
  ASSERT_EQ(Read(path_), FatalCatcher::kNoExit);
  EXPECT_EQ(width_, 2);
  EXPECT_EQ(height_, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(pixels_), 12), pixels);
  std::free(pixels_);

  // The maximum value is not looked at: still one byte per sample.
  WriteFile("P6\n1 2\n65535\n123456789");
  ASSERT_EQ(Read(path_), FatalCatcher::kNoExit);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(pixels_), 6), "123456");
  std::free(pixels_);
}

TEST_F(PpmTest, WritePPMReadsBack) {
  std::vector<unsigned char> rgb(3 * 5 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(WritePPM(path_.c_str(), 5, 3, rgb.data()));
  ASSERT_EQ(Read(path_), FatalCatcher::kNoExit);
  EXPECT_EQ(width_, 5);
  EXPECT_EQ(height_, 3);
  EXPECT_EQ(0, std::memcmp(pixels_, rgb.data(), rgb.size()));
  std::free(pixels_);

  FILE* f = std::fopen(path_.c_str(), "rb");
  char head[12] = {};
  ASSERT_EQ(std::fread(head, 1, 11, f), 11u);
  std::fclose(f);
  EXPECT_STREQ(head, "P6\n5 3\n255\n");
  EXPECT_FALSE(WritePPM(path_.c_str(), 0, 3, rgb.data()));
  EXPECT_FALSE(WritePPM("/nonexistent-dir/x.ppm", 5, 3, rgb.data()));
}

TEST_F(PpmTest, BadFilesEndWithAMessageAndStatusOne) {
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {"P6\n# comment\n2 2\n255\nabcdefghijkl", "[ReadPPM]: Bad image dimensions\n"},
      {"P6\n2 2 255\nabcdefghijkl", "[ReadPPM]: Pixel data is short\n"},
      {"P6\n0 2\n255\n", "[ReadPPM]: Bad image dimensions\n"},
      {"P6\n-2 2\n255\nabcdefghijkl", "[ReadPPM]: Bad image dimensions\n"},
      {"P6\n2\n255\nabcdefghijkl", "[ReadPPM]: Bad image dimensions\n"},
      {"P6\n99999999999 2\n255\n", "[ReadPPM]: Bad image dimensions\n"},
      {"P6\n40000 40000\n255\n", "[ReadPPM]: Bad image dimensions\n"},
      {"P6\n2 2\n255\nabcdefghijk", "[ReadPPM]: Pixel data is short\n"},
      {"P6\n10000 10000\n255\nabc", "[ReadPPM]: Pixel data is short\n"},
      {"", "[ReadPPM]: Bad image dimensions\n"},
  };
  for (const auto& c : cases) {
    WriteFile(c.bytes);
    EXPECT_EQ(Read(path_), 1) << c.bytes;
    EXPECT_EQ(err_, c.message) << c.bytes;
    EXPECT_EQ(width_, -5);
  }
  EXPECT_EQ(Read(path_ + ".missing"), 1);
  EXPECT_EQ(err_, "cannot load file\n");
}

std::vector<unsigned char> Rows(int rows, int row_bytes) {
  std::vector<unsigned char> b(static_cast<size_t>(rows) * row_bytes);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i);
  return b;
}

TEST(InvertBuf, SwapsWholeRowsAndKeepsTheMiddleOne) {
  for (int rows : {0, 1, 2, 4, 5}) {
    const int row_bytes = 12 * 3;  // three float RGB texels
    auto b = Rows(rows, row_bytes);
    const auto before = b;
    InvertBuf(b.data(), rows, row_bytes);
    for (int r = 0; r < rows; ++r) {
      EXPECT_EQ(0, std::memcmp(b.data() + r * row_bytes, before.data() + (rows - 1 - r) * row_bytes, row_bytes))
          << rows << " rows, row " << r;
    }
  }
  unsigned char untouched = 42;
  InvertBuf(&untouched, 1, 0);
  InvertBuf(&untouched, 3, -4);
  EXPECT_EQ(untouched, 42);
}

}  // namespace
