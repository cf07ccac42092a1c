// Loading the coefficient maps: which file is read, the faults, and the centre directions.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "app/startup.h"
#include "codec/dct_encoder.h"
#include "codec/half_float.h"
#include "relight/center_directions.h"
#include "relight/gl/coefficient_maps.h"
#include "relight/description.h"
#include "relight/globals.h"
#include "support/fatal_catcher.h"
#include "support/gl_test_window.h"
#include "synthetic_run_dir.h"

namespace veltrane::test {
namespace {

struct LoadOutcome {
  int status;
  std::string out;
  std::string err;
};

class CoefficientMapsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scene_.width = 5;
    scene_.height = 3;
    scene_.theta = {10, 40, 70};
    scene_.phi = {0, 120, 240};
    dir_ = std::make_unique<SyntheticRunDir>(scene_);
    dir_->WriteDescription();
  }
  void TearDown() override {
    std::free(G_RBF_coefficient_map);
    G_RBF_coefficient_map = nullptr;
    coefficient_map_count = 0;
  }

  LoadOutcome Load() {
    dir_->Enter();
    std::unique_ptr<RelightDescription> description(LoadDescription("lightmap.qdx"));
    FatalCatcher catcher;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = catcher.Run([&] {
      LoadPrepareRBFMap(encoded_file_name, refer_width, refer_height, srbf_center_count, *description);
    });
    LoadOutcome outcome{status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
    return outcome;
  }

  std::vector<unsigned char> EncodePlanes(int rows) {
    std::vector<float> values = scene_.RawValues();
    values.resize(static_cast<size_t>(rows) * scene_.width);
    std::vector<unsigned char> file;
    DctEncodeOptions options;
    options.bits_per_pixel = 8.0;
    EXPECT_TRUE(EncodeDctImage(values.data(), scene_.width, rows, options, &file));
    return file;
  }

  SyntheticScene scene_;
  std::unique_ptr<SyntheticRunDir> dir_;
};

TEST_F(CoefficientMapsTest, NeitherFileEndsWithStatusMinusOne) {
  LoadOutcome outcome = Load();
  EXPECT_EQ(outcome.status, -1);
  EXPECT_EQ(outcome.out, "Loading data/scene.rbf.dct ...\n");
  EXPECT_EQ(outcome.err, "error: data file not exists\n");
}

TEST_F(CoefficientMapsTest, ShortDataIsRefusedRatherThanUploaded) {
  dir_->WriteRaw(12 * 3 * 5 * 3 - 4);
  LoadOutcome raw = Load();
  EXPECT_EQ(raw.status, 1);
  EXPECT_NE(raw.err.find("data/scene.rbf is too short"), std::string::npos) << raw.err;
  EXPECT_EQ(G_RBF_coefficient_map, nullptr);

  std::remove((dir_->path() + "/data/scene.rbf").c_str());
  dir_->WriteBytes("data/scene.rbf.dct", EncodePlanes(3 * 3 * 3 - 1));
  LoadOutcome compressed = Load();
  EXPECT_EQ(compressed.status, 1);
  EXPECT_NE(compressed.err.find("[DecodeDctRbfFile] data/scene.rbf.dct decodes to 130 samples, 135 needed"),
            std::string::npos)
      << compressed.err;
}

// The sizes are checked against what the file can hold before anything of that size exists:
// a raw file by its length, a compressed one by its dimension line alone.
TEST_F(CoefficientMapsTest, FileTooSmallForTheResolutionIsRefusedFromItsSizeOrHeader) {
  auto check = [&](int width, int height, int count) {
    dir_->Enter();
    FatalCatcher catcher;
    testing::internal::CaptureStderr();
    int status = catcher.Run([&] { CheckCoefficientFileCapacity("scene", width, height, count); });
    return LoadOutcome{status, "", testing::internal::GetCapturedStderr()};
  };
  std::snprintf(base_path, sizeof(base_path), "data/");
  dir_->WriteRaw();
  EXPECT_EQ(check(5, 3, 3).status, FatalCatcher::kNoExit);
  LoadOutcome raw = check(16384, 16384, 3);
  EXPECT_EQ(raw.status, 1);
  EXPECT_EQ(raw.err, "[LoadUncompressRbfData] data/scene.rbf is too short: 540 bytes, 9663676416 needed for 3 maps of "
                     "16384 x 16384\n");

  std::remove((dir_->path() + "/data/scene.rbf").c_str());
  const std::string header = "DCT\n5 27\n";  // the rest of the file is never read
  dir_->WriteBytes("data/scene.rbf.dct", std::vector<unsigned char>(header.begin(), header.end()));
  EXPECT_EQ(check(5, 3, 3).status, FatalCatcher::kNoExit);
  LoadOutcome compressed = check(4096, 4096, 3);
  EXPECT_EQ(compressed.status, 1);
  EXPECT_EQ(compressed.err, "[DecodeDctRbfFile] data/scene.rbf.dct decodes to 135 samples, 150994944 needed\n");

  // Neither file, or one that is no DctImage: the loader says what is wrong in its own place.
  dir_->WriteBytes("data/scene.rbf.dct", {'n', 'o', 't'});
  EXPECT_EQ(check(4096, 4096, 3).status, FatalCatcher::kNoExit);
  std::remove((dir_->path() + "/data/scene.rbf.dct").c_str());
  EXPECT_EQ(check(4096, 4096, 3).status, FatalCatcher::kNoExit);
}

TEST_F(CoefficientMapsTest, RawFileIsReadEvenWhenACompressedOneExists) {
  ASSERT_TRUE(EnsureGlWindow());
  dir_->WriteRaw();
  dir_->WriteBytes("data/scene.rbf.dct", {'n', 'o', 't', ' ', 'D', 'C', 'T'});
  LoadOutcome outcome = Load();
  EXPECT_EQ(outcome.status, FatalCatcher::kNoExit) << outcome.err;
  EXPECT_EQ(outcome.out.find("Loading"), std::string::npos);
  EXPECT_EQ(coefficient_map_count, 3);
}

TEST_F(CoefficientMapsTest, CompressedFileAloneFillsTheTextures) {
  ASSERT_TRUE(EnsureGlWindow());
  dir_->WriteBytes("data/scene.rbf.dct", EncodePlanes(3 * 3 * 3));
  LoadOutcome outcome = Load();
  ASSERT_EQ(outcome.status, FatalCatcher::kNoExit) << outcome.err;
  EXPECT_EQ(outcome.out, "Loading data/scene.rbf.dct ...\n");
  ASSERT_EQ(coefficient_map_count, 3);

  int w = scene_.width;
  int h = scene_.height;
  std::vector<float> texels(3 * w * h);
  glBindTexture(GL_TEXTURE_RECTANGLE, G_RBF_coefficient_map[2]);
  glGetTexImage(GL_TEXTURE_RECTANGLE, 0, GL_RGB, GL_FLOAT, texels.data());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(texels[3 * (y * w + x) + c], SyntheticScene::Coefficient(c, 2, h - 1 - y, x), 0.05)
            << x << "," << y << " channel " << c;
      }
    }
  }
}

// The maps are converted to half floats by the viewer, no longer by the driver: both must give
// the same bits, ties and subnormals included.
TEST(HalfFloatUploadTest, OurConversionIsTheDriversBitForBit) {
  ASSERT_TRUE(EnsureGlWindow());
  constexpr int kWidth = 64;
  constexpr int kHeight = 32;
  std::vector<float> floats(3 * kWidth * kHeight);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> exponent(-28.0f, 17.0f);
  for (size_t i = 0; i < floats.size(); ++i) {
    const float magnitude = std::exp2(exponent(random));
    floats[i] = (i % 2 ? -1.0f : 1.0f) * magnitude;
    if (i % 5 == 0) {  // exactly halfway between two halves
      const uint16_t h = FloatToHalfBits(floats[i]);
      floats[i] = static_cast<float>((static_cast<double>(HalfBitsToFloat(h)) + HalfBitsToFloat(h + 1)) / 2);
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_RECTANGLE, texture);
  glTexImage2D(GL_TEXTURE_RECTANGLE, 0, GL_RGB16F, kWidth, kHeight, 0, GL_RGB, GL_FLOAT, floats.data());
  std::vector<uint16_t> driver(floats.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 2);
  glGetTexImage(GL_TEXTURE_RECTANGLE, 0, GL_RGB, GL_HALF_FLOAT, driver.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glDeleteTextures(1, &texture);
  std::vector<uint16_t> ours(floats.size());
  FloatsToHalfBits(floats.data(), floats.size(), ours.data(), 1);
  int differences = 0;
  for (size_t i = 0; i < floats.size(); ++i) {
    if (ours[i] != driver[i] && ++differences <= 5) {
      ADD_FAILURE() << std::hexfloat << floats[i] << ": driver " << std::hex << driver[i] << ", ours " << ours[i];
    }
  }
  EXPECT_EQ(differences, 0);
}

// Start-up refuses these counts, but the loader itself copes: centres beyond the texture
// limit get a direction and no texture, and no centres give neither.
TEST(CoefficientMapCountTest, SeventyFiveCentresAndNone) {
  ASSERT_TRUE(EnsureGlWindow());
  for (int count : {75, 0}) {
    SyntheticScene scene;
    scene.width = 4;
    scene.height = 2;
    for (int i = 0; i < count; ++i) {
      scene.theta.push_back(static_cast<float>(i % 80));
      scene.phi.push_back(static_cast<float>(5 * i));
    }
    SyntheticRunDir dir(scene);
    dir.WriteDescription();
    dir.WriteRaw();
    dir.Enter();
    RelightDescription description;
    ASSERT_EQ(description.Read("lightmap.qdx"), kReadDone);
    std::snprintf(base_path, sizeof(base_path), "data/");
    light_eye_transform.Allocate(4, 4);
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) light_eye_transform.data[r][c] = r == c ? 1.0f : 0.0f;
    }
    FatalCatcher catcher;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = catcher.Run([&] { LoadPrepareRBFMap("scene", 4, 2, count, description); });
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = out + testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, FatalCatcher::kNoExit) << count << err;
    EXPECT_EQ(coefficient_map_count, count < kMaxCoefficientMaps ? count : kMaxCoefficientMaps);
    EXPECT_EQ(G_SRBF_center_dir.cols, count);
    if (count == 75) {
      // The last centre's direction is there although it has no texture: theta 74, phi 370.
      EXPECT_NEAR(G_SRBF_center_dir.data[1][74], std::cos(74.0 * M_PI / 180.0), 1e-6);
      GLint width = 0;
      glBindTexture(GL_TEXTURE_RECTANGLE, G_RBF_coefficient_map[59]);
      glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE, 0, GL_TEXTURE_WIDTH, &width);
      EXPECT_EQ(width, 4);
    }
    std::free(G_RBF_coefficient_map);
    G_RBF_coefficient_map = nullptr;
    coefficient_map_count = 0;
  }
}

// G_SRBF_center_dir as start-up leaves it for the scene's description.
void PrepareSceneDirections(const SyntheticScene& scene) {
  SyntheticRunDir dir(scene);
  dir.WriteDescription();
  dir.Enter();
  std::unique_ptr<RelightDescription> description(LoadDescription("lightmap.qdx"));
  PrepareCenterDirections(*description, scene.count());
}

TEST(CenterDirectionsTest, AnglesBecomeEyeFrameUnitDirections) {
  SyntheticScene scene;
  scene.theta = {90, 0, 90, 30};
  scene.phi = {0, 77, 90, 45};
  // A uniform scale with a translation column: directions keep their way and unit length.
  scene.light_eye_rows = "2 0 0 5\n0 2 0 6\n0 0 2 7\n0 0 0 1\n";
  PrepareSceneDirections(scene);

  ASSERT_EQ(G_SRBF_center_dir.rows, 3);
  ASSERT_EQ(G_SRBF_center_dir.cols, 4);
  const float expected[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0.5f * 0.70710678f, 0.8660254f, -0.5f * 0.70710678f}};
  for (int i = 0; i < 4; ++i) {
    for (int r = 0; r < 3; ++r) {
      if (i < 3) {
        EXPECT_EQ(G_SRBF_center_dir.data[r][i], expected[i][r]) << "centre " << i << " row " << r;
      } else {
        EXPECT_NEAR(G_SRBF_center_dir.data[r][i], expected[i][r], 1e-6) << "row " << r;
      }
    }
  }
}

// Awkward angles through a rotation with a translation column, bit for bit as the viewer has
// always formed them: the relighting weights of every frame depend on these exact floats.
TEST(CenterDirectionsTest, DirectionsKeepTheirExactFloats) {
  SyntheticScene scene;
  scene.theta = {13.7f, 37, 61.3f, 88.9f, 90, 5};
  scene.phi = {0.5f, 123.4f, 250, 359.9f, 180, 77.7f};
  scene.light_eye_rows = "0.8 0 -0.6 0.1\n0 1 0 0.2\n0.6 0 0.8 0.3\n0 0 0 1\n";
  PrepareSceneDirections(scene);

  const float expected[6][3] = {
      {0x1.868f7cp-3f, 0x1.f16ee2p-1f, 0x1.1fa12p-3f},   {0x1.2a6344p-5f, 0x1.98e6c2p-1f, -0x1.33907cp-1f},
      {-0x1.7816eep-1f, 0x1.ebbfb8p-2f, 0x1.eae71cp-2f}, {0x1.98fcdcp-1f, 0x1.3a87dep-6f, 0x1.33db96p-1f},
      {-0x1.99999ap-1f, 0x0p+0f, -0x1.333334p-1f},       {0x1.0e1df4p-4f, 0x1.fe0d3cp-1f, -0x1.d2d01ep-5f},
  };
  ASSERT_EQ(G_SRBF_center_dir.cols, 6);
  for (int i = 0; i < 6; ++i) {
    for (int r = 0; r < 3; ++r) EXPECT_EQ(G_SRBF_center_dir.data[r][i], expected[i][r]) << "centre " << i << " row " << r;
  }
}

}  // namespace
}  // namespace veltrane::test
