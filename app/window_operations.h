// The few window operations that the frame and the handlers use, behind one seam: GLUT's for
// the viewer (the default), the offscreen window target's for veltrane-headless.
#pragma once

struct WindowOperations {
  int (*get_current)();           // the current window's id; 0 for none
  void (*set_current)(int id);    // makes the window current
  void (*swap_buffers)();         // presents the frame drawn in the current window
  void (*post_redisplay)();       // asks for the current window to be drawn again
};

// GLUT's operations (glutGetWindow, glutSetWindow, glutSwapBuffers, glutPostRedisplay).
WindowOperations GlutWindowOperations();

// Replaces the operations (all four must be given); GLUT's until then.
void SetWindowOperations(const WindowOperations& operations);
// The operations in use, for a caller that wraps them and puts them back.
WindowOperations CurrentWindowOperations();

int GetCurrentWindow();
void SetCurrentWindow(int id);
void SwapWindowBuffers();
void PostWindowRedisplay();
