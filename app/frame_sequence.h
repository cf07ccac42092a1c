// Frames drawn one after another as the viewer's main loop draws them: the first with the
// start-up light, each later one after one call of the idle handler (which moves the light).
#pragma once

// Draws `count` frames (none for count < 1).
void DrawFrameSequence(int count);
