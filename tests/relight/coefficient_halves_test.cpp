// Decoding the coefficient files straight into half-float texture layout, on one thread or
// several, and in a helper process beside the start-up.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/dct_encoder.h"
#include "codec/dct_image.h"
#include "codec/half_float.h"
#include "common/file_closer.h"
#include "relight/gl/coefficient_halves.h"
#include "relight/gl/coefficient_prefetch.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {
namespace {

constexpr int kCount = 4;
constexpr int kWidth = 5;   // odd: rows of 15 halves
constexpr int kHeight = 6;

class CoefficientHalvesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/veltrane-halves-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    // Values of the raw file's order, smooth enough for the DCT and with a few exact ties.
    values_.resize(3 * static_cast<size_t>(kCount) * kWidth * kHeight);
    for (size_t s = 0; s < values_.size(); ++s) values_[s] = 0.25f * static_cast<float>(s % 17) - 1.0f + 1e-3f * s;
  }
  void TearDown() override {
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(dir_.c_str());
  }

  std::string Write(const char* name, const void* bytes, size_t size) {
    const std::string path = dir_ + "/" + name;
    FilePtr file(std::fopen(path.c_str(), "wb"));
    EXPECT_TRUE(file && std::fwrite(bytes, 1, size, file.get()) == size);
    files_.push_back(path);
    return path;
  }

  // A DctImage of `image_width` samples a row holding the values (and a few more).
  std::string WriteDct(int image_width, std::vector<float>* decoded) {
    const int rows = static_cast<int>((values_.size() + image_width - 1) / image_width) + 1;
    std::vector<float> plane(static_cast<size_t>(image_width) * rows, 0.5f);
    std::copy(values_.begin(), values_.end(), plane.begin());
    std::vector<unsigned char> bytes;
    DctEncodeOptions options;
    options.bits_per_pixel = 6.0;
    EXPECT_TRUE(EncodeDctImage(plane.data(), image_width, rows, options, &bytes));
    const std::string path = Write("maps.rbf.dct", bytes.data(), bytes.size());
    // What the plain decoder makes of it, the reference for the texels.
    FilePtr file(std::fopen(path.c_str(), "rb"));
    DctImage image;
    image.Load(file.get());
    float* samples = nullptr;
    int w = 0;
    int h = 0;
    image.Decode(&samples, &w, &h);
    decoded->assign(samples, samples + values_.size());
    std::free(samples);
    return path;
  }

  // The texture layout of samples in raw-file order: map i, texel (x, bottom-first row), channel c.
  static std::vector<uint16_t> Expected(const std::vector<float>& samples) {
    std::vector<uint16_t> texels(samples.size());
    const size_t plane = static_cast<size_t>(kWidth) * kHeight;
    for (size_t s = 0; s < samples.size(); ++s) {
      const size_t p = s / plane, j = s % plane;
      const size_t c = p / kCount, i = p % kCount, y = j / kWidth, x = j % kWidth;
      texels[i * 3 * plane + 3 * ((kHeight - 1 - y) * kWidth + x) + c] = FloatToHalfBits(samples[s]);
    }
    return texels;
  }

  static std::vector<uint16_t> Texels(const HalfCoefficientMaps& maps) {
    return std::vector<uint16_t>(maps.Map(0), maps.Map(0) + 3 * maps.MapTexels() * kCount);
  }

  std::string dir_;
  std::vector<std::string> files_;
  std::vector<float> values_;
};

TEST_F(CoefficientHalvesTest, RawAndCompressedFilesLandInTextureLayoutOnAnyThreadCount) {
  HalfCoefficientMaps maps;
  ASSERT_TRUE(maps.Allocate(kCount, kWidth, kHeight, false));
  const std::string raw = Write("maps.rbf", values_.data(), values_.size() * sizeof(float));
  DecodeRawCoefficients(raw.c_str(), maps);
  EXPECT_EQ(Texels(maps), Expected(values_));

  // Image rows of 7 samples: rows that straddle two maps, and two channels.
  std::vector<float> decoded;
  const std::string dct = WriteDct(7, &decoded);
  for (int threads : {1, 3}) {
    ASSERT_TRUE(maps.Allocate(kCount, kWidth, kHeight, false));
    DecodeDctCoefficients(dct.c_str(), maps, threads);
    EXPECT_EQ(Texels(maps), Expected(decoded)) << threads << " threads";
  }
}

TEST_F(CoefficientHalvesTest, HelperDecodesTheSameMapsAndStaysSilentWhenTheFileIsBroken) {
  std::vector<float> decoded;
  const std::string dct = WriteDct(7, &decoded);
  StartCoefficientPrefetch(dct.c_str(), false, kWidth, kHeight, kCount);
  HalfCoefficientMaps maps;
  std::string diagnostics = "unset";
  double seconds = -1.0;
  ASSERT_TRUE(TakeCoefficientPrefetch(dct.c_str(), false, kWidth, kHeight, kCount, &maps, &diagnostics, &seconds));
  EXPECT_EQ(Texels(maps), Expected(decoded));
  EXPECT_EQ(diagnostics, "");
  EXPECT_GE(seconds, 0.0);
  // Nothing is left to take, and a request for other maps does not take the helper's.
  EXPECT_FALSE(TakeCoefficientPrefetch(dct.c_str(), false, kWidth, kHeight, kCount, &maps, &diagnostics, &seconds));
  StartCoefficientPrefetch(dct.c_str(), false, kWidth, kHeight, kCount);
  EXPECT_FALSE(TakeCoefficientPrefetch(dct.c_str(), true, kWidth, kHeight, kCount, &maps, &diagnostics, &seconds));

  // A truncated file: the helper fails without a word, and the caller decodes it itself.
  std::vector<unsigned char> bytes;
  {
    FilePtr file(std::fopen(dct.c_str(), "rb"));
    int c;
    while ((c = std::fgetc(file.get())) != EOF) bytes.push_back(static_cast<unsigned char>(c));
  }
  bytes.resize(bytes.size() - 9);
  const std::string broken = Write("broken.rbf.dct", bytes.data(), bytes.size());
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  StartCoefficientPrefetch(broken.c_str(), false, kWidth, kHeight, kCount);
  const bool taken = TakeCoefficientPrefetch(broken.c_str(), false, kWidth, kHeight, kCount, &maps, &diagnostics,
                                             &seconds);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(taken);
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  EXPECT_EQ(catcher.Run([&] { DecodeDctCoefficients(broken.c_str(), maps, 2); }), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace veltrane::test
