// The command line of veltrane-headless.
#pragma once

#include <string>

struct HeadlessOptions {
  int frames = 1;            // --frames N: frames drawn with the light moving, N >= 1
  bool benchmark = false;    // --benchmark: then the "p" benchmark (100 frames)
  std::string screenshot;    // --screenshot FILE.png: the window target after the frames
  int device = -1;           // --device N: which EGL device; -1: the first, or surfaceless
  bool list_devices = false; // --list-devices: print the EGL devices and stop
  bool help = false;         // --help
  std::string light = "seed"; // --light seed|sky|FILE: the light the frames are drawn under
  double turn = 0.0;          // --turn DEG: the environment's turn (the sky's time of day)
};

// False with a message in *error for anything else: an unknown option, a missing or bad
// number, an argument that is no option.
bool ParseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions* options,
                          std::string* error);

extern const char kHeadlessUsage[];
