// The SRBF kernel: the Gaussian of the angle between the light direction and a centre,
// v = exp(-theta^2 / (2 sigma^2)) with theta = arccos(light . centre).
#pragma once

// The kernel value for the dot product of two unit directions and the spread sigma (radians).
// theta, theta^2, sigma^2 and the quotient are formed in double; the result is rounded to
// float. The dot product is clamped to [-1, 1] first, so rounding just past +-1 gives the value
// at 0 or 180 degrees instead of NaN; a NaN dot product gives 0. Only sigma^2 enters, so the
// sign of sigma does not matter; sigma = 0 gives 1 at theta = 0 and 0 elsewhere.
float SrbfKernelValue(float dot, float sigma);

// out[i] = kernel value of centre i (column i of G_SRBF_center_dir) for the unit eye-frame
// light direction, sigma = srbf_spread, for i below count. The dot products come from the
// 1 x 3 light row times G_SRBF_center_dir through Matrix::Multiply. Entries at or beyond the
// matrix's column count are set to 0. count <= 0 does nothing.
void EvaluateSrbfKernels(const float light_dir[3], int count, float* out);

class Matrix;

// The same for a table of centre directions `centers` (3 x M, one unit direction per column)
// and the spread sigma given here instead of the globals; the baker fits its maps to exactly
// these values.
void EvaluateSrbfKernels(const float light_dir[3], const Matrix& centers, float sigma, int count, float* out);
