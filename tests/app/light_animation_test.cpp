// The light's circle and polar sweep, and the drag rules of the view.
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

  // Paused: the direction is still recomputed, the angles stay.
  Keyboard('a', 0, 0);
  Idle();
  EXPECT_EQ(light_azimuth, -800.0f);
  Keyboard('A', 0, 0);
  EXPECT_EQ(light_moving, 1);
}

TEST(LightAnimationTest, DragsRotateAndZoomWithinTheirLimits) {
  ASSERT_TRUE(EnsureGlWindow());
  window_id = GlTestWindowId();
  window_width = 200;
  window_height = 100;
  view_rot_x = view_rot_y = 0.0f;
  view_translation[2] = -4.0f;

  // Zoom: under 7 pixels per motion event changes nothing, but the position still moves on.
  drag_mode = 2;
  dragging = 1;
  last_mouse_x = last_mouse_y = 0;
  for (int y = 6; y <= 60; y += 6) Motion(0, y);
  EXPECT_EQ(view_translation[2], -4.0f);
  Motion(0, 60 + 14);
  EXPECT_EQ(view_translation[2], -3.0f);  // closer than -3 is clamped
  Motion(0, 74 - 700);
  EXPECT_EQ(view_translation[2], -30.0f);

  // Rotate: a full width turns 360 degrees about Y, which wraps to 0; X stays within -10 .. 60,
  // but reaching 360 resets it to 0 first.
  drag_mode = 1;
  last_mouse_x = last_mouse_y = 0;
  Motion(50, 10);
  EXPECT_FLOAT_EQ(view_rot_y, 90.0f);
  EXPECT_FLOAT_EQ(view_rot_x, 36.0f);
  Motion(250, 10);
  EXPECT_EQ(view_rot_y, 0.0f);
  Motion(250, 20);
  EXPECT_EQ(view_rot_x, 60.0f);
  view_rot_x = 330.0f;
  Motion(250, 30);
  EXPECT_EQ(view_rot_x, 0.0f);

  // Not dragging: only the position is kept.
  dragging = 0;
  Motion(7, 9);
  EXPECT_EQ(last_mouse_x, 7);
  EXPECT_EQ(view_rot_x, 0.0f);
}

}  // namespace
}  // namespace veltrane::test
