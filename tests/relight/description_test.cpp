#include "relight/description.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string WriteTemp(const std::string& text) {
  static int serial = 0;
  std::string path = testing::TempDir() + "description_" + std::to_string(getpid()) + "_" +
                     std::to_string(serial++) + ".qdx";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

// Parses text into d, capturing both streams.
struct Parsed {
  int result;
  std::string out, err;
};

Parsed Parse(RelightDescription& d, const std::string& text) {
  std::string path = WriteTemp(text);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int result = d.Read(path.c_str());
  Parsed p{result, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
  std::remove(path.c_str());
  return p;
}

const char kCenters2[] = "SRBF_CENTER_BEGIN 2 HAMMERSLEY\n0 0\n90 45\nSRBF_CENTER_END\n";
const char kIdentity[] =
    "LIGHT_EYE_TRANSFORM_BEGIN\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\nLIGHT_EYE_TRANSFORM_END\n";

TEST(RelightDescription, ExampleFileAndInitialState) {
  RelightDescription fresh;
  EXPECT_FALSE(HasBasePath(fresh) || HasEncodedFile(fresh) || HasLightEyeTransform(fresh));
  EXPECT_EQ(fresh.Read(nullptr), kReadNoFileName);
  EXPECT_EQ(fresh.Read("/nonexistent/lightmap.qdx"), kReadFailed);
  EXPECT_EQ(fresh.Read(testing::TempDir().c_str()), kReadFailed);  // a directory reads nothing
  EXPECT_EQ(fresh.refer_width, -1);
  EXPECT_EQ(fresh.srbf_center_count, 0);
  EXPECT_EQ(fresh.srbf_spread, -1.0f);

  RelightDescription d;
  Parsed p =
      Parse(d, std::string("BASE_PATH data\r\nREFER_FORMAT PPM\nREFER_RESOLUTION 256 128\n"
                           "ENCODED_FILE scene\nENCODED_COLOR_MODEL YUV\nSRBF_SPREAD 0.35\n") +
                   kCenters2 + kIdentity +
                   "PROJECTION_TYPE PLANAR_PERSP\nFOV 45 30\nCYLINDER 1 2 3\n"
                   "REFER_FILE_BEGIN 1 SCATTERED\nref000.ppm 30 60\nREFER_FILE_END\n");
  EXPECT_EQ(p.result, kReadDone);
  EXPECT_EQ(p.out + p.err, "");
  EXPECT_STREQ(d.base_path, "data/");
  EXPECT_EQ(d.refer_format, kReferFormatPpm);
  EXPECT_EQ(d.refer_width, 256);
  EXPECT_EQ(d.refer_height, 128);
  EXPECT_STREQ(d.encoded_file, "scene");
  EXPECT_EQ(d.encoded_color_model, kColorModelYuv);
  EXPECT_EQ(d.srbf_spread, 0.35f);
  ASSERT_EQ(d.srbf_center_count, 2);
  EXPECT_EQ(d.srbf_center_scheme, kCenterSchemeHammersley);
  EXPECT_EQ(d.srbf_centers[1]->theta, 90.0f);
  EXPECT_EQ(d.srbf_centers[1]->phi, 45.0f);
  EXPECT_EQ(d.light_eye_transform[2][2], 1.0f);
  EXPECT_EQ(d.light_eye_transform[2][3], 0.0f);
  EXPECT_EQ(d.projection_type, kProjectionPlanarPersp);
  EXPECT_EQ(d.fov[1], 30.0f);
  EXPECT_EQ(d.cylinder[2], 3.0f);
  ASSERT_EQ(d.ref_file_count, 1);
  EXPECT_EQ(d.ref_file_scheme, 8);
  EXPECT_STREQ(d.ref_file_names[0], "ref000.ppm");
  EXPECT_EQ(d.ref_file_phi[0], 60.0f);
}

TEST(RelightDescription, KeywordPositionCommentsAndCase) {
  RelightDescription d;
  Parse(d,
        "base_path lower\nX #note BASE_PATH hidden\nREFER_FORMAT bmp\n"
        "ENCODED_COLOR_MODEL XYZ\nPROJECTION_TYPE CYLINDER\n");
  EXPECT_FALSE(HasBasePath(d));
  EXPECT_EQ(d.refer_format, -1);
  EXPECT_EQ(d.encoded_color_model, -1);
  EXPECT_EQ(d.projection_type, -1);
  EXPECT_EQ(d.cylinder[0], -1.0f);  // CYLINDER was a value, not a keyword

  Parse(d,
        "SET BASE_PATH data\\ ENCODED_FILE x\n   \n#BASE_PATH y\nREFER_RESOLUTION 12abc -3\n"
        "ENCODED_FILE #name trailing words\nSRBF_SPREAD .5e1x\nFOV nan 0x10\n");
  EXPECT_STREQ(d.base_path, "data\\/");  // a backslash does not count as the final slash
  EXPECT_STREQ(d.encoded_file, "#name");
  EXPECT_EQ(d.refer_width, 12);
  EXPECT_EQ(d.refer_height, -3);
  EXPECT_EQ(d.srbf_spread, 5.0f);
  EXPECT_EQ(d.fov[0], 0.0f);  // decimal reals only
  EXPECT_EQ(d.fov[1], 0.0f);

  Parse(d, "BASE_PATH data/\nREFER_RESOLUTION 99999999999 -99999999999\n");
  EXPECT_STREQ(d.base_path, "data/");
  EXPECT_EQ(d.refer_width, 2147483647);
  EXPECT_EQ(d.refer_height, -2147483647 - 1);
}

TEST(RelightDescription, LongLinesArePiecesAndValuesStayInTheirBuffers) {
  RelightDescription d;
  // A line of 2047 characters is one piece; the keyword at the start of the next piece counts.
  std::string filler(2047 - 6, 'x');
  Parsed p = Parse(d, "FOV 1 " + filler + "BASE_PATH split\n");
  EXPECT_EQ(d.fov[0], 1.0f);
  EXPECT_STREQ(d.base_path, "split/");

  // Values longer than the 1024-byte buffers are refused with a message.
  std::string path1022(1022, 'p'), path1023(1023, 'p');
  p = Parse(d, "BASE_PATH " + path1022 + "\nENCODED_FILE " + std::string(1023, 'e') + "\n");
  EXPECT_EQ(std::string(d.base_path), path1022 + "/");
  EXPECT_EQ(std::string(d.encoded_file).size(), 1023u);
  EXPECT_EQ(p.err, "");
  p = Parse(d, "BASE_PATH " + path1023 + "\nENCODED_FILE " + std::string(1024, 'f') + "\n");
  EXPECT_EQ(std::string(d.base_path), path1022 + "/");
  EXPECT_EQ(std::string(d.encoded_file)[0], 'e');
  EXPECT_NE(p.err.find("BASE_PATH value longer than 1022"), std::string::npos);
  EXPECT_NE(p.err.find("ENCODED_FILE value longer than 1023"), std::string::npos);
}

TEST(RelightDescription, CenterBlocks) {
  RelightDescription d;
  Parsed p = Parse(d,
                   "SRBF_CENTER_BEGIN 2 OTHER\n0 0 42B40000 0\n1 2\n3 4\n5 6\n"
                   "SRBF_CENTER_END\nSRBF_SPREAD 2\n");
  EXPECT_EQ(p.err, "SRBF centers containts too many...\n");
  ASSERT_EQ(d.srbf_center_count, 2);
  EXPECT_EQ(d.srbf_center_scheme, kCenterSchemeOther);
  EXPECT_EQ(d.srbf_centers[0]->theta, 90.0f);
  EXPECT_EQ(d.srbf_centers[1]->phi, 2.0f);
  EXPECT_EQ(d.srbf_spread, 2.0f);  // parsing goes on after the end line

  // A second block replaces the first; a block cut short keeps what it read.
  p = Parse(d, "SRBF_CENTER_BEGIN 3 HEMI_HAMMERSLEY\n7 8 0x3F800000\n\nSRBF_CENTER_END\nFOV 1 1\n");
  EXPECT_EQ(d.srbf_center_count, 1);
  EXPECT_EQ(d.srbf_center_scheme, kCenterSchemeHemiHammersley);
  EXPECT_EQ(d.srbf_centers[0]->theta, 1.0f);
  EXPECT_EQ(d.srbf_centers[0]->phi, 8.0f);
  EXPECT_EQ(d.fov[0], 1.0f);
  EXPECT_NE(p.err.find("ends after 1 of 3"), std::string::npos);

  // A huge count allocates as lines come; a negative one reads nothing and ends.
  p = Parse(d, "SRBF_CENTER_BEGIN 2000000000 HAMMERSLEY\n1 1\n2 2\n");
  EXPECT_EQ(p.result, kReadDone);
  EXPECT_EQ(d.srbf_center_count, 2);
  p = Parse(d, "SRBF_CENTER_BEGIN -5 HAMMERSLEY\n1 1\nSRBF_CENTER_END\nREFER_RESOLUTION 4 4\n");
  EXPECT_EQ(d.srbf_center_count, 0);
  EXPECT_EQ(d.refer_width, 4);
  EXPECT_NE(p.err.find("negative count -5"), std::string::npos);

  // Missing values: no count ignores the line; no scheme word reads the block as scheme 3.
  p = Parse(d, "SRBF_CENTER_BEGIN\nSRBF_CENTER_BEGIN 1\n5\nSRBF_CENTER_END\n");
  ASSERT_EQ(d.srbf_center_count, 1);
  EXPECT_EQ(d.srbf_center_scheme, kCenterSchemeOther);
  EXPECT_EQ(d.srbf_centers[0]->phi, 0.0f);
  EXPECT_NE(p.err.find("SRBF_CENTER_BEGIN needs 1 value"), std::string::npos);
  EXPECT_NE(p.err.find("short line"), std::string::npos);
}

TEST(RelightDescription, LightEyeBlock) {
  RelightDescription d;
  Parsed p = Parse(d,
                   "LIGHT_EYE_TRANSFORM_BEGIN\n1 2 3 4\n5 6 7 8\n9 10 11 12\n13 14 15 16\n"
                   "17 18 19 20\nLIGHT_EYE_TRANSFORM_END\nREFER_RESOLUTION 8 8\n");
  EXPECT_EQ(p.result, kReadFailed);
  EXPECT_EQ(p.err, "light eye transform fail...\n");
  EXPECT_EQ(d.light_eye_transform[1][2], 7.0f);  // element (r, c) is value 4r + c
  EXPECT_EQ(d.light_eye_transform[3][3], 16.0f);
  EXPECT_EQ(d.refer_width, -1);  // nothing after the failure is read

  RelightDescription short_block;
  p = Parse(short_block, "LIGHT_EYE_TRANSFORM_BEGIN\n1 0 0 0\nLIGHT_EYE_TRANSFORM_END\n");
  EXPECT_EQ(p.result, kReadFailed);
  EXPECT_NE(p.err.find("light eye transform fail...\n"), std::string::npos);
  EXPECT_EQ(short_block.light_eye_transform[0][0], 1.0f);
}

// The end word belongs on the line right after the block's lines. A blank line there is not
// it, while blank lines among the block's own lines are still passed over.
TEST(RelightDescription, BlankLineWhereTheEndLineBelongs) {
  RelightDescription eye;
  Parsed p = Parse(eye, "LIGHT_EYE_TRANSFORM_BEGIN\n1 0 0 0\n\n0 1 0 0\n0 0 1 0\n0 0 0 1\n\n"
                        "LIGHT_EYE_TRANSFORM_END\nREFER_RESOLUTION 8 8\n");
  EXPECT_EQ(p.result, kReadFailed);
  EXPECT_EQ(p.err, "light eye transform fail...\n");
  EXPECT_EQ(eye.light_eye_transform[3][3], 1.0f);  // the four rows stay
  EXPECT_EQ(eye.refer_width, -1);

  RelightDescription centres;
  p = Parse(centres, "SRBF_CENTER_BEGIN 2 HAMMERSLEY\n1 2\n\n3 4\n\nSRBF_CENTER_END\nSRBF_SPREAD 2\n");
  EXPECT_EQ(p.result, kReadDone);
  EXPECT_EQ(p.err, "SRBF centers containts too many...\n");
  ASSERT_EQ(centres.srbf_center_count, 2);
  EXPECT_EQ(centres.srbf_centers[1]->phi, 4.0f);
  EXPECT_EQ(centres.srbf_spread, 2.0f);

  RelightDescription refs;
  p = Parse(refs, "REFER_FILE_BEGIN 1 SCATTERED\na.ppm 1 2\n   \t\nREFER_FILE_END\nFOV 3 3\n");
  EXPECT_EQ(p.err, "ref_file information containts too many...\n");
  EXPECT_EQ(refs.ref_file_count, 1);
  EXPECT_EQ(refs.fov[0], 3.0f);
}

TEST(RelightDescription, RefFileBlocks) {
  RelightDescription d;
  Parse(d, "REFER_FILE_BEGIN 0\nREFER_FILE_END\n");
  EXPECT_EQ(d.ref_file_scheme, -1);
  EXPECT_EQ(d.ref_file_count, 0);
  EXPECT_NE(d.ref_file_names, nullptr);

  Parsed p = Parse(d,
                   "REFER_FILE_BEGIN 2 HEMI_HEALPIX\na.ppm 1 2 0 40000000 # x\nb.ppm 3\n"
                   "c.ppm 5 6\nREFER_FILE_BEGIN 9\nREFER_FILE_END\nFOV 3 3\n");
  EXPECT_NE(p.err.find("ref_file information containts too many...\n"), std::string::npos);
  ASSERT_EQ(d.ref_file_count, 2);
  EXPECT_EQ(d.ref_file_scheme, 7);
  EXPECT_EQ(d.ref_file_theta[0], 0.0f);  // hexadecimal words replace both angles
  EXPECT_EQ(d.ref_file_phi[0], 2.0f);
  EXPECT_EQ(d.ref_file_theta[1], 3.0f);
  EXPECT_EQ(d.ref_file_phi[1], 0.0f);
  EXPECT_EQ(d.fov[0], 3.0f);

  p = Parse(d, "REFER_FILE_BEGIN 1 UNKNOWN\n" + std::string(1100, 'n') + " 1 1\nREFER_FILE_END\n");
  ASSERT_EQ(d.ref_file_count, 1);  // the second block replaced the first
  EXPECT_EQ(d.ref_file_scheme, kRefSchemeOther);
  EXPECT_STREQ(d.ref_file_names[0], "");
  EXPECT_NE(p.err.find("longer than 1023"), std::string::npos);
}

}  // namespace

namespace {

// The object keyword: read when present, and a file with it still reads the same everywhere
// else, as for a reader that skips it by the keyword-position rule (neither word is another
// keyword).
TEST(RelightDescription, ModelFileKeyword) {
  const std::string body = "BASE_PATH data\nREFER_RESOLUTION 8 4\nENCODED_FILE lightmap\n";
  RelightDescription with, without;
  Parse(with, body + "MODEL_FILE object.vmesh trailing\n");
  Parse(without, body);
  EXPECT_STREQ(with.model_file, "object.vmesh");
  EXPECT_TRUE(HasModelFile(with));
  EXPECT_FALSE(HasModelFile(without));
  EXPECT_STREQ(with.base_path, without.base_path);
  EXPECT_STREQ(with.encoded_file, without.encoded_file);
  EXPECT_EQ(with.refer_width, without.refer_width);

  const std::string path = testing::TempDir() + "model_" + std::to_string(getpid()) + ".qdx";
  ASSERT_TRUE(WriteRelightDescription(path.c_str(), with));
  RelightDescription back;
  ASSERT_EQ(back.Read(path.c_str()), kReadDone);
  EXPECT_STREQ(back.model_file, "object.vmesh");
  std::snprintf(with.model_file, sizeof with.model_file, "two words");
  EXPECT_FALSE(WriteRelightDescription(path.c_str(), with));
  std::remove(path.c_str());
}

}  // namespace
