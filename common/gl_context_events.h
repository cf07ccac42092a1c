// GL contexts that go away. Code that keeps records per GL context (the shader runtime keeps
// a program pipeline and the enabled stages of each) listens, so that a context created later
// at the same address never finds the old context's record; code that destroys contexts (the
// render targets' platform) tells. Without this, the records would have to be checked against
// GL on every use, and such queries wait for a driver that runs on a thread of its own.
#pragma once

namespace veltrane {

using GlContextListener = void (*)(const void* context);

// Adds a listener; adding the same one again does nothing.
void AddGlContextDestroyedListener(GlContextListener listener);

// Tells every listener that the context (a GLXContext) is being destroyed; call it before or
// after glXDestroyContext, with no need for the context to be current.
void NotifyGlContextDestroyed(const void* context);

}  // namespace veltrane
