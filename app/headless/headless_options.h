// The command line of veltrane-headless.
#pragma once

#include <string>

struct HeadlessOptions {
  int frames = 1;            // --frames N: frames drawn with the light moving, N >= 1
  bool benchmark = false;    // --benchmark: then the "p" benchmark (100 frames)
  std::string screenshot;    // --screenshot FILE.png: the window target after the frames
  int device = -1;           // --device N: which EGL device; -1: the first, or surfaceless
  bool list_devices = false; // --list-devices: print the EGL devices and stop
  bool gl_debug = false;     // --gl-debug: a debug context; any GL error the driver reports fails the run
  bool startup_profile = false;  // --startup-profile: the start-up steps' times after the first frame
  bool help = false;         // --help
  bool version = false;      // --version
  std::string light = "seed"; // --light seed|sky|FILE: the light the frames are drawn under
  double turn = 0.0;          // --turn DEG: the environment's turn (the sky's time of day)
};

// False with a message in *error for anything else: an unknown option, a missing or bad
// number, an argument that is no option, a --screenshot name that does not end in ".png".
bool ParseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions* options,
                          std::string* error);

extern const char kHeadlessUsage[];
