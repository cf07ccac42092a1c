// The eye-frame unit direction of every SRBF centre, from the centre angles of the description.
#pragma once

#include "relight/vec4.h"

class RelightDescription;

// Degrees to radians for the centre angles: a float factor, applied in float.
constexpr float kCenterRadiansPerDegree = 0.017453292f;

// Fills G_SRBF_center_dir (3 x count): column i is centre i's direction (polar angle theta
// from +Y, azimuth phi; degrees in the description), with components below 0.0001 in size set
// to 0, carried through the light-eye transform and normalised.
void PrepareCenterDirections(const RelightDescription& description, int count);

// One centre's direction in the light frame, before the light-eye transform: the angles (in
// radians, already scaled by kCenterRadiansPerDegree) through DirectionFromAngles, and every
// component below 0.0001 in size set to 0. The baker forms its centres with this too.
Vec4 LightFrameCenterDirection(float theta_rad, float phi_rad);
