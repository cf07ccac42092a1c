// The light's circle and its polar sweep.
#include <gtest/gtest.h>

#include <cmath>

#include "app/globals.h"
#include "app/input.h"
#include "support/gl_test_window.h"

namespace veltrane::test {
namespace {

void ResetLight() {
  light_moving = 1;
  azimuth_step = 8.0f;
  light_azimuth = 0.0f;
  light_polar = 37.0f;
  sweep_counter = 0.0f;
  sweep_direction = 1;
}

TEST(LightAnimationTest, CirclesIn46StepsAndSweepsThePolarAngleBetween30And45) {
  ASSERT_TRUE(EnsureGlWindow());
  window_id = GlTestWindowId();
  ResetLight();
  for (int i = 0; i < 45; ++i) Idle();
  EXPECT_EQ(light_azimuth, 360.0f);  // exactly 360 stays for one more call
  EXPECT_EQ(light_polar, 37.0f);
  Idle();
  EXPECT_EQ(light_azimuth, 0.0f);
  EXPECT_EQ(light_polar, 38.0f);
  EXPECT_NEAR(light_dir.y, std::cos(38.0 * M_PI / 180.0), 1e-6);
  EXPECT_NEAR(std::hypot(light_dir.x, light_dir.y, light_dir.z), 1.0, 1e-6);

  float lowest = light_polar;
  float highest = light_polar;
  for (int i = 0; i < 46 * 40; ++i) {
    Idle();
    lowest = std::fmin(lowest, light_polar);
    highest = std::fmax(highest, light_polar);
  }
  EXPECT_EQ(lowest, 30.0f);
  EXPECT_EQ(highest, 45.0f);

  // "x" twice: the step becomes -2, the azimuth falls without bound and never wraps.
  ResetLight();
  Keyboard('x', 0, 0);
  Keyboard('X', 0, 0);
  EXPECT_EQ(azimuth_step, -2.0f);
  for (int i = 0; i < 400; ++i) Idle();
  EXPECT_EQ(light_azimuth, -800.0f);
  EXPECT_EQ(light_polar, 37.0f);

  // Paused, the angles stay.
  Keyboard('a', 0, 0);
  Idle();
  EXPECT_EQ(light_azimuth, -800.0f);
}

}  // namespace
}  // namespace veltrane::test
