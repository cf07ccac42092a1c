// Descriptions that the viewer cannot use end start-up with a message and status 1, before the
// window opens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/startup.h"
#include "relight/description.h"
#include "relight/globals.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {
namespace {

const char kGood[] =
    "BASE_PATH data\nREFER_RESOLUTION 8 4\nENCODED_FILE scene\nSRBF_SPREAD 0.5\n"
    "SRBF_CENTER_BEGIN 2 HAMMERSLEY\n0 0\n90 45\nSRBF_CENTER_END\n"
    "LIGHT_EYE_TRANSFORM_BEGIN\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\nLIGHT_EYE_TRANSFORM_END\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string Centres(int n) {
  std::string block = "SRBF_CENTER_BEGIN " + std::to_string(n) + " HAMMERSLEY\n";
  for (int i = 0; i < n; ++i) block += "10 " + std::to_string(i * 10) + "\n";
  return block + "SRBF_CENTER_END\n";
}

struct Outcome {
  int status;
  std::string err;
};

Outcome LoadText(const char* text) {
  char path[] = "/tmp/veltrane-qdx-XXXXXX";
  int fd = mkstemp(path);
  EXPECT_GE(fd, 0);
  close(fd);
  if (text != nullptr) {
    std::ofstream(path) << text;
  } else {
    std::remove(path);
  }
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  int status = catcher.Run([&] { delete LoadDescription(path); });
  Outcome outcome{status, testing::internal::GetCapturedStderr()};
  std::remove(path);
  return outcome;
}

TEST(DescriptionCheckTest, UnusableDescriptionsStopStartUpWithAReason) {
  const std::string good = kGood;
  const std::string centres2 = "SRBF_CENTER_BEGIN 2 HAMMERSLEY\n0 0\n90 45\nSRBF_CENTER_END\n";
  struct Case {
    std::string text;
    const char* reason;
  } cases[] = {
      {Replace(good, "REFER_RESOLUTION 8 4\n", ""), "REFER_RESOLUTION is missing or not positive"},
      {Replace(good, "8 4", "8 0"), "REFER_RESOLUTION is missing or not positive"},
      {Replace(good, "8 4", "-8 4"), "REFER_RESOLUTION is missing or not positive"},
      {Replace(good, "8 4", "100000 4"), "REFER_RESOLUTION is larger than 16384"},
      {Replace(good, centres2, ""), "no SRBF centers"},
      {Replace(good, centres2, Centres(26)), "more than 25 SRBF centers (five light maps of five centers at most)"},
      {Replace(good, "BASE_PATH data\n", ""), "BASE_PATH is missing"},
      {Replace(good, "ENCODED_FILE scene\n", ""), "ENCODED_FILE is missing"},
      {Replace(good, "0 0 0 1\nLIGHT_EYE_TRANSFORM_END\n", "LIGHT_EYE_TRANSFORM_END\n"),
       "the LIGHT_EYE_TRANSFORM block is missing or incomplete"},
      {good.substr(0, good.find("LIGHT_EYE")), "the LIGHT_EYE_TRANSFORM block is missing or incomplete"},
      {Replace(good, "SRBF_SPREAD 0.5", "SRBF_SPREAD 0"), "SRBF_SPREAD is zero"},
      {Replace(good, "SRBF_SPREAD 0.5", "SRBF_SPREAD 1e39"), "SRBF_SPREAD is not a finite number"},
      {Replace(good, "0 0 1 0\n", "0 0 1e39 0\n"), "a LIGHT_EYE_TRANSFORM value is not a finite number"},
      {Replace(good, "0 0 1 0\n", "0 0 -1e39 0\n"), "a LIGHT_EYE_TRANSFORM value is not a finite number"},
      // A block that breaks off the parse before its rows are complete is refused as such,
      // even when the keywords behind it were never read.
      {"LIGHT_EYE_TRANSFORM_BEGIN\n1 0 0 0\nLIGHT_EYE_TRANSFORM_END\n" + good,
       "the LIGHT_EYE_TRANSFORM block is missing or incomplete"},
  };
  for (const Case& c : cases) {
    Outcome outcome = LoadText(c.text.c_str());
    EXPECT_EQ(outcome.status, 1) << c.reason;
    EXPECT_NE(outcome.err.find(std::string(": ") + c.reason + "\n"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("[LoadDescription]: "), std::string::npos) << outcome.err;
  }

  Outcome missing = LoadText(nullptr);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot open it for reading"), std::string::npos) << missing.err;
}

TEST(DescriptionCheckTest, DirectoryInPlaceOfTheFileIsNamedAsSuch) {
  char dir[] = "/tmp/veltrane-qdx-dir-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  int status = catcher.Run([&] { delete LoadDescription(dir); });
  std::string err = testing::internal::GetCapturedStderr();
  rmdir(dir);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, std::string("[LoadDescription]: ") + dir + ": it is a directory, not a file\n");
}

// Four complete rows are all the viewer needs of the light-eye block: a missing, misspelt or
// blank end line is the parser's to report, and start-up goes on with the rows.
TEST(DescriptionCheckTest, CompleteLightEyeRowsWithoutTheirEndLineAreUsed) {
  const std::string good = kGood;
  const std::string end = "LIGHT_EYE_TRANSFORM_END\n";
  for (const std::string& text : {Replace(good, end, ""), Replace(good, end, "LIGHT_EYE_TRANSFORM_ENDE\n"),
                                  Replace(good, end, "\n" + end), Replace(good, "0 0 0 1\n", "0 0 0 2\n# x\n")}) {
    Outcome outcome = LoadText(text.c_str());
    EXPECT_EQ(outcome.status, FatalCatcher::kNoExit) << text << outcome.err;
    EXPECT_EQ(outcome.err, "light eye transform fail...\n") << text;
    EXPECT_EQ(refer_width, 8);
    EXPECT_EQ(light_eye_transform.data[2][2], 1.0f);
  }
}

TEST(DescriptionCheckTest, UsableDescriptionFillsTheGlobals) {
  // 25 centres, no SRBF_SPREAD (acts as 1): accepted.
  std::string text = Replace(Replace(kGood, "SRBF_SPREAD 0.5\n", ""),
                             "SRBF_CENTER_BEGIN 2 HAMMERSLEY\n0 0\n90 45\nSRBF_CENTER_END\n", Centres(25));
  Outcome outcome = LoadText(text.c_str());
  EXPECT_EQ(outcome.status, FatalCatcher::kNoExit) << outcome.err;
  EXPECT_EQ(refer_width, 8);
  EXPECT_EQ(refer_height, 4);
  EXPECT_EQ(srbf_center_count, 25);
  EXPECT_EQ(srbf_spread, -1.0f);
  EXPECT_STREQ(base_path, "data/");
  EXPECT_STREQ(encoded_file_name, "scene");
  EXPECT_EQ(light_eye_transform.rows, 4);
  EXPECT_EQ(light_eye_transform.data[3][3], 1.0f);
}

}  // namespace
}  // namespace veltrane::test
