// The SRBF weights of a whole environment: under radiance L the table top's irradiance is
// sum_k c_k(x) w_k with w_k = integral over the upper hemisphere of L(w) G_k(w) dw, per colour
// channel, where G_k is centre k's Gaussian lobe. Only these N RGB weights change from frame
// to frame; the coefficient maps are summed with them as with the seed light's kernel values.
//
// The horizon. The data set's transfer was fitted to the baker's truth, in which the light from a
// direction w is a disc of angular radius r round w whose irradiance is cos(theta_w) times the
// fraction of the disc that is unblocked, the part below the table's plane counting as blocked.
// The irradiance under an environment seen through that disc is the integral over the sphere of
// L(w) T_d(x, w), with T_d the mean over the cap round w of cos(theta') V(x, w') above the plane:
// it differs from the fitted transfer by a factor that depends on theta alone (the same for
// every texel): rho(theta) = D(theta) / (cos(theta) f(theta)), where f is the fraction of the
// baker's disc above the plane and D the cap's mean cosine above it (about (1 + cos r) / 2 high
// up, more near the horizon). And T_d is not zero for directions down to r below the horizon,
// whose caps reach over it; there the fitted lobes are not used (the fit never saw those
// directions) but their value at theta_h = 90 degrees - r / 2, the same azimuth, as the
// visibility just above the horizon, times D(theta) / (cos(theta_h) f(theta_h)). Integrating only
// the fitted transfer over the hemisphere leaves the irradiance about 3 % low under a uniform
// environment; with these factors a uniform environment gives exactly pi on an open texel.
//
// Turning the environment by alpha about the vertical axis adds alpha to every pixel's
// azimuth. Build tabulates the weights over alpha in steps of one pixel column of the
// resampled environment; Evaluate interpolates linearly between the two nearest steps, so a
// frame costs 6 N multiply-adds.
#pragma once

#include <vector>

#include "common/vec3.h"
#include "relight/environment_image.h"

namespace veltrane {

// f: the fraction of the baker's light disc of angular radius disc_radius (a uniform unit disc of
// offsets scaled by tan(disc_radius) in the plane across the direction) that lies above the
// horizon, for a disc centred at polar angle theta (radians from +Y): 1 high up, 1/2 at the
// horizon and below it. 1 when disc_radius is 0.
double HorizonDiscFraction(double theta, double disc_radius);

// D: the mean over a spherical cap of angular radius disc_radius centred at polar angle theta of
// max(0, cos theta'), uniform in solid angle (0 from pi/2 + disc_radius down; max(0, cos theta)
// when disc_radius is 0).
double CapMeanCosineAbove(double theta, double disc_radius);

// The factor that turns the fitted transfer of a direction at polar angle theta (above the
// horizon) into the transfer seen through the cap: D / (cos theta f); 1 when disc_radius is 0.
double HorizonTransferFactor(double theta, double disc_radius);

// The lobes: unit centre directions and the shared spread, and the 3 x 3 matrix (row major)
// that carries a light-frame direction into the centres' frame before the kernel (the light-eye
// transform's rotation part; identity when the centres are in the light frame). The kernel
// value of a light-frame direction d is SrbfKernelValue(normalize(M d) . c_k, sigma).
struct SrbfLobes {
  std::vector<Vec3d> centres;
  float sigma = 0.0f;
  double to_centre_frame[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  double disc_radius = 0.0;  // radians; 0: no horizon correction
};

// The resampled size every environment is integrated at: 2 kWeightTableHeight x
// kWeightTableHeight, 1.4 degrees a pixel.
constexpr int kWeightTableHeight = 128;
constexpr int kWeightTableWidth = 2 * kWeightTableHeight;

// The lobes sampled once at every pixel of that grid that can light the table (the rows down to
// disc_radius below the horizon), with each row's solid angle and horizon factor folded in, and
// the horizon factor over the polar angle for single directions.
class LobeGrid {
 public:
  // False when there are no centres.
  bool Build(const SrbfLobes& lobes);

  int centre_count() const { return n_; }
  int rows() const { return rows_; }
  const SrbfLobes& lobes() const { return lobes_; }
  // Row v's lobe k, kWeightTableWidth values over the azimuth, times the row's weight.
  const float* Row(int v, int k) const { return &values_[(static_cast<size_t>(v) * n_ + k) * kWeightTableWidth]; }
  // The solid angle of a pixel of row v times D(theta_v): an unshadowed texel's irradiance is
  // the sum of the radiance times these.
  double OpenWeight(int v) const { return open_[v]; }
  // The polar angle at which to read the lobes for a direction at theta, and the factor on them.
  void HorizonLobe(double theta, double* lobe_theta, double* factor) const;

 private:
  SrbfLobes lobes_;
  int n_ = 0, rows_ = 0;
  std::vector<float> values_;
  std::vector<double> open_;
  std::vector<double> factor_table_;  // the factor at kFactorSteps + 1 angles over [0, pi/2 + r]
};

// Resamples an environment to the grid's size.
EnvironmentImage ToWeightGrid(const EnvironmentImage& env);

// rgb[3 k + c] = the weight of centre k in channel c for env (already at the grid's size) as it
// stands (no turn).
void IntegrateEnvironment(const LobeGrid& grid, const EnvironmentImage& env, float* rgb);

// The irradiance (per channel) of an unshadowed texel under env (at the grid's size).
void OpenIrradiance(const LobeGrid& grid, const EnvironmentImage& env, double rgb[3]);

class EnvironmentWeights {
 public:
  // Tabulates the weights of env (any size; resampled to the grid's) over the turn, in steps
  // of one pixel column. False (and nothing built) when env is empty.
  bool Build(const EnvironmentImage& env, const LobeGrid& grid);

  // rgb[3 k + c] = weight of centre k in channel c for the environment turned by turn_rad.
  void Evaluate(double turn_rad, float* rgb) const;

 private:
  int n_ = 0, steps_ = 0;
  std::vector<float> table_;  // steps_ x n_ x 3
};

// Adds the weights of a directional light of irradiance rgb_irradiance (on a plane facing it)
// from light-frame direction l, seen through the disc as the environment is: w_k += E rho G_k(l)
// with the seed light's own kernel and the horizon factor above (rho = 1 without a disc).
void AddDirectionalWeights(const LobeGrid& grid, Vec3d l, const float rgb_irradiance[3], float* rgb);

// The kernel value of centre k for light-frame direction d.
float LobeValue(const SrbfLobes& lobes, int k, Vec3d d);

}  // namespace veltrane
