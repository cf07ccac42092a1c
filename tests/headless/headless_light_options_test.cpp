// veltrane-headless's --light and --turn: the seed's light unless told, and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/headless/headless_options.h"

namespace {

bool Parse(std::vector<const char*> args, HeadlessOptions* options, std::string* error) {
  args.insert(args.begin(), "veltrane-headless");
  return ParseHeadlessOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(HeadlessLightOptionsTest, LightAndTurn) {
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
