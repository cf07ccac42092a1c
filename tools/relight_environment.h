// veltrane-tool relight --environment: the light map of a run directory under a whole
// environment (an .hdr or .exr file, or the built-in sky) turned by a given angle, and its
// ray-traced truth.
#pragma once

#include <string>
#include <vector>

struct RelightEnvironmentRequest {
  std::string dir;
  std::string environment;  // a file name, or "sky"
  double turn_deg = 0.0;
  std::string out;          // .pfm (irradiance) or .png (after the exposure)
  bool truth = false;
  double disc_radius_deg = 20.0;
  int truth_directions = 4096;
};

// Returns the exit status: 0, or 1 after a message on standard error.
int RelightEnvironment(const RelightEnvironmentRequest& request);

// Shared with relight_command.cpp, where they are defined:
// Writes 3 planes of width x height values (R, G, B, row 0 at the top) as PNG (display gamma,
// values clamped to [0, 1]) or PFM (32-bit floats), by the name's ending.
bool WriteLightMapImage(const std::string& path, int width, int height, const std::vector<float>& planes);
// Whether s ends with suffix (and is longer than it).
bool EndsWith(const std::string& s, const char* suffix);
// Where --truth writes beside OUT: its name with ".truth" before the extension.
std::string TruthPath(const std::string& out);
