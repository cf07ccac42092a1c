// A desktop OpenGL context with no window: an EGL display on a device (EGL_EXT_platform_device,
// found by EGL_EXT_device_enumeration) or, where no device is offered, on Mesa's surfaceless
// platform; the context is current on no surface and draws into framebuffer objects.
#pragma once

#include <EGL/egl.h>

#include <string>
#include <vector>

namespace veltrane {

// One line per EGL device, in index order: "N: NAME" (the DRM device file, "software" for
// Mesa's software device, else "unnamed"). Empty when the client offers no enumeration.
std::vector<std::string> ListEglDevices();

class EglSession {
 public:
  EglSession() = default;
  ~EglSession();
  EglSession(const EglSession&) = delete;
  EglSession& operator=(const EglSession&) = delete;

  // Opens device `device`, or with -1 the first device that gives a context, else the
  // surfaceless platform; makes a compatibility-profile context current. False with a message
  // in *error (no device of that index, no display, no desktop OpenGL, ...).
  bool Open(int device, std::string* error);
  // Releases the context and the display; also done by the destructor.
  void Close();

  EGLDisplay display() const { return display_; }
  EGLContext context() const { return context_; }
  // "device N" or "surfaceless".
  const std::string& where() const { return where_; }

 private:
  bool OpenOn(EGLDisplay display, const std::string& where, std::string* error);

  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  std::string where_;
};

}  // namespace veltrane
