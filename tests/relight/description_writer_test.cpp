#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "relight/description.h"
#include "relight/description_values.h"

namespace {

std::string TempPath(const char* name) {
  return testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

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
  // An unusual record: awkward decimals, NaN, infinite and subnormal angles, texts that begin
  // with "#" or equal a keyword.
  std::string source = TempPath("source.qdx");
  FILE* f = std::fopen(source.c_str(), "w");
  std::fputs(
      "BASE_PATH #out\nENCODED_FILE FOV\nREFER_FORMAT RGB\nREFER_RESOLUTION 640 0\n"
      "ENCODED_COLOR_MODEL YUV\nSRBF_SPREAD 0.30000001192092896\n"
      "SRBF_CENTER_BEGIN 3 SOMETHING\n0 0 3C8EFA35 7FC00001\n0 0 1 80000000\n"
      "359.99997 0.333333343\nSRBF_CENTER_END\nLIGHT_EYE_TRANSFORM_BEGIN\n"
      "0.1 0.2 0.3 0.4\n1e-40 3.4028235e38 -123456.789 7\n0 1 0 0\n1 2 3 -0\n"
      "LIGHT_EYE_TRANSFORM_END\nFOV 1.17549435e-38 1e-45\nCYLINDER 1 2 3\n"
      "REFER_FILE_BEGIN 1 OTHER\n#ref.ppm 2.5 0 40200000 FF800000\nREFER_FILE_END\n",
      f);
  std::fclose(f);
  RelightDescription d;
  ASSERT_EQ(d.Read(source.c_str()), kReadDone);
  std::remove(source.c_str());
  ASSERT_EQ(d.srbf_center_count, 3);

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
  EXPECT_FALSE(WriteRelightDescription("/nonexistent/dir/x.qdx", d));
}

}  // namespace

namespace {

std::string FileText(const std::string& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return text;
  for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(f);
  return text;
}

TEST(WriteRelightDescription, NamesAnOtherSchemeByTheGivenWord) {
  std::string source = TempPath("scheme.qdx");
  FILE* f = std::fopen(source.c_str(), "w");
  std::fputs("REFER_RESOLUTION 4 4\nSRBF_CENTER_BEGIN 2 ANYTHING\n97.5 12.25 42C3199A 3F7FFFFF\n0 0\nSRBF_CENTER_END\n", f);
  std::fclose(f);
  RelightDescription d;
  ASSERT_EQ(d.Read(source.c_str()), kReadDone);
  ASSERT_EQ(d.srbf_center_scheme, kCenterSchemeOther);

  const std::string path = TempPath("optimized.qdx");
  ASSERT_TRUE(WriteRelightDescription(path.c_str(), d, "OPTIMIZED"));
  EXPECT_NE(FileText(path).find("SRBF_CENTER_BEGIN 2 OPTIMIZED\n"), std::string::npos);
  RelightDescription back;
  EXPECT_EQ(back.Read(path.c_str()), kReadDone);
  ExpectSameRecord(d, back);
  // The plain writer still says OTHER; a named scheme keeps its own word whatever is given.
  ASSERT_TRUE(WriteRelightDescription(path.c_str(), d));
  EXPECT_NE(FileText(path).find("SRBF_CENTER_BEGIN 2 OTHER\n"), std::string::npos);
  d.srbf_center_scheme = kCenterSchemeHemiHammersley;
  ASSERT_TRUE(WriteRelightDescription(path.c_str(), d, "OPTIMIZED"));
  EXPECT_NE(FileText(path).find("SRBF_CENTER_BEGIN 2 HEMI_HAMMERSLEY\n"), std::string::npos);
  // Words that would read back as something else, or not at all.
  d.srbf_center_scheme = kCenterSchemeOther;
  for (const char* bad : {"HAMMERSLEY", "HEMI_HAMMERSLEY", "#OPT", "TWO WORDS", ""}) {
    EXPECT_FALSE(WriteRelightDescription(path.c_str(), d, bad)) << bad;
  }
  EXPECT_FALSE(WriteRelightDescription(path.c_str(), d, nullptr));
  std::remove(path.c_str());
  std::remove(source.c_str());
}

}  // namespace
