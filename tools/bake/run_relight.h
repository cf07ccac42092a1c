// Relighting a run directory on the processor: the light map that the viewer's relighting pass
// draws for one light direction, sum_i K(l, centre_i) c_i per texel and channel, from the
// description and the raw or DCT-compressed coefficients.
#pragma once

#include <string>
#include <vector>

#include "common/vec3.h"

namespace veltrane {

struct RunData {
  int width = 0, height = 0;
  float sigma = 0.0f;
  std::vector<Vec3d> centres;       // N unit directions, as the viewer forms them
  std::vector<float> coefficients;  // 3 x N x height x width, channel, centre, row, column
  std::string coefficient_path;     // the file they came from
};

// Reads DIR/lightmap.qdx and the coefficient file it names (the raw one when present, as the
// viewer prefers it, else the DCT file). False with *why on a missing or unusable file.
bool LoadRunData(const std::string& dir, RunData* run, std::string* why);

// The relit light map for direction l: 3 planes of width x height values (R, G, B).
std::vector<float> RelightRun(const RunData& run, Vec3d l);

}  // namespace veltrane
