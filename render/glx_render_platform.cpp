#include "render/glx_render_platform.h"

#include <GL/glx.h>

#include <memory>

#include "render/fbo_render_platform.h"

namespace veltrane {
namespace {

GLXContext AsContext(PlatformHandle handle) { return reinterpret_cast<GLXContext>(handle); }
PlatformHandle HandleOf(GLXContext context) { return reinterpret_cast<PlatformHandle>(context); }

class GlxContextSystem : public ContextSystem {
 public:
  bool Connected() override { return CurrentDisplay() != nullptr; }
  PlatformHandle CurrentContext() override { return HandleOf(glXGetCurrentContext()); }
  PlatformHandle CurrentDrawable() override {
    return static_cast<PlatformHandle>(glXGetCurrentDrawable());
  }
  bool IsCurrent(PlatformHandle drawable, PlatformHandle context) override {
    return glXGetCurrentContext() == AsContext(context) &&
           glXGetCurrentDrawable() == static_cast<GLXDrawable>(drawable) &&
           glXGetCurrentReadDrawable() == static_cast<GLXDrawable>(drawable);
  }
  bool MakeCurrent(PlatformHandle drawable, PlatformHandle context) override {
    Display* display = CurrentDisplay();
    const GLXDrawable glx_drawable = static_cast<GLXDrawable>(drawable);
    return display != nullptr &&
           glXMakeContextCurrent(display, glx_drawable, glx_drawable, AsContext(context));
  }

 private:
  Display* CurrentDisplay() {
    Display* display = glXGetCurrentDisplay();
    if (display != nullptr) display_ = display;
    return display_;
  }

  Display* display_ = nullptr;
};

}  // namespace

RenderPlatform* GetGlxRenderPlatform() {
  static RenderPlatform* const platform =
      MakeFboRenderPlatform(std::make_unique<GlxContextSystem>()).release();
  return platform;
}

}  // namespace veltrane
