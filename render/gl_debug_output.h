// The driver's own error reports (KHR_debug or GL_ARB_debug_output): turned on by the GL tests
// and by veltrane-headless --gl-debug, so that a call the driver refuses is seen where it is
// made instead of passing unnoticed.
#pragma once

namespace veltrane {

using GlErrorSink = void (*)(const char* message);

// Turns on the current context's debug output, synchronous (the report comes inside the
// failing call), and hands every error message (GL_DEBUG_TYPE_ERROR) to `sink`; with no sink
// each is written to standard error as "GL error: MESSAGE\n". Other messages (performance,
// portability, notes) are not errors and are dropped. False when the driver offers neither
// extension, or no context is current (GLEW must be initialised).
bool EnableGlDebugOutput(GlErrorSink sink);

// The error messages reported since debug output was first turned on.
int GlDebugErrorCount();

// Whether the contexts made from now on (EGL, render/egl_context.h) ask for debug contexts,
// in which drivers report the most.
void SetDebugContexts(bool debug);
bool DebugContexts();

}  // namespace veltrane
