// GLUT input, reshape and idle handlers, the light animation and the benchmark.
#pragma once

void Reshape(int width, int height);
void Keyboard(unsigned char key, int x, int y);
void Mouse(int button, int state, int x, int y);
void Motion(int x, int y);

// Advances the light's azimuth (and, after each full turn, its polar angle), recomputes
// light_dir and posts a redisplay.
void Idle();

// Wall-clock time in seconds, to the millisecond.
double GetTimeSeconds();

// Draws 100 frames and reports the rate on stderr.
void RunBenchmark();
