#include "relight/environment_weights.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/direction.h"
#include "relight/srbf_kernel.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

Vec3d ToCentreFrame(const SrbfLobes& lobes, Vec3d d) {
  const double* m = lobes.to_centre_frame;
  return Normalized({m[0] * d.x + m[1] * d.y + m[2] * d.z, m[3] * d.x + m[4] * d.y + m[5] * d.z,
                     m[6] * d.x + m[7] * d.y + m[8] * d.z});
}

}  // namespace

double HorizonDiscFraction(double theta, double disc_radius) {
  if (disc_radius <= 0.0) return 1.0;
  if (theta >= 0.5 * kPi) return 0.5;
  // A disc offset s (along the in-plane direction that rises fastest) keeps the direction above
  // the plane while cos theta + tan(r) s sin theta > 0, i.e. s > -a; the part of the unit disc
  // with s < -a is a segment of area acos(a) - a sqrt(1 - a^2).
  const double a = std::cos(theta) / (std::tan(disc_radius) * std::sin(theta));
  if (a >= 1.0) return 1.0;
  return 1.0 - (std::acos(a) - a * std::sqrt(1.0 - a * a)) / kPi;
}

double CapMeanCosineAbove(double theta, double disc_radius) {
  if (disc_radius <= 0.0) return std::max(0.0, std::cos(theta));
  // Midpoint rule over (psi, beta): psi from the cap's centre, beta round it; the cap point's
  // height is cos psi cos theta - sin psi cos beta sin theta.
  constexpr int kRings = 48, kSpokes = 96;
  // The spokes' cosines are the same for every call (a table build makes thousands).
  static const std::array<double, kSpokes> cos_beta = [] {
    std::array<double, kSpokes> c{};
    for (int j = 0; j < kSpokes; ++j) c[j] = std::cos(2.0 * kPi * (j + 0.5) / kSpokes);
    return c;
  }();
  double sum = 0.0, area = 0.0;
  const double ct = std::cos(theta), st = std::sin(theta);
  for (int i = 0; i < kRings; ++i) {
    const double psi = disc_radius * (i + 0.5) / kRings;
    const double w = std::sin(psi), cos_psi = std::cos(psi);
    for (int j = 0; j < kSpokes; ++j) sum += w * std::max(0.0, cos_psi * ct - w * cos_beta[j] * st);
    area += w * kSpokes;
  }
  return sum / area;
}

double HorizonTransferFactor(double theta, double disc_radius) {
  if (disc_radius <= 0.0) return 1.0;
  return CapMeanCosineAbove(theta, disc_radius) / (std::cos(theta) * HorizonDiscFraction(theta, disc_radius));
}

namespace {

// For a row at polar angle theta: the polar angle at which the fitted lobes are read, and the
// factor on them (see the header): the lobes themselves with rho down to theta_h, below that
// (down to r under the horizon) the lobes at theta_h scaled to the cap's cosine there. 0 where
// the row's caps do not reach above the horizon.
void RowLobe(double theta, double disc_radius, double* lobe_theta, double* factor) {
  if (disc_radius <= 0.0) {
    *lobe_theta = theta;
    *factor = theta < 0.5 * kPi ? 1.0 : 0.0;
    return;
  }
  const double theta_h = 0.5 * kPi - 0.5 * disc_radius;
  if (theta <= theta_h) {
    *lobe_theta = theta;
    *factor = HorizonTransferFactor(theta, disc_radius);
    return;
  }
  *lobe_theta = theta_h;
  *factor = CapMeanCosineAbove(theta, disc_radius) /
            (std::cos(theta_h) * HorizonDiscFraction(theta_h, disc_radius));
}

}  // namespace

float LobeValue(const SrbfLobes& lobes, int k, Vec3d d) {
  const Vec3d e = ToCentreFrame(lobes, d);
  return SrbfKernelValue(static_cast<float>(Dot(e, lobes.centres[k])), lobes.sigma);
}

namespace {
constexpr int kFactorSteps = 2048;
}  // namespace

bool LobeGrid::Build(const SrbfLobes& lobes) {
  if (lobes.centres.empty()) return false;
  lobes_ = lobes;
  n_ = static_cast<int>(lobes.centres.size());
  const int h = kWeightTableHeight, w = kWeightTableWidth;
  // Rows whose centre lies at most disc_radius (plus a row) below the horizon.
  rows_ = std::min(h, static_cast<int>(std::ceil((0.5 * kPi + lobes.disc_radius) / kPi * h)) + 1);
  values_.assign(static_cast<size_t>(rows_) * n_ * w, 0.0f);
  open_.assign(rows_, 0.0);
  for (int v = 0; v < rows_; ++v) {
    const double theta = kPi * (v + 0.5) / h;
    double lobe_theta = 0.0, factor = 0.0;
    RowLobe(theta, lobes.disc_radius, &lobe_theta, &factor);
    const double solid_angle = EnvironmentPixelSolidAngle(v, w, h);
    open_[v] = solid_angle * CapMeanCosineAbove(theta, lobes.disc_radius);
    if (factor <= 0.0) continue;
    for (int k = 0; k < n_; ++k) {
      float* row = &values_[(static_cast<size_t>(v) * n_ + k) * w];
      for (int i = 0; i < w; ++i) {
        const double phi = 2.0 * kPi * (i + 0.5) / w;
        row[i] = static_cast<float>(solid_angle * factor * LobeValue(lobes, k, SphericalDirection(lobe_theta, phi)));
      }
    }
  }
  factor_table_.assign(kFactorSteps + 1, 0.0);
  for (int i = 0; i <= kFactorSteps; ++i) {
    double lobe_theta = 0.0;
    RowLobe((0.5 * kPi + lobes.disc_radius) * i / kFactorSteps, lobes.disc_radius, &lobe_theta, &factor_table_[i]);
  }
  return true;
}

void LobeGrid::HorizonLobe(double theta, double* lobe_theta, double* factor) const {
  const double end = 0.5 * kPi + lobes_.disc_radius;
  const double theta_h = lobes_.disc_radius > 0.0 ? 0.5 * kPi - 0.5 * lobes_.disc_radius : 0.5 * kPi;
  *lobe_theta = std::min(theta, theta_h);
  if (!(theta >= 0.0 && theta < end)) {
    *factor = 0.0;
    return;
  }
  const double s = theta / end * kFactorSteps;
  const int i = std::min(static_cast<int>(s), kFactorSteps - 1);
  const double t = s - i;
  *factor = factor_table_[i] + t * (factor_table_[i + 1] - factor_table_[i]);
}

EnvironmentImage ToWeightGrid(const EnvironmentImage& env) {
  if (env.width == kWeightTableWidth && env.height == kWeightTableHeight) return env;
  return ResampleEnvironment(env, kWeightTableWidth, kWeightTableHeight);
}

void IntegrateEnvironment(const LobeGrid& grid, const EnvironmentImage& env, float* rgb) {
  const int n = grid.centre_count();
  for (int k = 0; k < n; ++k) {
    double sum[3] = {0, 0, 0};
    for (int v = 0; v < grid.rows(); ++v) {
      const float* g = grid.Row(v, k);
      const float* px = env.Pixel(0, v);
      float row[3] = {0, 0, 0};
      for (int u = 0; u < kWeightTableWidth; ++u) {
        for (int c = 0; c < 3; ++c) row[c] += g[u] * px[3 * u + c];
      }
      for (int c = 0; c < 3; ++c) sum[c] += row[c];
    }
    for (int c = 0; c < 3; ++c) rgb[3 * k + c] = static_cast<float>(sum[c]);
  }
}

void OpenIrradiance(const LobeGrid& grid, const EnvironmentImage& env, double rgb[3]) {
  rgb[0] = rgb[1] = rgb[2] = 0.0;
  for (int v = 0; v < grid.rows(); ++v) {
    double row[3] = {0, 0, 0};
    for (int u = 0; u < kWeightTableWidth; ++u) {
      for (int c = 0; c < 3; ++c) row[c] += env.Pixel(u, v)[c];
    }
    for (int c = 0; c < 3; ++c) rgb[c] += grid.OpenWeight(v) * row[c];
  }
}

bool EnvironmentWeights::Build(const EnvironmentImage& env, const LobeGrid& grid) {
  const int n = grid.centre_count();
  if (n < 1 || env.width < 1 || env.height < 1 || env.rgb.size() < 3 * static_cast<size_t>(env.width) * env.height) {
    return false;
  }
  const int w = kWeightTableWidth;
  const EnvironmentImage small = ToWeightGrid(env);
  std::vector<double> table(static_cast<size_t>(w) * n * 3, 0.0);
  std::vector<float> lobe(2 * static_cast<size_t>(w));
  std::vector<float> acc(3 * static_cast<size_t>(w));
  for (int v = 0; v < grid.rows(); ++v) {
    for (int k = 0; k < n; ++k) {
      // lobe[u + j] is the lobe at phi_u + alpha_j for every turn step j < w.
      const float* g0 = grid.Row(v, k);
      std::copy(g0, g0 + w, lobe.begin());
      std::copy(g0, g0 + w, lobe.begin() + w);
      std::fill(acc.begin(), acc.end(), 0.0f);
      float* ar = acc.data();
      float* ag = ar + w;
      float* ab = ag + w;
      for (int u = 0; u < w; ++u) {
        const float* px = small.Pixel(u, v);
        if (px[0] == 0.0f && px[1] == 0.0f && px[2] == 0.0f) continue;
        const float* g = &lobe[u];
        for (int j = 0; j < w; ++j) {
          ar[j] += px[0] * g[j];
          ag[j] += px[1] * g[j];
          ab[j] += px[2] * g[j];
        }
      }
      for (int j = 0; j < w; ++j) {
        double* t = &table[3 * (static_cast<size_t>(j) * n + k)];
        t[0] += ar[j];
        t[1] += ag[j];
        t[2] += ab[j];
      }
    }
  }
  n_ = n;
  steps_ = w;
  table_.assign(table.begin(), table.end());
  return true;
}

void EnvironmentWeights::Evaluate(double turn_rad, float* rgb) const {
  // Step j holds the turn alpha_j = 2 pi j / steps.
  double s = turn_rad / (2.0 * kPi) * steps_;
  s -= std::floor(s / steps_) * steps_;
  if (!(s >= 0.0 && s < steps_)) s = 0.0;  // NaN or rounding up to steps_
  const int j0 = static_cast<int>(s);
  const int j1 = j0 + 1 == steps_ ? 0 : j0 + 1;
  const float t = static_cast<float>(s - j0);
  const float* a = &table_[3 * static_cast<size_t>(j0) * n_];
  const float* b = &table_[3 * static_cast<size_t>(j1) * n_];
  for (int i = 0; i < 3 * n_; ++i) rgb[i] = a[i] + t * (b[i] - a[i]);
}

void AddDirectionalWeights(const LobeGrid& grid, Vec3d l, const float rgb_irradiance[3], float* rgb) {
  const double theta = std::acos(std::clamp(l.y, -1.0, 1.0));
  double lobe_theta = 0.0, factor = 0.0;
  grid.HorizonLobe(theta, &lobe_theta, &factor);
  if (factor <= 0.0) return;  // the light's whole disc is below the table's plane
  const Vec3d d = lobe_theta == theta ? l : SphericalDirection(lobe_theta, std::atan2(-l.z, l.x));
  for (int k = 0; k < grid.centre_count(); ++k) {
    const double g = factor * LobeValue(grid.lobes(), k, d);
    for (int c = 0; c < 3; ++c) rgb[3 * k + c] += static_cast<float>(rgb_irradiance[c] * g);
  }
}

}  // namespace veltrane
