// The fixed-function model-view and projection matrices of each GL context, kept on the
// processor, so that shaders can be handed them without asking the driver (a glGetFloatv waits
// for a driver that runs on a thread of its own).
//
// Every program that links veltrane_render has its calls of glMatrixMode, glLoadIdentity,
// glLoadMatrix*, glMultMatrix*, glPushMatrix, glPopMatrix, glTranslate*, glRotate*, glScale*,
// glOrtho, glFrustum, gluPerspective, gluOrtho2D, glPushAttrib and glPopAttrib routed through
// this record by the linker (--wrap, see CMakeLists.txt); each is recorded and then made in GL.
// The arithmetic is GL's own, in single precision, in the order Mesa does it, so that the
// record holds the same numbers as the driver. gluPerspective and gluOrtho2D are computed here
// as GLU computes them and handed to GL as glMultMatrixd and glOrtho.
#pragma once

#include <GL/glew.h>

namespace veltrane {

// The current context's model-view (GL_MODELVIEW) or projection (GL_PROJECTION) matrix,
// column-major. False for any other matrix, and with no context current.
bool TrackedMatrix(GLenum which, GLfloat out[16]);

}  // namespace veltrane
