// The scene's direction convention, shared by the viewer's light and SRBF centres and by the
// baker: polar angle theta measured from the +Y axis, azimuth phi turning about Y from +X
// towards -Z, so (theta, phi) is (sin theta cos phi, cos theta, -sin theta sin phi). theta = 0
// is +Y, theta = 90 degrees with phi = 0 is +X and with phi = 90 degrees is -Z.
#pragma once

#include <cmath>

#include "common/vec3.h"

namespace veltrane {

// Degrees to radians in double precision, as the light animation converts its angles.
constexpr double kRadiansPerDegree = 0.017453292519943295;

// The unit direction for angles in radians, in double precision. The viewer's float directions
// are these components rounded to float (relight/vec4.h), so the sines and cosines must stay
// combined exactly like this: one product per component, the sign applied last.
inline Vec3d SphericalDirection(double theta_rad, double phi_rad) {
  const double s = std::sin(theta_rad);
  return {s * std::cos(phi_rad), std::cos(theta_rad), -(s * std::sin(phi_rad))};
}

}  // namespace veltrane
