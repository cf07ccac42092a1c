// The eye-frame unit direction of every SRBF centre, from the centre angles of the description.
#pragma once

class RelightDescription;

// Fills G_SRBF_center_dir (3 x count): column i is centre i's direction (polar angle theta
// from +Y, azimuth phi; degrees in the description), with components below 0.0001 in size set
// to 0, carried through the light-eye transform and normalised.
void PrepareCenterDirections(const RelightDescription& description, int count);
