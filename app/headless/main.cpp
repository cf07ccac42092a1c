// veltrane-headless: the viewer's start-up and frames without a window, on an EGL device (or
// Mesa's surfaceless platform). Started in a run directory like the viewer's; see the usage text
// (headless_options.cpp) for its options.
#include <GL/glew.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/benchmark.h"
#include "app/frame_sequence.h"
#include "app/globals.h"
#include "app/light_choice.h"
#include "app/headless/headless_options.h"
#include "app/headless/offscreen_window.h"
#include "app/startup.h"
#include "codec/deflate_container.h"
#include "codec/png_writer.h"
#include "relight/gl/pass_timer.h"
#include "relight/gl/startup_profile.h"
#include "render/default_render_platform.h"
#include "render/egl_render_platform.h"
#include "render/egl_session.h"
#include "render/gl_debug_output.h"
#include "shader/glew_loader.h"

namespace {

constexpr char kName[] = "veltrane-headless";
constexpr int kWindowId = 1;

const char* GlString(GLenum name) {
  const GLubyte* text = glGetString(name);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "(none)";
}

int ListDevices() {
  const std::vector<std::string> devices = veltrane::ListEglDevices();
  if (devices.empty()) std::printf("no EGL devices (the surfaceless platform may still serve)\n");
  for (const std::string& line : devices) std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  veltrane::MarkProgramStart();
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  HeadlessOptions options;
  std::string error;
  if (!ParseHeadlessOptions(argc, argv, &options, &error)) {
    // Three lines: the fault, the synopsis, where the rest is.
    const char* synopsis_end = std::strchr(kHeadlessUsage, '\n');
    std::fprintf(stderr, "%s: %s\n%.*s\nTry '%s --help' for every option.\n", kName, error.c_str(),
                 static_cast<int>(synopsis_end - kHeadlessUsage), kHeadlessUsage, kName);
    return 2;
  }
  if (options.help) {
    std::fputs(kHeadlessUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("%s %s\n", kName, VELTRANE_VERSION);
    return 0;
  }
  if (options.list_devices) return ListDevices();
  if (options.startup_profile) veltrane::RequestStartupReport();

  SetDeflateProgramName(kName);
  RelightDescription* description = LoadViewerDescription("lightmap.qdx");

  // The window: a context on the EGL display and a window-sized target bound in it.
  veltrane::SetDebugContexts(options.gl_debug);
  veltrane::EglSession session;
  if (!session.Open(options.device, &error)) {
    std::fprintf(stderr, "%s: %s\n", kName, error.c_str());
    return 1;
  }
  GLenum glew = veltrane::InitGlewForCurrentContext();
  OffscreenWindow window;
  if (glew != GLEW_OK || !window.Create(window_width, window_height)) {
    std::fprintf(stderr, "%s: cannot make a %d x %d window target on %s (%s)\n", kName,
                 window_width, window_height, GlString(GL_RENDERER),
                 glew != GLEW_OK ? reinterpret_cast<const char*>(glewGetErrorString(glew))
                                 : "framebuffer incomplete");
    return 1;
  }
  if (options.gl_debug && !veltrane::EnableGlDebugOutput(nullptr)) {
    std::fprintf(stderr, "%s: --gl-debug: the driver offers no debug output (KHR_debug, "
                 "GL_ARB_debug_output)\n", kName);
    return 1;
  }
  veltrane::SetDefaultRenderPlatform(veltrane::GetEglRenderPlatform());
  UseOffscreenWindowOperations(&window, kWindowId);
  window_id = kWindowId;
  veltrane::MarkStartupStep("window and context");

  // The viewer's usage text (keys and mouse) is left out: the runner has no window to use them.
  InitScene(description);
  std::printf("EGL: %s\nGL_RENDERER: %s\nGL_VERSION: %s\n", session.where().c_str(),
              GlString(GL_RENDERER), GlString(GL_VERSION));

  if ((options.light != "seed" || options.turn != 0.0) && !ChooseLight(options.light, options.turn)) return 1;
  DrawFrameSequence(options.frames);
  if (!options.screenshot.empty()) {
    const std::vector<unsigned char> rgb = window.ReadRgb();
    if (!veltrane::WritePng(options.screenshot, window.width(), window.height(), rgb.data())) {
      std::fprintf(stderr, "%s: cannot write %s\n", kName, options.screenshot.c_str());
      return 1;
    }
    std::printf("%s: saved frame %d (%d x %d) to %s\n", kName, options.frames, window.width(), window.height(),
                options.screenshot.c_str());
  }
  if (options.benchmark) RunBenchmark();

  Cleanup();
  if (veltrane::GlDebugErrorCount() > 0) {
    std::fprintf(stderr, "%s: the driver reported %d GL error(s)\n", kName,
                 veltrane::GlDebugErrorCount());
    return 1;
  }
  return 0;
}
