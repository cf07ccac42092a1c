// Reading environment images through stb_image and OpenEXR: round trips, the size limits
// checked before anything is allocated, truncated and foreign files refused with the file's
// name, and broken pixels set to 0 and counted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/environment_file.h"
#include "codec/environment_file_writer.h"
#include "relight/environment_weights.h"
#include "relight/studio_environment.h"

namespace veltrane {
namespace {

std::string TempPath(const std::string& name) { return testing::TempDir() + "veltrane_env_" + name; }

std::vector<unsigned char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(EnvironmentFileTest, BothFormatsRoundTripToTheWeightsGrid) {
  const EnvironmentImage studio = StudioEnvironment(512, 256);
  const EnvironmentImage expected = ResampleEnvironment(studio, kWeightTableWidth, kWeightTableHeight);
  for (const char* name : {"studio.hdr", "studio.exr", "STUDIO.EXR"}) {
    const std::string path = TempPath(name);
    ASSERT_TRUE(WriteEnvironmentFile(path, studio) || std::string(name) == "STUDIO.EXR");
    if (std::string(name) == "STUDIO.EXR") {
      EXPECT_TRUE(IsEnvironmentFileName(path));
      continue;
    }
    EnvironmentFileResult result;
    std::string why;
    ASSERT_TRUE(ReadEnvironmentFile(path, &result, &why)) << why;
    EXPECT_EQ(result.source_width, 512);
    EXPECT_EQ(result.source_height, 256);
    EXPECT_EQ(result.broken_pixels, 0);
    ASSERT_EQ(result.image.width, kWeightTableWidth);
    ASSERT_EQ(result.image.height, kWeightTableHeight);
    for (size_t i = 0; i < expected.rgb.size(); ++i) {
      // RGBE keeps 8 bits of mantissa, half floats 11.
      ASSERT_NEAR(result.image.rgb[i], expected.rgb[i], 0.01 * expected.rgb[i] + 1e-6) << name << " value " << i;
    }
    std::remove(path.c_str());
  }
  EXPECT_FALSE(IsEnvironmentFileName("environment/readme.txt"));
}

TEST(EnvironmentFileTest, LargerHeadersTruncatedAndForeignFilesAreRefusedByName) {
  EnvironmentFileResult result;
  std::string why;
  // A Radiance header that claims 100000 x 100000 pixels and holds none.
  const std::string huge = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 100000 +X 100000\n";
  EXPECT_FALSE(ReadEnvironmentBytes(reinterpret_cast<const unsigned char*>(huge.data()), huge.size(), "huge.hdr",
                                    &result, &why));
  EXPECT_NE(why.find("huge.hdr"), std::string::npos) << why;
  EXPECT_NE(why.find("more than the limit"), std::string::npos) << why;

  // A real image over a lower limit, in either format.
  EnvironmentFileLimits small;
  small.max_side = 100;
  small.max_pixels = 100 * 100;
  for (const char* name : {"big.hdr", "big.exr"}) {
    const std::string path = TempPath(name);
    ASSERT_TRUE(WriteEnvironmentFile(path, StudioEnvironment(256, 128)));
    EXPECT_FALSE(ReadEnvironmentFile(path, &result, &why, small)) << name;
    EXPECT_NE(why.find(path), std::string::npos) << why;

    // Cut in half, and cut to its first 40 bytes: refused, not read as zeros.
    const std::vector<unsigned char> bytes = Bytes(path);
    for (size_t keep : {bytes.size() / 2, static_cast<size_t>(40)}) {
      WriteBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(keep)));
      EXPECT_FALSE(ReadEnvironmentFile(path, &result, &why)) << name << " cut to " << keep;
      EXPECT_NE(why.find(path), std::string::npos) << why;
    }
    std::remove(path.c_str());
  }

  EXPECT_FALSE(ReadEnvironmentFile(TempPath("missing.exr"), &result, &why));
  EXPECT_NE(why.find("missing.exr"), std::string::npos);
  const std::string foreign = "P6\n1 1\n255\nabc";
  EXPECT_FALSE(ReadEnvironmentBytes(reinterpret_cast<const unsigned char*>(foreign.data()), foreign.size(), "x.hdr",
                                    &result, &why));
  EXPECT_NE(why.find("x.hdr"), std::string::npos);
}

TEST(EnvironmentFileTest, BrokenPixelsBecomeZeroAndAreCounted) {
  EnvironmentImage image = UniformEnvironment(64, 32, 1.0f, 1.0f, 1.0f);
  image.Pixel(3, 4)[0] = -2.0f;
  image.Pixel(5, 6)[1] = NAN;
  image.Pixel(7, 8)[2] = INFINITY;
  const std::string path = TempPath("broken.exr");
  ASSERT_TRUE(WriteEnvironmentFile(path, image));
  EnvironmentFileResult result;
  std::string why;
  ASSERT_TRUE(ReadEnvironmentFile(path, &result, &why)) << why;
  EXPECT_EQ(result.broken_pixels, 3);
  for (float x : result.image.rgb) {
    ASSERT_TRUE(std::isfinite(x));
    ASSERT_GE(x, 0.0f);
    ASSERT_LE(x, 1.0f + 1e-6f);
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace veltrane
