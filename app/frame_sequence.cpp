#include "app/frame_sequence.h"

#include "app/display.h"
#include "app/light_animation.h"

void DrawFrameSequence(int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) Idle();
    Display();
  }
}
