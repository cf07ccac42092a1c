#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cmath>

#include "app/globals.h"
#include "app/input.h"

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
  double theta = light_polar * 0.017453292519943295;
  double phi = light_azimuth * 0.017453292519943295;
  light_dir.x = static_cast<float>(std::sin(theta) * std::cos(phi));
  light_dir.y = static_cast<float>(std::cos(theta));
  light_dir.z = static_cast<float>(-(std::sin(theta) * std::sin(phi)));
  light_dir.w = 1.0f;
  VecNormalize(light_dir);
  glutSetWindow(window_id);
  glutPostRedisplay();
}
