#include "render/egl_session.h"

#include <EGL/eglext.h>

#include "common/extension_list.h"
#include "common/gl_context_events.h"
#include "render/egl_context.h"

namespace veltrane {
namespace {

constexpr EGLint kMaxDevices = 32;

const char* ClientExtensions() { return eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS); }

template <typename F>
F Proc(const char* name) {
  return reinterpret_cast<F>(eglGetProcAddress(name));
}

// The devices, or none when the client cannot enumerate them.
std::vector<EGLDeviceEXT> Devices() {
  std::vector<EGLDeviceEXT> devices;
  if (!ExtensionListHas(ClientExtensions(), "EGL_EXT_device_enumeration") &&
      !ExtensionListHas(ClientExtensions(), "EGL_EXT_device_base"))
    return devices;
  auto query = Proc<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
  if (query == nullptr) return devices;
  EGLDeviceEXT found[kMaxDevices];
  EGLint count = 0;
  if (!query(kMaxDevices, found, &count) || count < 0) return devices;
  devices.assign(found, found + count);
  return devices;
}

std::string DeviceName(EGLDeviceEXT device) {
  auto query = Proc<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
  if (query == nullptr) return "unnamed";
  const char* extensions = query(device, EGL_EXTENSIONS);
  if (ExtensionListHas(extensions, "EGL_EXT_device_drm")) {
    const char* file = query(device, EGL_DRM_DEVICE_FILE_EXT);
    if (file != nullptr) return file;
  }
  if (ExtensionListHas(extensions, "EGL_MESA_device_software")) return "software";
  return "unnamed";
}

EGLDisplay PlatformDisplay(EGLenum platform, void* native) {
  auto get = Proc<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
  if (get == nullptr) return EGL_NO_DISPLAY;
  return get(platform, native, nullptr);
}

}  // namespace

std::vector<std::string> ListEglDevices() {
  std::vector<std::string> lines;
  const std::vector<EGLDeviceEXT> devices = Devices();
  for (size_t i = 0; i < devices.size(); ++i)
    lines.push_back(std::to_string(i) + ": " + DeviceName(devices[i]));
  return lines;
}

EglSession::~EglSession() { Close(); }

bool EglSession::Open(int device, std::string* error) {
  Close();
  const std::vector<EGLDeviceEXT> devices = Devices();
  const bool platform_device = ExtensionListHas(ClientExtensions(), "EGL_EXT_platform_device");
  const size_t usable = platform_device ? devices.size() : 0;
  if (device >= 0) {
    if (static_cast<size_t>(device) >= usable) {
      *error = "no EGL device " + std::to_string(device) + " (" + std::to_string(usable) + " found)";
      return false;
    }
    return OpenOn(PlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[static_cast<size_t>(device)]),
                  "device " + std::to_string(device), error);
  }
  // The first device that gives a context (a DRM device may be there but not open to us), else
  // the surfaceless platform.
  std::string first_error;
  for (size_t i = 0; i < usable; ++i) {
    if (OpenOn(PlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i]), "device " + std::to_string(i),
               error))
      return true;
    if (first_error.empty()) first_error = *error;
  }
  if (ExtensionListHas(ClientExtensions(), "EGL_MESA_platform_surfaceless")) {
    if (OpenOn(PlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY), "surfaceless",
               error))
      return true;
    if (first_error.empty()) first_error = *error;
  }
  *error = first_error.empty() ? "no EGL device and no surfaceless platform" : first_error;
  return false;
}

bool EglSession::OpenOn(EGLDisplay display, const std::string& where, std::string* error) {
  display_ = display;
  where_ = where;
  EGLint major = 0, minor = 0;
  if (display_ == EGL_NO_DISPLAY || !eglInitialize(display_, &major, &minor)) {
    *error = "cannot open the EGL display (" + where_ + ")";
    display_ = EGL_NO_DISPLAY;
    return false;
  }
  const char* extensions = eglQueryString(display_, EGL_EXTENSIONS);
  const char* apis = eglQueryString(display_, EGL_CLIENT_APIS);
  if (apis == nullptr || !ExtensionListHas(apis, "OpenGL")) {
    *error = "the EGL display (" + where_ + ") offers no desktop OpenGL";
    Close();
    return false;
  }
  if (!ExtensionListHas(extensions, "EGL_KHR_surfaceless_context")) {
    *error = "the EGL display (" + where_ + ") has no EGL_KHR_surfaceless_context";
    Close();
    return false;
  }
  EGLConfig config = EGL_NO_CONFIG_KHR;
  if (!ExtensionListHas(extensions, "EGL_KHR_no_config_context") &&
      !ExtensionListHas(extensions, "EGL_MESA_configless_context")) {
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0,
                             EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display_, wanted, &config, 1, &count) || count < 1) {
      *error = "the EGL display (" + where_ + ") has no OpenGL configuration";
      Close();
      return false;
    }
  }
  context_ = CreateCompatibilityContext(display_, config, EGL_NO_CONTEXT);
  if (context_ == EGL_NO_CONTEXT) {
    *error = "cannot create a desktop OpenGL context (" + where_ + ")";
    Close();
    return false;
  }
  if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) {
    *error = "cannot make the OpenGL context current (" + where_ + ")";
    Close();
    return false;
  }
  return true;
}

void EglSession::Close() {
  if (display_ == EGL_NO_DISPLAY) return;
  if (eglGetCurrentContext() == context_ && context_ != EGL_NO_CONTEXT)
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_ != EGL_NO_CONTEXT) {
    eglDestroyContext(display_, context_);
    NotifyGlContextDestroyed(context_);
  }
  eglTerminate(display_);
  display_ = EGL_NO_DISPLAY;
  context_ = EGL_NO_CONTEXT;
}

}  // namespace veltrane
