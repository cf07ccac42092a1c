#include "tools/bake/bake_limits.h"

#include <cstdint>

#include "codec/dct_image.h"

namespace veltrane {

bool FitsDctImage(int width, int height, int centres) {
  const int64_t rows = 3 * static_cast<int64_t>(centres) * height;
  return (static_cast<int64_t>(width) + 7) / 8 * 8 * ((rows + 7) / 8 * 8) <= kDctImageDefaultMaxPixels;
}

int LargestDctSide(int centres) {
  int side = 4096;
  while (side > 1 && !FitsDctImage(side, side, centres)) --side;
  return side;
}

}  // namespace veltrane
