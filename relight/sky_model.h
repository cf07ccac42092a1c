// A clear sky with a sun, after Preetham, Shirley and Smits, "A Practical Analytic Model for
// Daylight" (SIGGRAPH 1999): the sky's luminance and chromaticity from the Perez distribution
// with coefficients linear in the turbidity, the zenith's values from the sun's polar angle, and
// the sun's colour from the atmosphere's Rayleigh and aerosol transmittance along its path.
// Radiance is in kcd/m^2 and the sun's irradiance in klx, in linear sRGB (Rec. 709 primaries).
#pragma once

#include "common/vec3.h"
#include "relight/environment_image.h"

namespace veltrane {

struct SkyModel {
  double turbidity = 3.0;
  Vec3d sun;  // unit, light frame; its polar angle is clamped to 89 degrees for the sky's formulas

  // The sky's radiance seen in direction d (unit, upper hemisphere); 0 below the horizon (the
  // ground is black).
  void Radiance(Vec3d d, float rgb[3]) const;
  // The sun's irradiance on a plane facing it; 0 when it is below the horizon.
  void SunIrradiance(float rgb[3]) const;
};

// The sky as a latitude-longitude image (no sun in it).
EnvironmentImage SkyEnvironment(const SkyModel& sky, int width, int height);

// The sun's place at a time of day (hours, 0 to 24) at latitude 40 degrees north in spring
// (declination 10 degrees), with east at +X (azimuth 0), south at -Z (azimuth 90 degrees) and
// up at +Y: it rises in the east, stands 60 degrees high in the south at noon and sets in the
// west.
Vec3d SunDirectionAt(double hours);

// The hours of sunrise and sunset (sun at 3 degrees) of SunDirectionAt's day.
double DayStartHours();
double DayEndHours();

}  // namespace veltrane
