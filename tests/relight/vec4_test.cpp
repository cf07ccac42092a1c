#include "relight/vec4.h"

#include <gtest/gtest.h>

#include <cmath>

#include "relight/globals.h"
#include "support/fatal_catcher.h"

namespace {

void SetLightEye(std::initializer_list<float> values) {
  light_eye_transform.Allocate(4, 4);
  auto it = values.begin();
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) light_eye_transform.data[r][c] = *it++;
  }
}

void ExpectVec(const Vec4& v, float x, float y, float z, float w) {
  EXPECT_NEAR(v.x, x, 1e-6);
  EXPECT_NEAR(v.y, y, 1e-6);
  EXPECT_NEAR(v.z, z, 1e-6);
  EXPECT_EQ(v.w, w);
}

TEST(Vec4, TransformDropsTranslationAndKeepsLinearPart) {
  const Vec4 source{0.25f, -0.5f, 0.75f, 1.0f};
  Vec4 out{};
  SetLightEye({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  TransformLightEyeDir(source, out);
  ExpectVec(out, 0.25f, -0.5f, 0.75f, 0.0f);

  SetLightEye({1, 0, 0, 5, 0, 1, 0, -7, 0, 0, 1, 9, 0, 0, 0, 1});
  TransformLightEyeDir(source, out);
  ExpectVec(out, 0.25f, -0.5f, 0.75f, 0.0f);

  SetLightEye({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1});
  TransformLightEyeDir(source, out);
  ExpectVec(out, 0.5f, -1.0f, 1.5f, 0.0f);
  out.w = 1.0f;
  VecNormalize(out);
  const double n = std::sqrt(0.25 * 0.25 + 0.5 * 0.5 + 0.75 * 0.75);
  ExpectVec(out, 0.25 / n, -0.5 / n, 0.75 / n, 1.0f);

  // w reaches the bottom row: M(3,0) x + M(3,1) y + M(3,2) z.
  SetLightEye({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
  TransformLightEyeDir(source, out);
  EXPECT_FLOAT_EQ(out.w, 0.25f - 1.0f + 2.25f);

  veltrane::test::FatalCatcher catcher;
  light_eye_transform.Allocate(3, 3);
  testing::internal::CaptureStdout();
  EXPECT_EQ(catcher.Run([&] { TransformLightEyeDir(source, out); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "The two matrix not match!!!!\n");
}

TEST(Vec4, LengthScaleNormalize) {
  Vec4 v{3, 4, 0, 1};
  EXPECT_EQ(VecLength(v), 5.0);
  VecNormalize(v);
  ExpectVec(v, 0.6f, 0.8f, 0.0f, 1.0f);
  EXPECT_EQ(v.x, static_cast<float>(3.0f * static_cast<float>(1.0 / 5.0)));

  Vec4 zero{0, 0, 0, 1};
  VecNormalize(zero);  // stays zero instead of turning into NaN
  ExpectVec(zero, 0, 0, 0, 1);
}

TEST(Vec4, DirectionConvention) {
  const double deg = 0.017453292519943295;
  ExpectVec(DirectionFromAngles(90 * deg, 90 * deg), 0, 0, -1, 1);
  ExpectVec(DirectionFromAngles(90 * deg, 0), 1, 0, 0, 1);
  ExpectVec(DirectionFromAngles(0, 123 * deg), 0, 1, 0, 1);
  Vec4 v = DirectionFromAngles(37 * deg, 200 * deg);
  EXPECT_NEAR(VecLength(v), 1.0, 1e-7);
}

}  // namespace
