// A light besides the seed's moving directional light: an environment image that turns about
// the vertical axis, or the built-in sky whose sun crosses it in a day. Either gives, for a
// phase of its motion, the N RGB weights of the SRBF coefficient maps (the table top's
// irradiance before any exposure) and an exposure that shows an unshadowed texel as bright as
// the seed light does.
#pragma once

#include <vector>

#include "relight/environment_weights.h"

namespace veltrane {

// An unshadowed texel's light-map value under the seed light at its starting polar angle (37
// degrees): cos 37 degrees. The exposure scales an environment's weights to match it.
constexpr double kSeedOpenValue = 0.79863551;

// The sky's default turbidity (a clear day).
constexpr double kSkyTurbidity = 3.0;

class EnvironmentLight {
 public:
  // An environment image (any size, resampled). False when it or the grid is empty.
  bool SetImage(const EnvironmentImage& env, const LobeGrid& grid);
  // The built-in sky with its sun, tabulated over the day.
  bool SetSky(const LobeGrid& grid, double turbidity = kSkyTurbidity);

  // The phase of the motion, as a turn in degrees: for an image the turn about the vertical
  // axis; for the sky the time of day, a full turn running from sunrise (0) through noon (180)
  // to sunset (360).
  // rgb[3 k + c]: the weight of centre k in channel c (irradiance, before the exposure).
  void Weights(double turn_deg, float* rgb) const;
  // The luminance of an unshadowed texel's irradiance.
  double OpenLuminance(double turn_deg) const;
  // kSeedOpenValue over OpenLuminance for the image, at noon for the sky (fixed for the day, so
  // that the day's course shows); 1 when the light is dark.
  double exposure() const { return exposure_; }

  // The sky's sun at that phase (for a sky), its direction and irradiance.
  Vec3d SunDirection(double turn_deg) const;
  void SunIrradiance(double turn_deg, float rgb[3]) const;
  double turbidity() const { return turbidity_; }

 private:
  double DayHours(double turn_deg) const;

  const LobeGrid* grid_ = nullptr;
  bool sky_ = false;
  int n_ = 0;
  double turbidity_ = kSkyTurbidity;
  double exposure_ = 1.0;
  EnvironmentWeights image_;
  double image_open_ = 0.0;
  // The sky without its sun at kDaySteps + 1 times over the day: weights and open luminance.
  std::vector<float> day_weights_;
  std::vector<double> day_open_;
};

// Relative luminance of linear Rec. 709 RGB.
inline double Luminance(double r, double g, double b) { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }

}  // namespace veltrane
