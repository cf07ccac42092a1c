// IEEE 754 half-precision floats, as 16-bit float textures store them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrane {

// The bits of f rounded to the nearest half (ties to even): values beyond the half range become
// infinities, values below half its smallest subnormal become zeros, a NaN stays a quiet NaN.
// The same rounding as the GL drivers' conversion of float texel data to GL_RGB16F.
uint16_t FloatToHalfBits(float f);

// out[i * out_stride] = FloatToHalfBits(in[i]) for i < count; uses the processor's conversion
// instructions where it has them (the same results).
void FloatsToHalfBits(const float* in, size_t count, uint16_t* out, size_t out_stride);

// The value of half bits h.
float HalfBitsToFloat(uint16_t h);

}  // namespace veltrane
