// Light directions: Vec4 and the transform from the light frame to the eye frame. Directions
// follow the scene's convention of common/direction.h.
#pragma once

struct Vec4 {
  float x;
  float y;
  float z;
  float w;  // 1.0 in every direction the system passes around
};

// destination = M source - M (0, 0, 0, 1) with M the global light_eye_transform, each product
// through Matrix::Multiply and each difference rounded to float. With source.w = 1 the
// translation column drops out. M must be 4 x 4 (Matrix::Multiply ends the process otherwise).
void TransformLightEyeDir(const Vec4& source, Vec4& destination);

// Length of (x, y, z) in double precision; w is ignored.
double VecLength(const Vec4& v);

// x, y and z multiplied by factor, each rounded to float; w unchanged.
void VecScale(Vec4& v, float factor);

// Scales (x, y, z) to unit length by the float factor 1 / VecLength(v); w unchanged.
// A zero-length vector is left as it is.
void VecNormalize(Vec4& v);

// The unit direction for a polar angle and an azimuth in radians: SphericalDirection's double
// components rounded to float, w = 1. The light animation and the centre directions both form
// their directions here.
Vec4 DirectionFromAngles(double theta_rad, double phi_rad);
