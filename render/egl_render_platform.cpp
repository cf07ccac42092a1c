#include "render/egl_render_platform.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <memory>
#include <set>

#include "common/extension_list.h"
#include "render/egl_context.h"
#include "render/fbo_render_platform.h"

namespace veltrane {
namespace {

EGLContext AsContext(PlatformHandle handle) { return reinterpret_cast<EGLContext>(handle); }
PlatformHandle HandleOf(void* p) { return reinterpret_cast<PlatformHandle>(p); }

// An offscreen context is current on no surface. Its "drawable" is a token of ours (a small
// number, never a surface's address) that stands for EGL_NO_SURFACE.
class EglContextSystem : public ContextSystem {
 public:
  bool Connected() override { return CurrentDisplay() != EGL_NO_DISPLAY; }
  PlatformHandle CurrentContext() override { return HandleOf(eglGetCurrentContext()); }
  PlatformHandle CurrentDrawable() override { return HandleOf(eglGetCurrentSurface(EGL_DRAW)); }
  bool IsCurrent(PlatformHandle drawable, PlatformHandle context) override {
    const EGLSurface surface = SurfaceOf(drawable);
    return eglGetCurrentContext() == AsContext(context) &&
           eglGetCurrentSurface(EGL_DRAW) == surface && eglGetCurrentSurface(EGL_READ) == surface;
  }
  bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) override {
    EGLDisplay display = CurrentDisplay();
    if (display == EGL_NO_DISPLAY) return false;
    const EGLSurface surface = context != 0 ? SurfaceOf(drawable) : EGL_NO_SURFACE;
    return eglMakeCurrent(display, surface, surface, AsContext(context)) == EGL_TRUE;
  }
  bool OffscreenContexts() override {
    EGLDisplay display = CurrentDisplay();
    return display != EGL_NO_DISPLAY &&
           ExtensionListHas(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
  }
  PlatformHandle CreateDrawable() override {
    if (eglGetCurrentContext() == EGL_NO_CONTEXT) return 0;
    const PlatformHandle token = next_token_++;
    tokens_.insert(token);
    return token;
  }
  void DestroyDrawable(PlatformHandle drawable) override { tokens_.erase(drawable); }
  PlatformHandle CreateContext(PlatformHandle drawable, PlatformHandle share) override;
  void DestroyContext(PlatformHandle context) override {
    if (display_ != EGL_NO_DISPLAY && context != 0) eglDestroyContext(display_, AsContext(context));
  }

 private:
  EGLDisplay CurrentDisplay() {
    EGLDisplay display = eglGetCurrentDisplay();
    if (display != EGL_NO_DISPLAY) display_ = display;
    return display_;
  }
  EGLSurface SurfaceOf(PlatformHandle drawable) const {
    return tokens_.count(drawable) != 0 ? EGL_NO_SURFACE : reinterpret_cast<EGLSurface>(drawable);
  }

  EGLDisplay display_ = EGL_NO_DISPLAY;
  std::set<PlatformHandle> tokens_;
  PlatformHandle next_token_ = 1;
};

// On the configuration of the current context (none when it has none), desktop OpenGL in the
// compatibility profile like the window's context.
PlatformHandle EglContextSystem::CreateContext(PlatformHandle drawable, PlatformHandle share) {
  EGLDisplay display = CurrentDisplay();
  EGLContext current = eglGetCurrentContext();
  if (display == EGL_NO_DISPLAY || current == EGL_NO_CONTEXT || tokens_.count(drawable) == 0)
    return 0;
  EGLint config_id = 0;
  eglQueryContext(display, current, EGL_CONFIG_ID, &config_id);
  EGLConfig config = EGL_NO_CONFIG_KHR;
  if (config_id != 0) {
    const EGLint wanted[] = {EGL_CONFIG_ID, config_id, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1)
      config = EGL_NO_CONFIG_KHR;
  }
  EGLContext context = CreateCompatibilityContext(display, config, AsContext(share));
  return context != EGL_NO_CONTEXT ? HandleOf(context) : 0;
}

}  // namespace

RenderPlatform* GetEglRenderPlatform() {
  static RenderPlatform* const platform =
      MakeFboRenderPlatform(std::make_unique<EglContextSystem>()).release();
  return platform;
}

}  // namespace veltrane
