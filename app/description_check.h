// Whether a parsed description can be used by the rest of the viewer.
#pragma once

#include <cstdio>

class RelightDescription;

// Largest REFER_RESOLUTION dimension and SRBF centre count the viewer accepts: the light-mapping
// program has five light-map inputs of five centres each.
constexpr int kMaxReferSize = 16384;
constexpr int kMaxSrbfCenters = 25;

// Checks the record that Read filled (with its result) from file_name. Returns true when it is
// usable; otherwise writes one line saying why to err and returns false.
bool CheckDescription(const RelightDescription& description, int read_result, const char* file_name, FILE* err);
