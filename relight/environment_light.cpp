#include "relight/environment_light.h"

#include <algorithm>
#include <cmath>

#include "relight/sky_model.h"

namespace veltrane {
namespace {

constexpr int kDaySteps = 96;

double Exposure(double open_luminance) { return open_luminance > 0.0 ? kSeedOpenValue / open_luminance : 1.0; }

// The fraction of a full turn, in [0, 1).
double TurnFraction(double turn_deg) {
  double f = turn_deg / 360.0;
  f -= std::floor(f);
  return f >= 0.0 && f < 1.0 ? f : 0.0;
}

}  // namespace

bool EnvironmentLight::SetImage(const EnvironmentImage& env, const LobeGrid& grid) {
  const EnvironmentImage small = ToWeightGrid(env);  // resampled once, for the table and the exposure
  if (!image_.Build(small, grid)) return false;
  grid_ = &grid;
  sky_ = false;
  n_ = grid.centre_count();
  double open[3];
  OpenIrradiance(grid, small, open);
  image_open_ = Luminance(open[0], open[1], open[2]);
  exposure_ = Exposure(image_open_);
  return true;
}

bool EnvironmentLight::SetSky(const LobeGrid& grid, double turbidity) {
  if (grid.centre_count() < 1) return false;
  grid_ = &grid;
  sky_ = true;
  n_ = grid.centre_count();
  turbidity_ = turbidity;
  day_weights_.assign(static_cast<size_t>(kDaySteps + 1) * 3 * n_, 0.0f);
  day_open_.assign(kDaySteps + 1, 0.0);
  for (int i = 0; i <= kDaySteps; ++i) {
    SkyModel sky;
    sky.turbidity = turbidity;
    sky.sun = SunDirection(360.0 * i / kDaySteps - (i == kDaySteps ? 1e-9 : 0.0));
    const EnvironmentImage env = SkyEnvironment(sky, kWeightTableWidth, kWeightTableHeight);
    IntegrateEnvironment(grid, env, &day_weights_[static_cast<size_t>(i) * 3 * n_]);
    double open[3];
    OpenIrradiance(grid, env, open);
    day_open_[i] = Luminance(open[0], open[1], open[2]);
  }
  exposure_ = Exposure(OpenLuminance(180.0));
  return true;
}

double EnvironmentLight::DayHours(double turn_deg) const {
  return DayStartHours() + (DayEndHours() - DayStartHours()) * TurnFraction(turn_deg);
}

Vec3d EnvironmentLight::SunDirection(double turn_deg) const { return SunDirectionAt(DayHours(turn_deg)); }

void EnvironmentLight::SunIrradiance(double turn_deg, float rgb[3]) const {
  SkyModel sky;
  sky.turbidity = turbidity_;
  sky.sun = SunDirection(turn_deg);
  sky.SunIrradiance(rgb);
}

void EnvironmentLight::Weights(double turn_deg, float* rgb) const {
  if (grid_ == nullptr) return;
  if (!sky_) {
    image_.Evaluate(TurnFraction(turn_deg) * 2.0 * 3.14159265358979323846, rgb);
    return;
  }
  const double s = TurnFraction(turn_deg) * kDaySteps;
  const int i = std::min(static_cast<int>(s), kDaySteps - 1);
  const float t = static_cast<float>(s - i);
  const float* a = &day_weights_[static_cast<size_t>(i) * 3 * n_];
  const float* b = a + 3 * n_;
  for (int j = 0; j < 3 * n_; ++j) rgb[j] = a[j] + t * (b[j] - a[j]);
  float sun[3];
  SunIrradiance(turn_deg, sun);
  AddDirectionalWeights(*grid_, SunDirection(turn_deg), sun, rgb);
}

double EnvironmentLight::OpenLuminance(double turn_deg) const {
  if (!sky_) return image_open_;
  const double s = TurnFraction(turn_deg) * kDaySteps;
  const int i = std::min(static_cast<int>(s), kDaySteps - 1);
  const double t = s - i;
  const double sky = day_open_[i] + t * (day_open_[i + 1] - day_open_[i]);
  float sun[3];
  SunIrradiance(turn_deg, sun);
  const Vec3d l = SunDirection(turn_deg);
  const double cap_cosine = CapMeanCosineAbove(std::acos(std::clamp(l.y, -1.0, 1.0)), grid_->lobes().disc_radius);
  return sky + cap_cosine * Luminance(sun[0], sun[1], sun[2]);
}

}  // namespace veltrane
