#include "app/light_animation.h"

#include "app/globals.h"
#include "app/window_operations.h"
#include "common/direction.h"

void Idle() {
  if (light_moving) {
    light_azimuth += azimuth_step;
    if (light_azimuth > 360.0f) {
      light_azimuth = 0.0f;
      if (sweep_direction == 1) {
        sweep_counter += 1.0f;
        light_polar += 1.0f;
        if (sweep_counter >= 8.0f) sweep_direction = 0;
      } else {
        sweep_counter -= 1.0f;
        light_polar -= 1.0f;
        if (sweep_counter <= -7.0f) sweep_direction = 1;
      }
    }
  }
  light_dir = DirectionFromAngles(light_polar * veltrane::kRadiansPerDegree,
                                  light_azimuth * veltrane::kRadiansPerDegree);
  VecNormalize(light_dir);
  SetCurrentWindow(window_id);
  PostWindowRedisplay();
}
