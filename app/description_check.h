// Whether a parsed description can be used by the rest of the viewer.
#pragma once

#include <cstdio>

#include "relight/maps_per_pass.h"

class RelightDescription;

// Largest REFER_RESOLUTION dimension the viewer accepts; the largest SRBF centre count is
// kMaxSrbfCenters (relight/maps_per_pass.h).
constexpr int kMaxReferSize = 16384;

// Checks the record that Read filled (with its result) from file_name. Returns true when it is
// usable; otherwise writes one line saying why to err and returns false.
bool CheckDescription(const RelightDescription& description, int read_result, const char* file_name, FILE* err);
