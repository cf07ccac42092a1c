#include "codec/half_float.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define VELTRANE_HAVE_F16C_PATH 1
#endif

namespace veltrane {

uint16_t FloatToHalfBits(float f) {
  uint32_t x;
  std::memcpy(&x, &f, sizeof x);
  const uint16_t sign = static_cast<uint16_t>((x >> 16) & 0x8000u);
  const uint32_t ax = x & 0x7fffffffu;
  if (ax >= 0x7f800000u) {  // infinity, or NaN (quieted, its payload's top bits kept)
    return ax == 0x7f800000u ? static_cast<uint16_t>(sign | 0x7c00u)
                             : static_cast<uint16_t>(sign | 0x7e00u | ((ax >> 13) & 0x3ffu));
  }
  if (ax >= 0x477ff000u) return static_cast<uint16_t>(sign | 0x7c00u);  // 65520 and up round to infinity
  uint32_t q;
  uint32_t rest;
  uint32_t halfway;
  if (ax >= 0x38800000u) {  // a normal half: rebias the exponent, drop 13 bits of the fraction
    q = (ax >> 13) - (112u << 10);
    rest = ax & 0x1fffu;
    halfway = 0x1000u;
  } else {  // a subnormal half (or zero): the significand scaled to units of 2^-24
    const int shift = 126 - static_cast<int>(ax >> 23);
    if (shift > 24) return sign;  // below 2^-25 (or a float subnormal): rounds to zero
    const uint32_t significand = (ax & 0x7fffffu) | 0x800000u;
    q = significand >> shift;
    rest = significand & ((1u << shift) - 1u);
    halfway = 1u << (shift - 1);
  }
  if (rest > halfway || (rest == halfway && (q & 1u))) ++q;  // a carry moves into the exponent
  return static_cast<uint16_t>(sign | q);
}

#ifdef VELTRANE_HAVE_F16C_PATH
namespace {

__attribute__((target("f16c,avx"))) void FloatsToHalfBitsF16c(const float* in, size_t count, uint16_t* out,
                                                                 size_t out_stride) {
  size_t i = 0;
  alignas(16) uint16_t eight[8];
  for (; i + 8 <= count; i += 8) {
    const __m128i h = _mm256_cvtps_ph(_mm256_loadu_ps(in + i), _MM_FROUND_TO_NEAREST_INT);
    if (out_stride == 1) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), h);
    } else {
      _mm_store_si128(reinterpret_cast<__m128i*>(eight), h);
      for (int k = 0; k < 8; ++k) out[(i + k) * out_stride] = eight[k];
    }
  }
  for (; i < count; ++i) out[i * out_stride] = FloatToHalfBits(in[i]);
}

// F16C and AVX on the processor (CPUID leaf 1), and the AVX registers' state saved by the
// operating system (OSXSAVE, then XCR0's SSE and AVX bits): what the VEX-encoded conversion
// instructions need.
bool HaveF16c() {
  static const bool have = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
    constexpr unsigned kOsxsave = 1u << 27, kAvx = 1u << 28, kF16c = 1u << 29;
    if ((ecx & (kOsxsave | kAvx | kF16c)) != (kOsxsave | kAvx | kF16c)) return false;
    unsigned xcr0_low = 0, xcr0_high = 0;
    __asm__("xgetbv" : "=a"(xcr0_low), "=d"(xcr0_high) : "c"(0));
    return (xcr0_low & 6u) == 6u;
  }();
  return have;
}

}  // namespace
#endif

void FloatsToHalfBits(const float* in, size_t count, uint16_t* out, size_t out_stride) {
#ifdef VELTRANE_HAVE_F16C_PATH
  if (HaveF16c()) {
    FloatsToHalfBitsF16c(in, count, out, out_stride);
    return;
  }
#endif
  for (size_t i = 0; i < count; ++i) out[i * out_stride] = FloatToHalfBits(in[i]);
}

float HalfBitsToFloat(uint16_t h) {
  const uint32_t sign = static_cast<uint32_t>(h & 0x8000u) << 16;
  const uint32_t exponent = (h >> 10) & 0x1fu;
  uint32_t fraction = h & 0x3ffu;
  uint32_t bits;
  if (exponent == 0x1fu) {
    bits = sign | 0x7f800000u | (fraction << 13);
  } else if (exponent != 0) {
    bits = sign | ((exponent + 112u) << 23) | (fraction << 13);
  } else if (fraction == 0) {
    bits = sign;
  } else {  // subnormal: normalise
    int e = 113;
    while ((fraction & 0x400u) == 0) {
      fraction <<= 1;
      --e;
    }
    bits = sign | (static_cast<uint32_t>(e) << 23) | ((fraction & 0x3ffu) << 13);
  }
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

}  // namespace veltrane
