// Rounding to IEEE half precision, as the viewer's 16-bit float textures store coefficients.
#pragma once

namespace veltrane {

// f rounded to the nearest half-precision value (ties to even), returned as a float; values
// beyond the half range become infinities.
float RoundToHalf(float f);

}  // namespace veltrane
