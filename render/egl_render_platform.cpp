#include "render/egl_render_platform.h"

#include <EGL/egl.h>

#include <memory>

#include "render/fbo_render_platform.h"

namespace veltrane {
namespace {

EGLContext AsContext(PlatformHandle handle) { return reinterpret_cast<EGLContext>(handle); }
PlatformHandle HandleOf(void* p) { return reinterpret_cast<PlatformHandle>(p); }

class EglContextSystem : public ContextSystem {
 public:
  bool Connected() override { return CurrentDisplay() != EGL_NO_DISPLAY; }
  PlatformHandle CurrentContext() override { return HandleOf(eglGetCurrentContext()); }
  PlatformHandle CurrentDrawable() override { return HandleOf(eglGetCurrentSurface(EGL_DRAW)); }
  bool IsCurrent(PlatformHandle drawable, PlatformHandle context) override {
    const EGLSurface surface = reinterpret_cast<EGLSurface>(drawable);
    return eglGetCurrentContext() == AsContext(context) &&
           eglGetCurrentSurface(EGL_DRAW) == surface && eglGetCurrentSurface(EGL_READ) == surface;
  }
  bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) override {
    EGLDisplay display = CurrentDisplay();
    if (display == EGL_NO_DISPLAY) return false;
    const EGLSurface surface = context != 0 ? reinterpret_cast<EGLSurface>(drawable) : EGL_NO_SURFACE;
    return eglMakeCurrent(display, surface, surface, AsContext(context)) == EGL_TRUE;
  }

 private:
  EGLDisplay CurrentDisplay() {
    EGLDisplay display = eglGetCurrentDisplay();
    if (display != EGL_NO_DISPLAY) display_ = display;
    return display_;
  }

  EGLDisplay display_ = EGL_NO_DISPLAY;
};

}  // namespace

RenderPlatform* GetEglRenderPlatform() {
  static RenderPlatform* const platform =
      MakeFboRenderPlatform(std::make_unique<EglContextSystem>()).release();
  return platform;
}

}  // namespace veltrane
