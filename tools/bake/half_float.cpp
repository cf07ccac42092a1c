#include "tools/bake/half_float.h"

#include <cmath>

namespace veltrane {

float RoundToHalf(float f) {
  if (!std::isfinite(f) || f == 0.0f) return f;
  const float a = std::fabs(f);
  if (a >= 65520.0f) return std::copysign(HUGE_VALF, f);
  float quantum;
  if (a < 6.103515625e-05f) {
    quantum = std::ldexp(1.0f, -24);  // the subnormal step
  } else {
    int exponent;
    std::frexp(a, &exponent);  // a = m * 2^exponent, m in [0.5, 1): 11 significant bits
    quantum = std::ldexp(1.0f, exponent - 11);
  }
  return std::copysign(std::nearbyint(a / quantum) * quantum, f);
}

}  // namespace veltrane
