// The GL context of the GL benchmarks: a small GLUT window on $DISPLAY, opened once, with GLEW
// started. False when there is no display or GLEW fails.
#pragma once

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdlib>

inline bool OpenBenchWindow() {
  static bool open = false;
  if (open) return true;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') return false;
  int argc = 1;
  char name[] = "bench";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE);
  glutInitWindowSize(64, 64);
  glutCreateWindow("bench");
  glewExperimental = GL_TRUE;
  open = glewInit() == GLEW_OK;
  return open;
}
