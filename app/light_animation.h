// The light's animation: the GLUT idle handler.
#pragma once

// Advances the light's azimuth (and, after each full turn, its polar angle), recomputes
// light_dir and posts a redisplay.
void Idle();
