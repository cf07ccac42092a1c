// The coefficient maps as the textures take them: per centre an RGB image of 16-bit floats,
// channels interleaved and rows bottom first, decoded straight from the raw or the compressed
// coefficient file without a float copy of the whole set. The decoders print the loaders'
// fault messages and end through FatalExit, and nothing else: progress lines are the caller's.
#pragma once

#include <cstddef>
#include <cstdint>

// count maps of width x height RGB texels of half bits, map i at texels + i * MapTexels() * 3.
// The memory comes from mmap, shared with a helper process or private.
class HalfCoefficientMaps {
 public:
  HalfCoefficientMaps() = default;
  ~HalfCoefficientMaps();
  HalfCoefficientMaps(const HalfCoefficientMaps&) = delete;
  HalfCoefficientMaps& operator=(const HalfCoefficientMaps&) = delete;

  // Maps zeroed memory for count maps of width x height; shared with processes forked later
  // when shared is set. False when it cannot be had.
  bool Allocate(int count, int width, int height, bool shared);
  void Release();
  // Takes other's memory (releasing its own); other is left empty.
  void TakeFrom(HalfCoefficientMaps* other);

  size_t MapTexels() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }
  uint16_t* Map(int i) const { return texels_ + 3 * MapTexels() * static_cast<size_t>(i); }
  int count() const { return count_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  uint16_t* texels_ = nullptr;
  size_t bytes_ = 0;
  int count_ = 0;
  int width_ = 0;
  int height_ = 0;
};

// Fills maps from a raw file of little-endian floats (channel by channel, centre by centre,
// rows top first), which must hold at least all of them.
void DecodeRawCoefficients(const char* path, const HalfCoefficientMaps& maps);

// Fills maps from a compressed coefficient file (a DctImage whose samples begin with the same
// values as the raw file), decoding its rows on `threads` threads (one per core when 0). Its
// dimension line is expected to have passed CheckDctRbfFileSize already (before anything of
// the maps' size was allocated); a file that decodes to too few samples is refused all the same.
void DecodeDctCoefficients(const char* path, const HalfCoefficientMaps& maps, int threads);

// Writes run floats of sample `first` of the coefficient sequence (the raw file's order) into
// their texels of maps; samples past the last map are dropped.
void StoreCoefficientSamples(const float* samples, size_t first, size_t run, const HalfCoefficientMaps& maps);
