// Files of raw little-endian float32 values, as the dct-encode and dct-decode commands use.
#pragma once

#include <cstddef>
#include <vector>

// Reads the whole file: its size in *byte_count and its whole values in *values. False when it
// cannot be opened or read.
bool ReadFloat32File(const char* path, std::vector<float>* values, size_t* byte_count);

// Writes count values; false when the file cannot be written.
bool WriteFloat32File(const char* path, const float* values, size_t count);
