#include "app/window_operations.h"

#include <GL/freeglut.h>

namespace {

int GlutGetWindow() { return glutGetWindow(); }
void GlutSetWindow(int id) { glutSetWindow(id); }
void GlutSwapBuffers() { glutSwapBuffers(); }
void GlutPostRedisplay() { glutPostRedisplay(); }

WindowOperations g_operations = GlutWindowOperations();

}  // namespace

WindowOperations GlutWindowOperations() {
  return {&GlutGetWindow, &GlutSetWindow, &GlutSwapBuffers, &GlutPostRedisplay};
}

void SetWindowOperations(const WindowOperations& operations) { g_operations = operations; }
WindowOperations CurrentWindowOperations() { return g_operations; }

int GetCurrentWindow() { return g_operations.get_current(); }
void SetCurrentWindow(int id) { g_operations.set_current(id); }
void SwapWindowBuffers() { g_operations.swap_buffers(); }
void PostWindowRedisplay() { g_operations.post_redisplay(); }
