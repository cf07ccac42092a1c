#include "app/swap_interval.h"

#include <EGL/egl.h>
#include <GL/glx.h>

#include "common/extension_list.h"

namespace {

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
    const auto get_mesa = GlxProc<GetSwapIntervalMesa>("glXGetSwapIntervalMESA");
    if (veltrane::ExtensionListHas(list, "GLX_EXT_swap_control") &&
        GlxProc<SwapIntervalExt>("glXSwapIntervalEXT") != nullptr) {
      glXQueryDrawable(display, drawable, GLX_SWAP_INTERVAL_EXT, &old_interval_);
      how_ = kGlxExt;
    } else if (veltrane::ExtensionListHas(list, "GLX_MESA_swap_control") && get_mesa != nullptr) {
      old_interval_ = static_cast<unsigned int>(get_mesa());
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
