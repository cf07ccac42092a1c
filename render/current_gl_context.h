// The GL context current on this thread, as a key for records kept per context: a GLX context
// (the viewer's window) or an EGL one (veltrane-headless), whichever is current; nullptr when
// none is. The same value that code destroying a context hands to NotifyGlContextDestroyed
// (common/gl_context_events.h).
#pragma once

namespace veltrane {

const void* CurrentGlContext();

}  // namespace veltrane
