// Rounding floats to half precision: every half survives the round trip, halfway values go to
// the even neighbour, and the processor's conversion instructions agree with the plain code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "codec/half_float.h"

namespace veltrane {
namespace {

float FromBits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

bool IsNaNHalf(uint16_t h) { return (h & 0x7c00u) == 0x7c00u && (h & 0x3ffu) != 0; }

TEST(HalfFloatTest, EveryHalfRoundTripsAndMidpointsGoToTheEvenNeighbour) {
  for (uint32_t h = 0; h < 0x10000u; ++h) {
    const uint16_t half = static_cast<uint16_t>(h);
    if (IsNaNHalf(half)) continue;
    const float value = HalfBitsToFloat(half);
    ASSERT_EQ(FloatToHalfBits(value), half) << std::hex << h;
    // The midpoint to the next half of larger magnitude (finite ones only), and a hair either
    // side of it.
    const uint16_t next = static_cast<uint16_t>(h + 1);
    if ((half & 0x7fffu) >= 0x7bffu) continue;
    const float mid = static_cast<float>((static_cast<double>(value) + HalfBitsToFloat(next)) / 2);
    uint32_t mid_bits;
    std::memcpy(&mid_bits, &mid, sizeof mid_bits);
    ASSERT_EQ(FloatToHalfBits(mid), (h & 1u) ? next : half) << std::hex << h;
    ASSERT_EQ(FloatToHalfBits(FromBits(mid_bits - 1)), half) << std::hex << h;
    ASSERT_EQ(FloatToHalfBits(FromBits(mid_bits + 1)), next) << std::hex << h;
  }
}

TEST(HalfFloatTest, RangeEnds) {
  EXPECT_EQ(FloatToHalfBits(65504.0f), 0x7bffu);
  EXPECT_EQ(FloatToHalfBits(65519.996f), 0x7bffu);
  EXPECT_EQ(FloatToHalfBits(65520.0f), 0x7c00u);  // the tie above the largest half: to infinity
  EXPECT_EQ(FloatToHalfBits(-1e30f), 0xfc00u);
  EXPECT_EQ(FloatToHalfBits(HUGE_VALF), 0x7c00u);
  EXPECT_EQ(FloatToHalfBits(std::ldexp(1.0f, -25)), 0x0000u);  // the tie below the smallest subnormal
  EXPECT_EQ(FloatToHalfBits(std::nextafter(std::ldexp(1.0f, -25), 1.0f)), 0x0001u);
  EXPECT_EQ(FloatToHalfBits(-1e-30f), 0x8000u);
  EXPECT_EQ(FloatToHalfBits(FromBits(0x00000001u)), 0x0000u);  // a float subnormal
  EXPECT_TRUE(IsNaNHalf(FloatToHalfBits(std::nanf(""))));
  EXPECT_EQ(HalfBitsToFloat(0x0001u), std::ldexp(1.0f, -24));
  EXPECT_EQ(HalfBitsToFloat(0x3c00u), 1.0f);
  EXPECT_EQ(HalfBitsToFloat(0xc000u), -2.0f);
}

TEST(HalfFloatTest, ArrayConversionMatchesTheScalarOneForAnyBitsAndStride) {
  std::mt19937 random(7);
  std::vector<float> in(1003);  // not a multiple of the eight the instructions take
  for (float& f : in) f = FromBits(static_cast<uint32_t>(random()));
  for (size_t stride : {size_t{1}, size_t{3}}) {
    std::vector<uint16_t> out(in.size() * stride, 0xabcd);
    FloatsToHalfBits(in.data(), in.size(), out.data(), stride);
    for (size_t i = 0; i < in.size(); ++i) {
      ASSERT_EQ(out[i * stride], FloatToHalfBits(in[i])) << i << " bits " << std::hex << out[i * stride];
      for (size_t k = 1; k < stride; ++k) ASSERT_EQ(out[i * stride + k], 0xabcd) << "wrote between the strides";
    }
  }
}

}  // namespace
}  // namespace veltrane
