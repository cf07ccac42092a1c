#include "render/glx_render_platform.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <map>
#include <memory>

#include "render/fbo_render_platform.h"

namespace veltrane {
namespace {

// X errors of the calls made while a trap lives are recorded instead of ending the process,
// which is what Xlib's default handler does.
int g_x_error = 0;
int RecordXError(Display*, XErrorEvent* event) {
  g_x_error = event->error_code;
  return 0;
}

class XErrorTrap {
 public:
  explicit XErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    g_x_error = 0;
    previous_ = XSetErrorHandler(&RecordXError);
  }
  ~XErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;
  bool Failed() {
    XSync(display_, False);
    return g_x_error != 0;
  }

 private:
  Display* display_;
  XErrorHandler previous_;
};

GLXContext AsContext(PlatformHandle handle) { return reinterpret_cast<GLXContext>(handle); }
PlatformHandle HandleOf(GLXContext context) { return reinterpret_cast<PlatformHandle>(context); }

// Contexts are made on the framebuffer configuration of the pbuffer they are current on.
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
  bool OffscreenContexts() override {
    Display* display = CurrentDisplay();
    int major = 0, minor = 0;
    return display != nullptr && glXQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 3));
  }
  PlatformHandle CreateDrawable() override;
  void DestroyDrawable(PlatformHandle drawable) override {
    if (display_ != nullptr && drawable != 0)
      glXDestroyPbuffer(display_, static_cast<GLXPbuffer>(drawable));
    configs_.erase(drawable);
  }
  PlatformHandle CreateContext(PlatformHandle drawable, PlatformHandle share) override;
  void DestroyContext(PlatformHandle context) override {
    if (display_ != nullptr && context != 0) glXDestroyContext(display_, AsContext(context));
  }

 private:
  Display* CurrentDisplay() {
    Display* display = glXGetCurrentDisplay();
    if (display != nullptr) display_ = display;
    return display_;
  }

  Display* display_ = nullptr;
  std::map<PlatformHandle, GLXFBConfig> configs_;  // of each pbuffer made here
};

// A 1 x 1 pbuffer on the framebuffer configuration of the current context when that can make
// pbuffers, else on any RGBA one that can.
PlatformHandle GlxContextSystem::CreateDrawable() {
  Display* display = CurrentDisplay();
  GLXContext current = glXGetCurrentContext();
  if (display == nullptr || current == nullptr) return 0;
  GLXFBConfig config = nullptr;
  int screen = DefaultScreen(display);
  int config_id = 0;
  glXQueryContext(display, current, GLX_SCREEN, &screen);
  glXQueryContext(display, current, GLX_FBCONFIG_ID, &config_id);
  int config_count = 0;
  GLXFBConfig* configs = glXGetFBConfigs(display, screen, &config_count);
  for (int i = 0; configs != nullptr && i < config_count && config == nullptr; ++i) {
    int id = 0, drawable_type = 0;
    glXGetFBConfigAttrib(display, configs[i], GLX_FBCONFIG_ID, &id);
    glXGetFBConfigAttrib(display, configs[i], GLX_DRAWABLE_TYPE, &drawable_type);
    if (id == config_id && (drawable_type & GLX_PBUFFER_BIT) != 0) config = configs[i];
  }
  if (configs != nullptr) XFree(configs);
  if (config == nullptr) {
    const int wanted[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
    configs = glXChooseFBConfig(display, screen, wanted, &config_count);
    if (configs != nullptr && config_count > 0) config = configs[0];
    if (configs != nullptr) XFree(configs);
  }
  if (config == nullptr) return 0;

  const int size[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
  GLXPbuffer pbuffer = 0;
  {
    XErrorTrap trap(display);
    pbuffer = glXCreatePbuffer(display, config, size);
    if (trap.Failed()) {
      if (pbuffer != 0) glXDestroyPbuffer(display, pbuffer);
      return 0;
    }
  }
  if (pbuffer == 0) return 0;
  configs_[static_cast<PlatformHandle>(pbuffer)] = config;
  return static_cast<PlatformHandle>(pbuffer);
}

// Direct when the context it shares with (else the current one) is direct.
PlatformHandle GlxContextSystem::CreateContext(PlatformHandle drawable, PlatformHandle share) {
  Display* display = CurrentDisplay();
  auto config = configs_.find(drawable);
  if (display == nullptr || config == configs_.end()) return 0;
  GLXContext like = share != 0 ? AsContext(share) : glXGetCurrentContext();
  const Bool direct = like != nullptr ? glXIsDirect(display, like) : True;
  GLXContext glx = nullptr;
  {
    XErrorTrap trap(display);
    glx = glXCreateNewContext(display, config->second, GLX_RGBA_TYPE, AsContext(share), direct);
    if (trap.Failed() && glx != nullptr) {
      glXDestroyContext(display, glx);
      glx = nullptr;
    }
  }
  return HandleOf(glx);
}

}  // namespace

RenderPlatform* GetGlxRenderPlatform() {
  static RenderPlatform* const platform =
      MakeFboRenderPlatform(std::make_unique<GlxContextSystem>()).release();
  return platform;
}

}  // namespace veltrane
