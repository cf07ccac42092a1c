// The SRBF coefficient maps: one RGB float image of the reference resolution per centre, read
// at start-up from base_path + encoded name + ".rbf" (raw little-endian floats, channel by
// channel, centre by centre, rows top first) or, when that file is absent, from
// base_path + encoded name + ".rbf.dct" (a DctImage whose samples begin with the same values),
// turned into float rectangle textures, together with the eye-frame direction of every centre.
#pragma once

#include <cstddef>
#include <cstdio>

class RelightDescription;

// At most this many coefficient textures; centres beyond it get a direction but no texture.
constexpr int kMaxCoefficientMaps = 60;

// Texture names of the coefficient maps, entry i for centre i; coefficient_map_count entries.
extern unsigned int* G_RBF_coefficient_map;
extern int coefficient_map_count;

// The sizes of the coefficient set a file must hold: count maps of width x height, three
// channels each.
class RbfChannelPlanes {
 public:
  RbfChannelPlanes(int count_, int width_, int height_) : count(count_), width(width_), height(height_) {}

  size_t PlaneSize() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }

  int count;
  int width;
  int height;
};

// Starts decoding the coefficient maps of count centres of width x height beside the rest of
// the start-up (relight/gl/coefficient_prefetch.h), for LoadPrepareRBFMap to take. Call right
// after the description is read, before the window exists.
void StartLoadingRBFMap(const char* encoded_name, int width, int height, int count);

// Loads the coefficient maps of count centres of width x height into G_RBF_coefficient_map (as
// 16-bit float textures) and the centre directions of the description into G_SRBF_center_dir:
// from the helper that StartLoadingRBFMap started when there is one, else decoded here. The window's GL context
// must be current. Ends the process on missing data or memory.
void LoadPrepareRBFMap(const char* encoded_name, int width, int height, int count,
                       const RelightDescription& description);

// Refuses, before anything large is allocated, a coefficient file that cannot hold count maps
// of width x height: the raw file by its size, the compressed one (read when there is no raw
// file) by its dimension line. The message and status are those of the loader below that
// would fail on it. A file that is missing or not a DctImage at all is left to the loader.
void CheckCoefficientFileCapacity(const char* encoded_name, int width, int height, int count);

// Refuse a raw file shorter than the planes, or a DctImage whose dimension line gives fewer
// samples than the planes of the three channels need (message and FatalExit(1)). A file that
// cannot be opened or read as said is let through.
void CheckRawRbfFileSize(const char* path, const RbfChannelPlanes& planes);
void CheckDctRbfFileSize(const char* path, const RbfChannelPlanes& planes);

// The same refusal of a raw file on its open stream, which is left at the file's start.
void RefuseShortRawFile(FILE* file, const char* path, const RbfChannelPlanes& planes);

// Refuses (message and FatalExit(1)) a compressed file at path that decodes to fewer samples
// than needed.
void RefuseFewSamples(const char* path, size_t samples, size_t needed);
