#include "relight/srbf_kernel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "relight/globals.h"

namespace {

const float kCos30 = static_cast<float>(std::cos(M_PI / 6));

TEST(SrbfKernel, Values) {
  EXPECT_NEAR(SrbfKernelValue(0.0f, 1.0f), std::exp(-M_PI * M_PI / 8), 1e-7);
  EXPECT_NEAR(SrbfKernelValue(0.0f, 1.0f), 0.291, 1e-3);
  EXPECT_NEAR(SrbfKernelValue(-1.0f, 1.0f), 7.2e-3, 1e-4);
  EXPECT_NEAR(SrbfKernelValue(kCos30, 1.0f), 0.872, 1e-3);
  EXPECT_NEAR(SrbfKernelValue(kCos30, 0.5f), 0.578, 1e-3);
  EXPECT_EQ(SrbfKernelValue(kCos30, -1.0f), SrbfKernelValue(kCos30, 1.0f));
  EXPECT_EQ(SrbfKernelValue(1.0f, 0.35f), 1.0f);

  // Rounding past +-1 clamps instead of giving NaN.
  EXPECT_EQ(SrbfKernelValue(std::nextafter(1.0f, 2.0f), 0.35f), 1.0f);
  EXPECT_EQ(SrbfKernelValue(-1.0000001f, 1.0f), SrbfKernelValue(-1.0f, 1.0f));
  EXPECT_EQ(SrbfKernelValue(NAN, 1.0f), 0.0f);
  EXPECT_EQ(SrbfKernelValue(1.0f, 0.0f), 1.0f);
  EXPECT_EQ(SrbfKernelValue(0.5f, 0.0f), 0.0f);
}

TEST(SrbfKernel, EvaluateAgainstCenterTable) {
  // Centre 0 is the light direction itself, whose float dot product with itself comes out as
  // 1 + 2^-23; centre 1 is perpendicular to the light.
  const float l[3] = {0x1.4f31bp-1f, 0x1.41bde2p-2f, 0x1.6002p-1f};
  const float c[2][3] = {{l[0], l[1], l[2]}, {l[1], -l[0], 0.0f}};
  G_SRBF_center_dir.Allocate(3, 2);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) G_SRBF_center_dir.data[k][i] = c[i][k];
  }
  srbf_spread = 1.0f;
  float out[4] = {-1, -1, -1, -1};
  EvaluateSrbfKernels(l, 4, out);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_NEAR(out[1], 0.291f, 1e-3);
  EXPECT_EQ(out[2], 0.0f);  // beyond the table's columns
  EXPECT_EQ(out[3], 0.0f);

  float single = -1;
  EvaluateSrbfKernels(l, 0, &single);
  EXPECT_EQ(single, -1);
}

}  // namespace
