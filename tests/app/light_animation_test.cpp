// The light's circle and its polar sweep.
#include <gtest/gtest.h>

#include <cmath>

#include "app/globals.h"
#include "app/input.h"
#include "app/light_animation.h"
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

// light_dir for a few angles, bit for bit as the viewer has always formed it: the relit images
// and the baker's fit depend on these exact floats.
TEST(LightAnimationTest, LightDirectionKeepsItsExactFloats) {
  ASSERT_TRUE(EnsureGlWindow());
  window_id = GlTestWindowId();
  struct Pin {
    float polar, azimuth, x, y, z;
  };
  const Pin pins[] = {
      {37, 0, 0x1.34211ap-1f, 0x1.98e6cp-1f, -0x0p+0f},
      {37, 8, 0x1.31216ep-1f, 0x1.98e6cp-1f, -0x1.571104p-4f},
      {38, 123, -0x1.575c5cp-2f, 0x1.937626p-1f, -0x1.085d58p-1f},
      {30, -800, 0x1.63a1a8p-4f, 0x1.bb67aep-1f, 0x1.f838b8p-2f},
      {45, 352, 0x1.6683eep-1f, 0x1.6a09e6p-1f, 0x1.93169ep-4f},
      {41, 200, -0x1.3ba514p-1f, 0x1.82694cp-1f, 0x1.cb8a94p-3f},
      {33, 47, 0x1.7c5b88p-2f, 0x1.ad663ap-1f, -0x1.97e23p-2f},
  };
  ResetLight();
  light_moving = 0;
  for (const Pin& pin : pins) {
    light_polar = pin.polar;
    light_azimuth = pin.azimuth;
    Idle();
    EXPECT_EQ(light_dir.x, pin.x) << pin.polar << " " << pin.azimuth;
    EXPECT_EQ(light_dir.y, pin.y) << pin.polar << " " << pin.azimuth;
    EXPECT_EQ(light_dir.z, pin.z) << pin.polar << " " << pin.azimuth;
    EXPECT_EQ(std::signbit(light_dir.z), std::signbit(pin.z)) << pin.polar << " " << pin.azimuth;
    EXPECT_EQ(light_dir.w, 1.0f);
  }
  ResetLight();
}

}  // namespace
}  // namespace veltrane::test
