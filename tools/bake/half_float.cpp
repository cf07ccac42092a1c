#include "tools/bake/half_float.h"

#include "codec/half_float.h"

namespace veltrane {

float RoundToHalf(float f) { return HalfBitsToFloat(FloatToHalfBits(f)); }

}  // namespace veltrane
