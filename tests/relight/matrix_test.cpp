#include "relight/matrix.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fatal_catcher.h"

namespace {

void Fill(Matrix& m, int rows, int cols, std::initializer_list<float> values) {
  m.Allocate(rows, cols);
  auto it = values.begin();
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) m.data[i][j] = *it++;
  }
}

TEST(Matrix, ShapesAllocationAndScale) {
  Matrix m;
  EXPECT_EQ(m.rows, -1);
  EXPECT_EQ(m.cols, -1);
  EXPECT_EQ(m.data, nullptr);
  m.Allocate(2, 3);
  EXPECT_EQ(m.data[1][2], 0.0f);
  m.data[1][2] = 90.0f;
  m.Scale(0.017453292f);
  EXPECT_EQ(m.rows, 2);
  EXPECT_EQ(m.data[1][2], 90.0f * 0.017453292f);

  Matrix a, b, p;
  Fill(a, 1, 3, {1, 2, 3});
  Fill(b, 3, 2, {1, 4, 2, 5, 3, 6});
  p.Allocate(1, 2);
  float* row = p.data[0];
  p.Multiply(a, b);
  EXPECT_EQ(p.data[0], row);  // a destination of the right shape keeps its storage
  EXPECT_EQ(p.data[0][0], 14.0f);
  EXPECT_EQ(p.data[0][1], 32.0f);
  Matrix q;
  q.Allocate(1, 5);
  q.Multiply(a, b);
  EXPECT_EQ(q.cols, 2);
  EXPECT_EQ(q.data[0][1], 32.0f);

  // The destination may be an operand: the product is still right.
  Matrix s;
  Fill(s, 2, 2, {1, 2, 3, 4});
  s.Multiply(s, s);
  EXPECT_EQ(s.data[0][0], 7.0f);
  EXPECT_EQ(s.data[1][1], 22.0f);
}

TEST(Matrix, RunningSumIsSinglePrecisionInAscendingOrder) {
  // 1 + 3 x 2^-25: a double accumulator (or a descending order) rounds to 1 + 2^-23; the float
  // running sum drops every small term.
  Matrix a, b, p;
  const float tiny = 0x1p-25f;
  Fill(a, 1, 4, {1.0f, tiny, tiny, tiny});
  Fill(b, 4, 1, {1, 1, 1, 1});
  p.Multiply(a, b);
  EXPECT_EQ(p.data[0][0], 1.0f);

  // Each product plus sum is rounded once: rounding the product to float first gives
  // -0x1.fe7932p+0 here.
  Fill(a, 1, 2, {0x1.0c9326p+0f, -0x1.fdd7eap+0f});
  Fill(b, 2, 1, {-0x1.bf635ap-3f, 0x1.c5b6c8p-1f});
  p.Multiply(a, b);
  EXPECT_EQ(p.data[0][0], -0x1.fe793p+0f);
}

TEST(Matrix, MismatchAndBadSizesAreFatal) {
  veltrane::test::FatalCatcher catcher;
  Matrix m44, m31, never, p;
  m44.Allocate(4, 4);
  m31.Allocate(3, 1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(catcher.Run([&] { p.Multiply(m44, m31); }), 1);
  EXPECT_EQ(catcher.Run([&] { p.Multiply(never, never); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "The two matrix not match!!!!\nThe two matrix not match!!!!\n");
  EXPECT_EQ(p.rows, -1);  // nothing was written into the destination

  testing::internal::CaptureStderr();
  EXPECT_EQ(catcher.Run([&] { m31.Allocate(-2, 3); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[Matrix::Allocate]: Cannot allocate a -2 x 3 matrix\n");
  EXPECT_EQ(m31.rows, 3);  // the old storage is kept
}

}  // namespace
