#include "app/input.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include "app/benchmark.h"
#include "app/display.h"
#include "app/globals.h"
#include "app/light_choice.h"
#include "app/window_operations.h"
#include "common/fatal.h"

void Reshape(int width, int height) {
  glutReshapeWindow(window_width, window_height);
  PostWindowRedisplay();
}

void Keyboard(unsigned char key, int x, int y) {
  switch (key) {
    case 27:
    case 'q':
    case 'Q':
      veltrane::FatalExit(0);
    case 'a':
    case 'A':
      light_moving = light_moving == 0 ? 1 : 0;
      break;
    case 'p':
    case 'P':
      RunBenchmark();
      break;
    case 'x':
    case 'X':
      azimuth_step -= 5.0f;
      break;
    case 'z':
    case 'Z':
      azimuth_step += 5.0f;
      break;
    case 'e':
    case 'E':
      StepLight();
      break;
    default:
      break;
  }
  PostWindowRedisplay();
}

void Mouse(int button, int state, int x, int y) {
  if (button == GLUT_LEFT_BUTTON) {
    drag_mode = 1;
  } else if (button == GLUT_RIGHT_BUTTON) {
    drag_mode = 2;
  } else {
    return;
  }
  if (state == GLUT_DOWN) {
    dragging = 1;
    last_mouse_x = x;
    last_mouse_y = y;
    PostWindowRedisplay();
    Display();
  } else if (state == GLUT_UP) {
    dragging = 0;
  }
}

namespace {

float WrapFullTurn(float angle) { return angle >= 360.0f || angle <= -360.0f ? 0.0f : angle; }

}  // namespace

void Motion(int x, int y) {
  if (!dragging || (drag_mode != 1 && drag_mode != 2)) {
    last_mouse_x = x;
    last_mouse_y = y;
    return;
  }
  if (drag_mode == 1) {
    view_rot_y += static_cast<float>(x - last_mouse_x) / static_cast<float>(window_width) * 360.0f;
    view_rot_x += static_cast<float>(y - last_mouse_y) / static_cast<float>(window_height) * 360.0f;
    view_rot_y = WrapFullTurn(view_rot_y);
    view_rot_x = WrapFullTurn(view_rot_x);
    if (view_rot_x <= -10.0f) {
      view_rot_x = -10.0f;
    } else if (view_rot_x >= 60.0f) {
      view_rot_x = 60.0f;
    }
  } else {
    int d = (y - last_mouse_y) / 7;
    view_translation[2] += static_cast<float>(d);
    if (view_translation[2] > -3.0f) {
      view_translation[2] = -3.0f;
    } else if (view_translation[2] < -30.0f) {
      view_translation[2] = -30.0f;
    }
  }
  PostWindowRedisplay();
  last_mouse_x = x;
  last_mouse_y = y;
}
