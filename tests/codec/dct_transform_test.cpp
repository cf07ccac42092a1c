#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "codec/dct_image.h"
#include "codec/dct_transform.h"

namespace {

// The decoder's transform written out one column and one row at a time, straight from its
// description, to pin the optimised one bit for bit.
void ReferenceStage(const float x[8], float y[8]) {
  const float k1 = 1.414213562f, k2 = 1.847759065f, k3 = 1.082392200f, k4 = 2.613125930f;
  float p = x[0] + x[4], q = x[0] - x[4], d = x[2] + x[6];
  float t = (x[2] - x[6]) * k1 - d;
  float e0 = p + d, e3 = p - d, e1 = q + t, e2 = q - t;
  float g = x[5] + x[3], h = x[5] - x[3], m = x[1] + x[7], n = x[1] - x[7];
  float o7 = m + g, w = (m - g) * k1, z = (h + n) * k2;
  float o6 = (z - k4 * h) - o7;
  float o5 = w - o6;
  float o4 = (k3 * n - z) + o5;
  y[0] = e0 + o7, y[7] = e0 - o7, y[1] = e1 + o6, y[6] = e1 - o6;
  y[2] = e2 + o5, y[5] = e2 - o5, y[4] = e3 + o4, y[3] = e3 - o4;
}

void ReferenceInverse(const float in[64], float out[64]) {
  float ws[64];
  for (int u = 0; u < 8; ++u) {
    float x[8], y[8];
    bool ac_zero = true;
    for (int v = 0; v < 8; ++v) {
      x[v] = in[8 * v + u];
      if (v > 0 && x[v] != 0) ac_zero = false;
    }
    if (ac_zero) {
      for (int v = 0; v < 8; ++v) y[v] = x[0];
    } else {
      ReferenceStage(x, y);
    }
    for (int v = 0; v < 8; ++v) ws[8 * v + u] = y[v];
  }
  for (int r = 0; r < 8; ++r) {
    float y[8];
    ReferenceStage(ws + 8 * r, y);
    for (int c = 0; c < 8; ++c) out[8 * r + c] = y[c] * 0.125f;
  }
}

// Random blocks with many zero columns, signed zeros and wide magnitudes.
void RandomBlock(std::mt19937* rng, float block[64]) {
  std::uniform_real_distribution<float> value(-300.0f, 300.0f);
  std::uniform_int_distribution<int> kind(0, 9);
  for (int i = 0; i < 64; ++i) {
    const int k = kind(*rng);
    block[i] = k < 4 ? 0.0f : k == 4 ? -0.0f : k == 5 ? value(*rng) * 1e-30f : value(*rng);
  }
  if (kind(*rng) < 5) {  // clear the AC part of a few columns
    for (int u = 0; u < 8; u += 1 + kind(*rng) % 3) {
      for (int v = 1; v < 8; ++v) block[8 * v + u] = kind(*rng) < 5 ? 0.0f : -0.0f;
    }
  }
}

TEST(DctTransform, InverseMatchesTheStageWrittenOutBitForBit) {
  std::mt19937 rng(7);
  float scale[64];
  veltrane::BuildDctScaleTable(scale);
  for (int trial = 0; trial < 20000; ++trial) {
    float block[64], expected[64], scaled[64], plane[8 * 11];
    RandomBlock(&rng, block);
    for (int i = 0; i < 64; ++i) scaled[i] = block[i] * scale[i];
    ReferenceInverse(scaled, expected);

    float in_place[64];
    std::memcpy(in_place, scaled, sizeof in_place);
    DctImage::InverseDCTBlock(in_place);
    ASSERT_EQ(0, std::memcmp(in_place, expected, sizeof expected)) << "trial " << trial;

    veltrane::InverseDctScaledBlock(block, scale, plane, 11);
    for (int y = 0; y < 8; ++y) {
      ASSERT_EQ(0, std::memcmp(plane + 11 * y, expected + 8 * y, 8 * sizeof(float))) << "trial " << trial;
    }
  }
}

TEST(DctTransform, ScaleTableAndBasisValues) {
  const double s[8] = {1.0, 1.387039845, 1.306562965, 1.175875602, 1.0, 0.785694958, 0.541196100, 0.275899379};
  float scale[64];
  veltrane::BuildDctScaleTable(scale);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) EXPECT_EQ(scale[8 * r + c], static_cast<float>(s[r] * s[c]));
  }

  float coeff[64] = {8.0f}, out[64];
  veltrane::InverseDctScaledBlock(coeff, scale, out, 8);
  for (float v : out) EXPECT_EQ(v, 1.0f);

  const double row[8] = {1.387, 1.176, 0.786, 0.276, -0.276, -0.786, -1.176, -1.387};
  float horizontal[64] = {0.0f, 8.0f};
  veltrane::InverseDctScaledBlock(horizontal, scale, out, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_NEAR(out[8 * y + x], row[x], 1e-3) << x << "," << y;
  }
}

TEST(DctTransform, DecoderInvertsTheForwardTransform) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> value(-50.0f, 50.0f);
  float scale[64];
  veltrane::BuildDctScaleTable(scale);
  for (int trial = 0; trial < 200; ++trial) {
    float samples[64], coeff[64], decoded[64];
    for (float& v : samples) v = value(rng);
    double c[64];
    veltrane::ForwardDctBlock(samples, 8, c);
    // Against the textbook definition, T.81 A.3.3.
    const double pi = std::acos(-1.0);
    for (int v = 0; v < 8; v += 3) {
      for (int u = 0; u < 8; u += 2) {
        double sum = 0;
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x)
            sum += samples[8 * y + x] * std::cos((2 * x + 1) * u * pi / 16) * std::cos((2 * y + 1) * v * pi / 16);
        const double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
        ASSERT_NEAR(c[8 * v + u], 0.25 * cu * cv * sum, 1e-9);
      }
    }
    for (int k = 0; k < 64; ++k) coeff[k] = static_cast<float>(c[k]);
    veltrane::InverseDctScaledBlock(coeff, scale, decoded, 8);
    for (int i = 0; i < 64; ++i) ASSERT_NEAR(decoded[i], samples[i], 1e-4);
  }
}

}  // namespace
