#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "codec/dct_encoder.h"
#include "codec/dct_image.h"
#include "support/byte_file.h"

namespace {

using veltrane::test::OpenBytes;

std::vector<float> SmoothPlane(int width, int height) {
  std::vector<float> plane(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      plane[static_cast<size_t>(y) * width + x] =
          2.0f + std::sin(0.07f * x) * std::cos(0.05f * y) + 0.3f * std::sin(0.011f * x * y / 8);
    }
  }
  return plane;
}

// Decodes the file as the viewer does and measures the error against the plane.
void DecodeAndMeasure(const std::vector<unsigned char>& file, const std::vector<float>& plane, int width, int height,
                      double* rms, double* max_abs) {
  FILE* f = OpenBytes(file);
  DctImage image;
  image.Load(f);
  std::fclose(f);
  float* decoded = nullptr;
  int w = 0, h = 0;
  image.Decode(&decoded, &w, &h);
  ASSERT_EQ(w, width);
  ASSERT_EQ(h, height);
  double sum = 0;
  *max_abs = 0;
  for (size_t i = 0; i < plane.size(); ++i) {
    const double d = static_cast<double>(decoded[i]) - plane[i];
    sum += d * d;
    *max_abs = std::max(*max_abs, std::fabs(d));
  }
  *rms = std::sqrt(sum / plane.size());
  std::free(decoded);
}

double Rms(const std::vector<float>& plane) {
  double sum = 0;
  for (float v : plane) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / plane.size());
}

TEST(DctEncoder, RoundTripStaysWithinOnePercentAndStatsMatchTheDecoder) {
  const int width = 203, height = 77;  // neither a multiple of 8
  const auto plane = SmoothPlane(width, height);
  for (double bpp : {1.0, 3.0}) {
    veltrane::DctEncodeOptions options;
    options.bits_per_pixel = bpp;
    std::vector<unsigned char> file;
    veltrane::DctEncodeStats stats{};
    ASSERT_TRUE(veltrane::EncodeDctImage(plane.data(), width, height, options, &file, &stats));
    EXPECT_EQ(stats.file_bytes, file.size());
    EXPECT_EQ(stats.totalbits % 8, 0);
    EXPECT_LE(stats.totalbits, 64 * bpp);
    double rms = 0, max_abs = 0;
    DecodeAndMeasure(file, plane, width, height, &rms, &max_abs);
    EXPECT_NEAR(stats.rms_error, rms, 1e-9 * Rms(plane));
    EXPECT_EQ(stats.max_abs_error, max_abs);
    EXPECT_LT(rms, (bpp < 2 ? 0.01 : 0.002) * Rms(plane)) << bpp << " bits per pixel";
  }
}

TEST(DctEncoder, MoreBitsNeverHurtAndZeroBitsGiveTheMean) {
  const int width = 64, height = 40;
  const auto plane = SmoothPlane(width, height);
  double previous = 1e30;
  for (double bpp : {0.0, 0.5, 1.0, 2.0, 4.0}) {
    veltrane::DctEncodeOptions options;
    options.bits_per_pixel = bpp;
    std::vector<unsigned char> file;
    veltrane::DctEncodeStats stats{};
    ASSERT_TRUE(veltrane::EncodeDctImage(plane.data(), width, height, options, &file, &stats));
    EXPECT_LE(stats.rms_error, previous * 1.0001) << bpp;
    previous = stats.rms_error;
    if (bpp == 0.0) {
      EXPECT_EQ(stats.totalbits, 0);
    }
  }
}

TEST(DctEncoder, ConstantPlaneIsKeptAndOutputDoesNotDependOnThreads) {
  std::vector<float> constant(13 * 9, 0.75f);
  veltrane::DctEncodeStats stats{};
  std::vector<unsigned char> file;
  ASSERT_TRUE(veltrane::EncodeDctImage(constant.data(), 13, 9, {}, &file, &stats));
  EXPECT_LT(stats.max_abs_error, 1e-6);

  const auto plane = SmoothPlane(300, 260);
  std::vector<unsigned char> one, four;
  veltrane::DctEncodeOptions options;
  options.bits_per_pixel = 1.5;
  options.threads = 1;
  ASSERT_TRUE(veltrane::EncodeDctImage(plane.data(), 300, 260, options, &one));
  options.threads = 4;
  ASSERT_TRUE(veltrane::EncodeDctImage(plane.data(), 300, 260, options, &four));
  EXPECT_EQ(one, four);
}

TEST(DctEncoder, RefusesBadInput) {
  std::vector<float> plane(64, 1.0f);
  std::vector<unsigned char> file{1, 2, 3};
  veltrane::DctEncodeOptions options;
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 0, 8, options, &file));
  EXPECT_TRUE(file.empty());
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 8, -1, options, &file));
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 1 << 20, 1 << 20, options, &file));
  options.bits_per_pixel = -1;
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 8, 8, options, &file));
  options.bits_per_pixel = std::nan("");
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 8, 8, options, &file));
  options.bits_per_pixel = 1;
  plane[17] = std::nanf("");
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 8, 8, options, &file));
  plane[17] = INFINITY;
  EXPECT_FALSE(veltrane::EncodeDctImage(plane.data(), 8, 8, options, &file));
}

}  // namespace
