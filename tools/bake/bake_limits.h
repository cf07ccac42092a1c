// How large a bake the DCT coefficient file can hold: it stores the 3 x N coefficient maps as
// one plane of W x 3NH values, and the DCT codec refuses planes (padded to whole 8 x 8 blocks)
// of more than kDctImageDefaultMaxPixels values.
#pragma once

namespace veltrane {

bool FitsDctImage(int width, int height, int centres);

// The largest square light map (at most 4096) that fits with this many centres.
int LargestDctSide(int centres);

}  // namespace veltrane
