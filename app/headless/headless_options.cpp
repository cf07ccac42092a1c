#include "app/headless/headless_options.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char kHeadlessUsage[] =
    "usage: veltrane-headless [--frames N] [--benchmark] [--screenshot FILE.png] [--device N]\n"
    "                         [--light seed|sky|FILE] [--turn DEG] [--gl-debug] [--startup-profile]\n"
    "       veltrane-headless --list-devices\n"
    "Draws the viewer's frames without a window, on an EGL device (or Mesa's surfaceless\n"
    "platform), in a run directory like the viewer's.\n"
    "  --frames N            frames to draw, the light moving between them (default 1)\n"
    "  --benchmark           then the viewer's \"p\" benchmark: 100 frames and the rate\n"
    "  --screenshot FILE.png the window's picture after the frames\n"
    "  --device N            the EGL device to draw on (default: the first)\n"
    "  --gl-debug            a debug context: each GL error the driver reports is printed\n"
    "                        (\"GL error: ...\") and the run ends with status 1\n"
    "  --startup-profile     after the first frame, the time of each start-up step\n"
    "  --light seed|sky|FILE the light: the seed's moving light (default), the built-in sky\n"
    "                        with its sun, or an environment image (.hdr or .exr)\n"
    "  --turn DEG            the environment's turn about the vertical axis at the first frame;\n"
    "                        for the sky the time of day (0 sunrise, 180 noon, 360 sunset)\n"
    "  --list-devices        print the EGL devices and stop\n"
    "  --help, --version     print this text or the version and stop\n";

namespace {

// A whole decimal number from `lowest` to INT_MAX.
bool ParseNumber(const char* text, int lowest, int* value) {
  if (text == nullptr || *text == '\0' || std::strchr("+- ", *text) != nullptr) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || parsed < lowest || parsed > INT_MAX) return false;
  *value = static_cast<int>(parsed);
  return true;
}

}  // namespace

bool ParseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions* options,
                          std::string* error) {
  *options = HeadlessOptions();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--frames" || arg == "--device") {
      int* target = arg == "--frames" ? &options->frames : &options->device;
      if (value == nullptr) {
        *error = arg + " needs a number";
        return false;
      }
      if (!ParseNumber(value, arg == "--frames" ? 1 : 0, target)) {
        *error = arg + ": not a " + (arg == "--frames" ? "positive" : "non-negative") +
                 " whole number: '" + value + "'";
        return false;
      }
      ++i;
    } else if (arg == "--screenshot") {
      if (value == nullptr || *value == '\0') {
        *error = "--screenshot needs a file name";
        return false;
      }
      const size_t length = std::strlen(value);
      if (length < 5 || std::strcmp(value + length - 4, ".png") != 0) {
        *error = std::string("--screenshot saves a PNG picture: give a name ending in .png, not '") + value + "'";
        return false;
      }
      options->screenshot = value;
      ++i;
    } else if (arg == "--light") {
      if (value == nullptr || *value == '\0') {
        *error = "--light needs seed, sky or an image file";
        return false;
      }
      options->light = value;
      ++i;
    } else if (arg == "--turn") {
      char* end = nullptr;
      const double turn = value != nullptr ? std::strtod(value, &end) : 0.0;
      if (value == nullptr || *value == '\0' || *end != '\0' || !std::isfinite(turn)) {
        *error = std::string("--turn needs a number of degrees") + (value != nullptr ? ": '" + std::string(value) + "'" : "");
        return false;
      }
      options->turn = turn;
      ++i;
    } else if (arg == "--benchmark") {
      options->benchmark = true;
    } else if (arg == "--startup-profile") {
      options->startup_profile = true;
    } else if (arg == "--list-devices") {
      options->list_devices = true;
    } else if (arg == "--gl-debug") {
      options->gl_debug = true;
    } else if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--version") {
      options->version = true;
    } else {
      *error = "unknown argument '" + arg + "'";
      return false;
    }
  }
  return true;
}
