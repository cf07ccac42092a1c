// Light directions: Vec4 and the transform from the light frame to the eye frame.
//
// Direction convention: polar angle theta from the +Y axis and azimuth phi give
// (sin theta cos phi, cos theta, -sin theta sin phi); theta = 90, phi = 90 degrees is -Z.
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

// The unit direction for a polar angle and an azimuth in radians, computed in double and
// rounded to float: (sin t cos p, cos t, -sin t sin p, 1).
Vec4 DirectionFromAngles(double theta_rad, double phi_rad);
