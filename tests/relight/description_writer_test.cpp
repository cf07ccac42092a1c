#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "relight/description.h"
#include "relight/description_values.h"

namespace {

std::string TempPath(const char* name) { return testing::TempDir() + name; }

void ExpectSameBits(float a, float b) { EXPECT_EQ(BitsOfFloat(a), BitsOfFloat(b)); }

void ExpectSameRecord(const RelightDescription& a, const RelightDescription& b) {
  EXPECT_STREQ(a.base_path, b.base_path);
  EXPECT_STREQ(a.encoded_file, b.encoded_file);
  EXPECT_EQ(a.refer_format, b.refer_format);
  EXPECT_EQ(a.refer_width, b.refer_width);
  EXPECT_EQ(a.refer_height, b.refer_height);
  EXPECT_EQ(a.encoded_color_model, b.encoded_color_model);
  EXPECT_EQ(a.srbf_center_scheme, b.srbf_center_scheme);
  EXPECT_EQ(a.projection_type, b.projection_type);
  EXPECT_EQ(a.ref_file_scheme, b.ref_file_scheme);
  ExpectSameBits(a.srbf_spread, b.srbf_spread);
  for (int i = 0; i < 16; ++i)
    ExpectSameBits(a.light_eye_transform[i / 4][i % 4], b.light_eye_transform[i / 4][i % 4]);
  for (int i = 0; i < 2; ++i) ExpectSameBits(a.fov[i], b.fov[i]);
  for (int i = 0; i < 3; ++i) ExpectSameBits(a.cylinder[i], b.cylinder[i]);
  ASSERT_EQ(a.srbf_center_count, b.srbf_center_count);
  for (int i = 0; i < a.srbf_center_count; ++i) {
    ExpectSameBits(a.srbf_centers[i]->theta, b.srbf_centers[i]->theta);
    ExpectSameBits(a.srbf_centers[i]->phi, b.srbf_centers[i]->phi);
  }
  ASSERT_EQ(a.ref_file_count, b.ref_file_count);
  for (int i = 0; i < a.ref_file_count; ++i) {
    EXPECT_STREQ(a.ref_file_names[i], b.ref_file_names[i]);
    ExpectSameBits(a.ref_file_theta[i], b.ref_file_theta[i]);
    ExpectSameBits(a.ref_file_phi[i], b.ref_file_phi[i]);
  }
}

TEST(WriteRelightDescription, RoundTripsEveryFieldExactly) {
  // An unusual record: awkward floats, NaN and subnormal angles, '#' and keyword texts.
  RelightDescription d;
  std::strcpy(d.base_path, "#out/");
  std::strcpy(d.encoded_file, "FOV");
  d.refer_format = kReferFormatRgb;
  d.refer_width = 640;
  d.refer_height = 0;
  d.encoded_color_model = kColorModelYuv;
  d.srbf_spread = 0.1f + 0.2f;
  for (int i = 0; i < 16; ++i)
    d.light_eye_transform[i / 4][i % 4] = 1.0f / static_cast<float>(i + 3);
  d.light_eye_transform[3][3] = -0.0f;
  d.fov[0] = 1e-40f;
  d.fov[1] = 3.4028235e38f;
  d.cylinder[2] = -123456.789f;
  d.srbf_center_scheme = kCenterSchemeOther;
  d.srbf_center_count = 3;
  d.srbf_centers = static_cast<SrbfCenter**>(std::malloc(3 * sizeof(SrbfCenter*)));
  const float angles[3][2] = {
      {0.017453292f, FloatFromBits(0x7FC00001u)}, {1e-45f, -0.0f}, {359.99997f, 1.0f / 3}};
  for (int i = 0; i < 3; ++i) {
    d.srbf_centers[i] = static_cast<SrbfCenter*>(std::malloc(sizeof(SrbfCenter)));
    d.srbf_centers[i]->theta = angles[i][0];
    d.srbf_centers[i]->phi = angles[i][1];
  }
  d.ref_file_scheme = kRefSchemeOther;
  d.ref_file_count = 1;
  d.ref_file_names = static_cast<char**>(std::malloc(sizeof(char*)));
  d.ref_file_names[0] = static_cast<char*>(std::calloc(1024, 1));
  std::strcpy(d.ref_file_names[0], "#ref.ppm");
  d.ref_file_theta = static_cast<float*>(std::malloc(sizeof(float)));
  d.ref_file_phi = static_cast<float*>(std::malloc(sizeof(float)));
  d.ref_file_theta[0] = 2.5f;
  d.ref_file_phi[0] = FloatFromBits(0xFF800000u);

  std::string path = TempPath("roundtrip.qdx");
  ASSERT_TRUE(WriteRelightDescription(path.c_str(), d));
  RelightDescription back;
  testing::internal::CaptureStderr();
  EXPECT_EQ(back.Read(path.c_str()), kReadDone);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ExpectSameRecord(d, back);

  // A fresh record writes a file that reads back to a fresh record.
  RelightDescription fresh, fresh_back;
  ASSERT_TRUE(WriteRelightDescription(path.c_str(), fresh));
  EXPECT_EQ(fresh_back.Read(path.c_str()), kReadDone);
  ExpectSameRecord(fresh, fresh_back);
  EXPECT_FALSE(HasLightEyeTransform(fresh_back));
  std::remove(path.c_str());
}

TEST(WriteRelightDescription, RefusesWhatTheFormatCannotCarry) {
  std::string path = TempPath("refused.qdx");
  RelightDescription d;
  std::strcpy(d.encoded_file, "two words");
  EXPECT_FALSE(WriteRelightDescription(path.c_str(), d));
  d.encoded_file[0] = '\0';
  d.srbf_spread = FloatFromBits(0x7F800000u);
  EXPECT_FALSE(WriteRelightDescription(path.c_str(), d));
  d.srbf_spread = 1.0f;
  d.projection_type = 3;
  EXPECT_FALSE(WriteRelightDescription(path.c_str(), d));
  d.projection_type = -1;
  EXPECT_FALSE(WriteRelightDescription("/nonexistent/dir/x.qdx", d));
  EXPECT_TRUE(WriteRelightDescription(path.c_str(), d));
  std::remove(path.c_str());
}

}  // namespace
