// veltrane-headless's command line: what it accepts and what it refuses (the program prints the
// message with the usage text and ends with status 2).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/headless/headless_options.h"

namespace {

bool Parse(std::vector<const char*> args, HeadlessOptions* options, std::string* error) {
  args.insert(args.begin(), "veltrane-headless");
  return ParseHeadlessOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(HeadlessOptionsTest, DefaultsAndEveryOption) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, &options, &error));
  EXPECT_EQ(options.frames, 1);
  EXPECT_FALSE(options.benchmark);
  EXPECT_TRUE(options.screenshot.empty());
  EXPECT_EQ(options.device, -1);
  EXPECT_FALSE(options.list_devices);
  EXPECT_FALSE(options.gl_debug);

  ASSERT_TRUE(Parse({"--frames", "47", "--benchmark", "--screenshot", "a b.png", "--device", "0",
                     "--list-devices", "--gl-debug", "--startup-profile"},
                    &options, &error))
      << error;
  EXPECT_EQ(options.frames, 47);
  EXPECT_TRUE(options.benchmark);
  EXPECT_EQ(options.screenshot, "a b.png");
  EXPECT_EQ(options.device, 0);
  EXPECT_TRUE(options.list_devices);
  EXPECT_TRUE(options.gl_debug);
  EXPECT_TRUE(options.startup_profile);

  // The last of a repeated option counts; a parse starts from the defaults.
  ASSERT_TRUE(Parse({"--frames", "3", "--frames", "2147483647"}, &options, &error));
  EXPECT_EQ(options.frames, 2147483647);
  EXPECT_FALSE(options.benchmark);
}

TEST(HeadlessOptionsTest, RefusesBadNumbersMissingValuesAndStrangers) {
  const std::vector<std::vector<const char*>> bad = {
      {"--frames", "0"},        {"--frames", "-3"},     {"--frames", "+3"},
      {"--frames", " 3"},       {"--frames", "3x"},     {"--frames", ""},
      {"--frames", "2147483648"}, {"--frames"},         {"--device", "-1"},
      {"--device", "one"},      {"--device"},           {"--screenshot"},
      {"--screenshot", ""},     {"--bogus"},            {"frames"},
      {"-f", "3"},              {"--frames=3"},         {"--screenshot", "x.jpg"},
      {"--screenshot", ".png"}, {"--screenshot", "x.PNG.txt"},
  };
  for (const auto& args : bad) {
    HeadlessOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  HeadlessOptions options;
  std::string error;
  EXPECT_FALSE(Parse({"--frames", "x"}, &options, &error));
  EXPECT_EQ(error, "--frames: not a positive whole number: 'x'");
  EXPECT_FALSE(Parse({"--nope"}, &options, &error));
  EXPECT_EQ(error, "unknown argument '--nope'");
  // A picture is only ever PNG data, so a name that promises another format is refused.
  EXPECT_FALSE(Parse({"--screenshot", "x.jpg"}, &options, &error));
  EXPECT_EQ(error, "--screenshot saves a PNG picture: give a name ending in .png, not 'x.jpg'");
  ASSERT_TRUE(Parse({"--version"}, &options, &error));
  EXPECT_TRUE(options.version);
}

// --light and --turn: the seed's light unless told, and the refusals.
TEST(HeadlessOptionsTest, LightAndTurn) {
  HeadlessOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, &options, &error));
  EXPECT_EQ(options.light, "seed");
  EXPECT_EQ(options.turn, 0.0);
  ASSERT_TRUE(Parse({"--light", "sky", "--turn", "-42.5", "--frames", "3"}, &options, &error)) << error;
  EXPECT_EQ(options.light, "sky");
  EXPECT_EQ(options.turn, -42.5);
  EXPECT_EQ(options.frames, 3);
  ASSERT_TRUE(Parse({"--light", "environment/a b.exr"}, &options, &error)) << error;
  EXPECT_EQ(options.light, "environment/a b.exr");

  for (const std::vector<const char*>& bad :
       {std::vector<const char*>{"--light"}, {"--light", ""}, {"--turn"}, {"--turn", "east"}, {"--turn", "1e999"},
        {"--turn", "nan"}, {"--turn", "12x"}}) {
    EXPECT_FALSE(Parse(bad, &options, &error)) << bad.back();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
