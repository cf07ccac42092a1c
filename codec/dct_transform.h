// The 8x8 transforms of the DCT image codec.
//
// The decoder's inverse is a float factorisation whose results files depend on bit for bit:
// coefficients are first multiplied by a 64-entry prescale table, then run through
// DctImage::InverseDCTBlock. The encoder's forward transform is the matching 8x8 DCT of
// JPEG (ITU-T T.81, A.3.3), F(v,u) = 1/4 C(u) C(v) sum f(x,y) cos((2x+1)u pi/16) cos((2y+1)v pi/16),
// computed in double precision.
#pragma once

#include <cstddef>

namespace veltrane {

// scale[8r + c] = s[r] * s[c], multiplied in double and stored as float, with s[0] = 1 and
// s[k] = sqrt(2) cos(k pi / 16) to ten significant digits.
void BuildDctScaleTable(float scale[64]);

// One block of the decoder: multiplies the 64 coefficients (position order 8v + u) by the
// scale table in single precision, applies the inverse transform and writes the 8 rows of
// 8 samples to out, rows out_stride floats apart. Bit for bit the same as multiplying into a
// scratch block, calling DctImage::InverseDCTBlock on it and copying its rows.
void InverseDctScaledBlock(const float coeff[64], const float scale[64], float* out, size_t out_stride);

// Forward transform of the 8x8 samples at in (rows in_stride floats apart) into 64
// coefficients in position order 8v + u.
void ForwardDctBlock(const float* in, size_t in_stride, double coeff[64]);

}  // namespace veltrane
