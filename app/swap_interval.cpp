#include "app/swap_interval.h"

#include <EGL/egl.h>
#include <GL/glx.h>

#include <cstring>

namespace {

// Whether the space-separated list holds the name as a whole word.
bool HasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const size_t length = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
    const bool starts = p == list || p[-1] == ' ';
    const bool ends = p[length] == ' ' || p[length] == '\0';
    if (starts && ends) return true;
  }
  return false;
}

template <typename F>
F GlxProc(const char* name) {
  return reinterpret_cast<F>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
using SwapIntervalMesa = int (*)(unsigned int);
using GetSwapIntervalMesa = int (*)(void);

void SetGlx(bool ext, unsigned int interval) {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable drawable = glXGetCurrentDrawable();
  if (display == nullptr || drawable == 0) return;
  if (ext) {
    if (auto set = GlxProc<SwapIntervalExt>("glXSwapIntervalEXT"))
      set(display, drawable, static_cast<int>(interval));
  } else if (auto set = GlxProc<SwapIntervalMesa>("glXSwapIntervalMESA")) {
    set(interval);
  }
}

}  // namespace

NoSwapWait::NoSwapWait() {
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable drawable = glXGetCurrentDrawable();
  if (glXGetCurrentContext() != nullptr && display != nullptr && drawable != 0) {
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    if (HasExtension(list, "GLX_EXT_swap_control") &&
        GlxProc<SwapIntervalExt>("glXSwapIntervalEXT") != nullptr) {
      glXQueryDrawable(display, drawable, GLX_SWAP_INTERVAL_EXT, &old_interval_);
      how_ = kGlxExt;
    } else if (HasExtension(list, "GLX_MESA_swap_control") &&
               GlxProc<GetSwapIntervalMesa>("glXGetSwapIntervalMESA") != nullptr) {
      old_interval_ =
          static_cast<unsigned int>(GlxProc<GetSwapIntervalMesa>("glXGetSwapIntervalMESA")());
      how_ = kGlxMesa;
    }
    if (how_ != kNone) SetGlx(how_ == kGlxExt, 0);
    return;
  }
  // EGL keeps no query for the interval; a window surface starts at 1.
  EGLDisplay egl_display = eglGetCurrentDisplay();
  if (eglGetCurrentContext() != EGL_NO_CONTEXT && egl_display != EGL_NO_DISPLAY &&
      eglGetCurrentSurface(EGL_DRAW) != EGL_NO_SURFACE && eglSwapInterval(egl_display, 0)) {
    how_ = kEgl;
  }
}

NoSwapWait::~NoSwapWait() {
  switch (how_) {
    case kGlxExt: SetGlx(true, old_interval_); break;
    case kGlxMesa: SetGlx(false, old_interval_); break;
    case kEgl: eglSwapInterval(eglGetCurrentDisplay(), static_cast<EGLint>(old_interval_)); break;
    case kNone: break;
  }
}
