// GLUT input and reshape handlers: the keys, the mouse drags and the fixed window size.
#pragma once

void Reshape(int width, int height);
void Keyboard(unsigned char key, int x, int y);
void Mouse(int button, int state, int x, int y);
void Motion(int x, int y);
