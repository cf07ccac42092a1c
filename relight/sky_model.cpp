#include "relight/sky_model.h"

#include <algorithm>
#include <cmath>

#include "common/direction.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The Perez distribution (1 + A e^(B / cos theta)) (1 + C e^(D gamma) + E cos^2 gamma) of the
// polar angle theta and the angle gamma from the sun.
struct Perez {
  double a, b, c, d, e;
  double operator()(double theta, double gamma) const {
    const double cos_theta = std::max(std::cos(theta), 0.01);  // keeps the horizon finite
    const double cos_gamma = std::cos(gamma);
    return (1.0 + a * std::exp(b / cos_theta)) * (1.0 + c * std::exp(d * gamma) + e * cos_gamma * cos_gamma);
  }
};

// The coefficients of the paper's appendix, linear in the turbidity T.
Perez LuminanceDistribution(double t) {
  return {0.1787 * t - 1.4630, -0.3554 * t + 0.4275, -0.0227 * t + 5.3251, 0.1206 * t - 2.5771, -0.0670 * t + 0.3703};
}
Perez XDistribution(double t) {
  return {-0.0193 * t - 0.2592, -0.0665 * t + 0.0008, -0.0004 * t + 0.2125, -0.0641 * t - 0.8989, -0.0033 * t + 0.0452};
}
Perez YDistribution(double t) {
  return {-0.0167 * t - 0.2608, -0.0950 * t + 0.0092, -0.0079 * t + 0.2102, -0.0441 * t - 1.6537, -0.0109 * t + 0.0529};
}

// The zenith's chromaticity: [T^2 T 1] M [theta_s^3 theta_s^2 theta_s 1]^T.
double ZenithChromaticity(const double m[3][4], double t, double theta_s) {
  const double tv[3] = {t * t, t, 1.0};
  const double sv[4] = {theta_s * theta_s * theta_s, theta_s * theta_s, theta_s, 1.0};
  double sum = 0.0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) sum += tv[i] * m[i][j] * sv[j];
  }
  return sum;
}

constexpr double kZenithX[3][4] = {{0.00166, -0.00375, 0.00209, 0.0},
                                   {-0.02903, 0.06377, -0.03202, 0.00394},
                                   {0.11693, -0.21196, 0.06052, 0.25886}};
constexpr double kZenithY[3][4] = {{0.00275, -0.00610, 0.00317, 0.0},
                                   {-0.04214, 0.08970, -0.04153, 0.00516},
                                   {0.15346, -0.26756, 0.06670, 0.26688}};

// CIE xyY to linear sRGB (Rec. 709 primaries, D65 white); negative components become 0.
void XyYToRgb(double x, double y, double luminance, float rgb[3]) {
  if (y <= 0.0) {
    rgb[0] = rgb[1] = rgb[2] = 0.0f;
    return;
  }
  const double cx = x * luminance / y, cy = luminance, cz = (1.0 - x - y) * luminance / y;
  const double r = 3.2406 * cx - 1.5372 * cy - 0.4986 * cz;
  const double g = -0.9689 * cx + 1.8758 * cy + 0.0415 * cz;
  const double b = 0.0557 * cx - 0.2040 * cy + 1.0570 * cz;
  rgb[0] = static_cast<float>(std::max(0.0, r));
  rgb[1] = static_cast<float>(std::max(0.0, g));
  rgb[2] = static_cast<float>(std::max(0.0, b));
}

double SunTheta(const SkyModel& sky) {
  return std::min(std::acos(std::clamp(sky.sun.y, -1.0, 1.0)), 89.0 * kPi / 180.0);
}

}  // namespace

void SkyModel::Radiance(Vec3d d, float rgb[3]) const {
  if (d.y <= 0.0) {
    rgb[0] = rgb[1] = rgb[2] = 0.0f;
    return;
  }
  const double t = turbidity;
  const double theta_s = SunTheta(*this);
  const double theta = std::acos(std::clamp(d.y, 0.0, 1.0));
  // The sun's direction with its clamped polar angle, for the angle gamma from it.
  const double horizontal = std::hypot(sun.x, sun.z);
  const Vec3d s = horizontal > 0.0 ? Vec3d{std::sin(theta_s) * sun.x / horizontal, std::cos(theta_s),
                                           std::sin(theta_s) * sun.z / horizontal}
                                   : Vec3d{0.0, 1.0, 0.0};
  const double gamma = std::acos(std::clamp(Dot(Normalized(d), s), -1.0, 1.0));

  const double chi = (4.0 / 9.0 - t / 120.0) * (kPi - 2.0 * theta_s);
  const double zenith_luminance = (4.0453 * t - 4.9710) * std::tan(chi) - 0.2155 * t + 2.4192;
  const double zenith_x = ZenithChromaticity(kZenithX, t, theta_s);
  const double zenith_y = ZenithChromaticity(kZenithY, t, theta_s);

  const Perez fl = LuminanceDistribution(t), fx = XDistribution(t), fy = YDistribution(t);
  const double luminance = zenith_luminance * fl(theta, gamma) / fl(0.0, theta_s);
  const double x = zenith_x * fx(theta, gamma) / fx(0.0, theta_s);
  const double y = zenith_y * fy(theta, gamma) / fy(0.0, theta_s);
  XyYToRgb(x, y, std::max(0.0, luminance), rgb);
}

void SkyModel::SunIrradiance(float rgb[3]) const {
  if (sun.y <= 0.0) {
    rgb[0] = rgb[1] = rgb[2] = 0.0f;
    return;
  }
  // Relative optical air mass (Kasten's formula, as the paper uses) and the transmittance of
  // Rayleigh scattering and of aerosols (Angstrom's law, alpha = 1.3, beta from the turbidity)
  // at one wavelength per channel (micrometres). The sun outside the atmosphere is taken as
  // white with an illuminance of 127 klx.
  const double theta_deg = std::acos(std::clamp(sun.y, 0.0, 1.0)) * 180.0 / kPi;
  const double mass = 1.0 / (std::cos(theta_deg * kPi / 180.0) + 0.15 * std::pow(93.885 - theta_deg, -1.253));
  const double beta = 0.04608 * turbidity - 0.04586;
  const double wavelength[3] = {0.65, 0.55, 0.45};
  for (int c = 0; c < 3; ++c) {
    const double rayleigh = std::exp(-0.008735 * std::pow(wavelength[c], -4.08) * mass);
    const double aerosol = std::exp(-beta * std::pow(wavelength[c], -1.3) * mass);
    rgb[c] = static_cast<float>(127.0 * rayleigh * aerosol);
  }
}

EnvironmentImage SkyEnvironment(const SkyModel& sky, int width, int height) {
  EnvironmentImage e;
  e.width = width;
  e.height = height;
  e.rgb.assign(3 * static_cast<size_t>(width) * height, 0.0f);
  for (int v = 0; v < height; ++v) {
    for (int u = 0; u < width; ++u) sky.Radiance(EnvironmentPixelDirection(u, v, width, height), e.Pixel(u, v));
  }
  return e;
}

namespace {

constexpr double kLatitude = 40.0 * kPi / 180.0;
constexpr double kDeclination = 10.0 * kPi / 180.0;

double SunElevationSine(double hours) {
  const double hour_angle = (hours - 12.0) * 15.0 * kPi / 180.0;
  return std::sin(kLatitude) * std::sin(kDeclination) +
         std::cos(kLatitude) * std::cos(kDeclination) * std::cos(hour_angle);
}

// The hour after midnight at which the sun stands 3 degrees high in the morning.
double MorningHours() {
  const double target = std::sin(3.0 * kPi / 180.0);
  const double c = (target - std::sin(kLatitude) * std::sin(kDeclination)) / (std::cos(kLatitude) * std::cos(kDeclination));
  return 12.0 - std::acos(std::clamp(c, -1.0, 1.0)) * 180.0 / kPi / 15.0;
}

}  // namespace

Vec3d SunDirectionAt(double hours) {
  const double hour_angle = (hours - 12.0) * 15.0 * kPi / 180.0;
  const double east = -std::cos(kDeclination) * std::sin(hour_angle);
  const double north = std::cos(kLatitude) * std::sin(kDeclination) -
                       std::sin(kLatitude) * std::cos(kDeclination) * std::cos(hour_angle);
  return Normalized({east, SunElevationSine(hours), north});
}

double DayStartHours() { return MorningHours(); }
double DayEndHours() { return 24.0 - MorningHours(); }

}  // namespace veltrane
