// The decoder's inverse transform: per stage a float factorisation with four multipliers,
// columns first (a column whose seven AC values are all 0 takes its DC value), then rows with
// a final multiplication by 0.125. With SSE the eight columns (and later the eight rows) go
// four at a time through the same operations in the same order, so the results equal the
// one-column-at-a-time ones bit for bit.
#include <cstring>

#include "codec/dct_image.h"
#include "codec/dct_transform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr float kK1 = 1.414213562f;
constexpr float kK2 = 1.847759065f;
constexpr float kK3 = 1.082392200f;
constexpr float kK4 = 2.613125930f;

// One stage, x0 .. x7 -> y0 .. y7, for V = float or four lanes of floats.
template <typename V>
[[gnu::always_inline]] inline void Stage(const V x[8], V y[8], V k1, V k2, V k3, V k4) {
  const V p = x[0] + x[4];
  const V q = x[0] - x[4];
  const V d = x[2] + x[6];
  const V t = (x[2] - x[6]) * k1 - d;
  const V e0 = p + d;
  const V e3 = p - d;
  const V e1 = q + t;
  const V e2 = q - t;

  const V g = x[5] + x[3];
  const V h = x[5] - x[3];
  const V m = x[1] + x[7];
  const V n = x[1] - x[7];
  const V o7 = m + g;
  const V w = (m - g) * k1;
  const V z = (h + n) * k2;
  const V o6 = (z - k4 * h) - o7;
  const V o5 = w - o6;
  const V o4 = (k3 * n - z) + o5;

  y[0] = e0 + o7;
  y[7] = e0 - o7;
  y[1] = e1 + o6;
  y[6] = e1 - o6;
  y[2] = e2 + o5;
  y[5] = e2 - o5;
  y[4] = e3 + o4;
  y[3] = e3 - o4;
}

#if defined(__SSE2__)

struct F4 {
  __m128 v;
};
inline F4 operator+(F4 a, F4 b) { return {_mm_add_ps(a.v, b.v)}; }
inline F4 operator-(F4 a, F4 b) { return {_mm_sub_ps(a.v, b.v)}; }
inline F4 operator*(F4 a, F4 b) { return {_mm_mul_ps(a.v, b.v)}; }

// Column pass over the four columns u0 .. u0 + 3: y[r] holds row r of those columns.
template <bool kScaled>
[[gnu::always_inline]] inline void Columns(const float* coeff, const float* scale, int u0, F4 y[8]) {
  const F4 k1{_mm_set1_ps(kK1)}, k2{_mm_set1_ps(kK2)}, k3{_mm_set1_ps(kK3)}, k4{_mm_set1_ps(kK4)};
  F4 x[8];
  for (int v = 0; v < 8; ++v) {
    x[v].v = _mm_loadu_ps(coeff + 8 * v + u0);
    if (kScaled) x[v].v = _mm_mul_ps(x[v].v, _mm_loadu_ps(scale + 8 * v + u0));
  }
  const __m128 zero = _mm_setzero_ps();
  __m128 ac_zero = _mm_cmpeq_ps(x[1].v, zero);
  for (int v = 2; v < 8; ++v) ac_zero = _mm_and_ps(ac_zero, _mm_cmpeq_ps(x[v].v, zero));
  Stage(x, y, k1, k2, k3, k4);
  const __m128 dc = _mm_and_ps(ac_zero, x[0].v);
  for (int r = 0; r < 8; ++r) y[r].v = _mm_or_ps(dc, _mm_andnot_ps(ac_zero, y[r].v));
}

// Row pass over the rows r0 .. r0 + 3 of the workspace (left[r], right[r]: columns 0-3 and
// 4-7 of row r); writes those rows of the result.
[[gnu::always_inline]] inline void Rows(F4 left[8], F4 right[8], int r0, float* out, size_t stride) {
  const F4 k1{_mm_set1_ps(kK1)}, k2{_mm_set1_ps(kK2)}, k3{_mm_set1_ps(kK3)}, k4{_mm_set1_ps(kK4)};
  // x[u] holds column u of the four rows.
  F4 x[8] = {left[r0], left[r0 + 1], left[r0 + 2], left[r0 + 3],
             right[r0], right[r0 + 1], right[r0 + 2], right[r0 + 3]};
  _MM_TRANSPOSE4_PS(x[0].v, x[1].v, x[2].v, x[3].v);
  _MM_TRANSPOSE4_PS(x[4].v, x[5].v, x[6].v, x[7].v);
  F4 y[8];
  Stage(x, y, k1, k2, k3, k4);
  const __m128 eighth = _mm_set1_ps(0.125f);
  for (int i = 0; i < 8; ++i) y[i].v = _mm_mul_ps(y[i].v, eighth);
  _MM_TRANSPOSE4_PS(y[0].v, y[1].v, y[2].v, y[3].v);
  _MM_TRANSPOSE4_PS(y[4].v, y[5].v, y[6].v, y[7].v);
  for (int i = 0; i < 4; ++i) {
    float* row = out + static_cast<size_t>(r0 + i) * stride;
    _mm_storeu_ps(row, y[i].v);
    _mm_storeu_ps(row + 4, y[4 + i].v);
  }
}

// All loads happen in the column pass, before the first store, so out may be coeff.
template <bool kScaled>
[[gnu::always_inline]] inline void Transform(const float* coeff, const float* scale, float* out, size_t stride) {
  F4 left[8], right[8];
  Columns<kScaled>(coeff, scale, 0, left);
  Columns<kScaled>(coeff, scale, 4, right);
  Rows(left, right, 0, out, stride);
  Rows(left, right, 4, out, stride);
}

#else  // one column and one row at a time

template <bool kScaled>
[[gnu::always_inline]] inline void Transform(const float* coeff, const float* scale, float* out, size_t stride) {
  float ws[64];
  for (int u = 0; u < 8; ++u) {
    float x[8], y[8];
    for (int v = 0; v < 8; ++v) x[v] = kScaled ? coeff[8 * v + u] * scale[8 * v + u] : coeff[8 * v + u];
    if (x[1] == 0 && x[2] == 0 && x[3] == 0 && x[4] == 0 && x[5] == 0 && x[6] == 0 && x[7] == 0) {
      for (int v = 0; v < 8; ++v) y[v] = x[0];
    } else {
      Stage(x, y, kK1, kK2, kK3, kK4);
    }
    for (int v = 0; v < 8; ++v) ws[8 * v + u] = y[v];
  }
  for (int r = 0; r < 8; ++r) {
    float y[8];
    Stage(ws + 8 * r, y, kK1, kK2, kK3, kK4);
    for (int c = 0; c < 8; ++c) out[static_cast<size_t>(r) * stride + c] = y[c] * 0.125f;
  }
}

#endif

}  // namespace

void DctImage::InverseDCTBlock(float block[64]) { Transform<false>(block, nullptr, block, 8); }

namespace veltrane {

void BuildDctScaleTable(float scale[64]) {
  static const double kS[8] = {1.0,         1.387039845, 1.306562965, 1.175875602,
                               1.0,         0.785694958, 0.541196100, 0.275899379};
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) scale[8 * r + c] = static_cast<float>(kS[r] * kS[c]);
  }
}

void InverseDctScaledBlock(const float coeff[64], const float scale[64], float* out, size_t out_stride) {
  Transform<true>(coeff, scale, out, out_stride);
}

}  // namespace veltrane
