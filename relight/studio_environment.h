// A made-up photographer's studio as an environment: two broad soft lights (a warm key high on
// one side, a cooler, weaker one lower on the other) and a dim fill everywhere above the floor;
// the floor is dark grey. For the benchmarks, the pictures and the accuracy checks.
#pragma once

#include "relight/environment_image.h"

namespace veltrane {

EnvironmentImage StudioEnvironment(int width, int height);

}  // namespace veltrane
