// The centre optimisation on samples made from known lobes, and the held-out error measures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/direction.h"
#include "tools/bake/centre_fit.h"
#include "tools/bake/fit_errors.h"
#include "tools/bake/sphere_sets.h"

namespace veltrane {
namespace {

Vec3d AngleDirection(const SphereAngles& a) {
  return SphericalDirection(a.theta_deg * kRadiansPerDegree, a.phi_deg * kRadiansPerDegree);
}

double AngleBetweenDeg(Vec3d a, Vec3d b) {
  return std::acos(std::fmax(-1.0, std::fmin(1.0, Dot(a, b)))) / kRadiansPerDegree;
}

// Samples of a few texels, each an exact combination of Gaussian lobes at `centres`.
CentreFitProblem LobeProblem(const std::vector<SphereAngles>& centres, double sigma) {
  CentreFitProblem p;
  p.fit_directions = FibonacciHemisphere(160);
  p.texels = 7;
  p.relative_ridge = 1e-9;
  SplitMix64 rng(42);
  std::vector<double> coefficients;
  for (size_t i = 0; i < centres.size() * p.texels; ++i) coefficients.push_back(0.2 + rng.Uniform());
  for (const Vec3d& l : p.fit_directions) {
    for (size_t t = 0; t < p.texels; ++t) {
      double v = 0.0;
      for (size_t i = 0; i < centres.size(); ++i) {
        const double angle = AngleBetweenDeg(l, AngleDirection(centres[i])) * kRadiansPerDegree;
        v += coefficients[i * p.texels + t] * std::exp(-angle * angle / (2.0 * sigma * sigma));
      }
      p.samples.push_back(v);
    }
  }
  return p;
}

TEST(OptimizeCentres, FindsTheLobesThatMadeTheSamples) {
  const std::vector<SphereAngles> truth = {{10.0f, 30.0f}, {45.0f, 100.0f}, {60.0f, 250.0f}, {80.0f, 10.0f}};
  CentreFitProblem p = LobeProblem(truth, 0.35);
  p.start = {{18.0f, 40.0f}, {38.0f, 112.0f}, {66.0f, 240.0f}, {72.0f, 358.0f}};
  p.start_sigma = 0.45;
  EXPECT_NEAR(CentreFitResidual(p, truth, 0.35), 0.0, 1e-4);

  CentreFitResult r;
  std::string why;
  ASSERT_TRUE(OptimizeCentres(p, &r, &why)) << why;
  EXPECT_GT(r.start_rms, 0.03);
  EXPECT_LT(r.final_rms, 1e-3) << r.summary;
  EXPECT_NEAR(r.sigma, 0.35, 0.005);
  ASSERT_EQ(r.centres.size(), truth.size());
  for (size_t i = 0; i < truth.size(); ++i) {
    EXPECT_LT(AngleBetweenDeg(AngleDirection(r.centres[i]), AngleDirection(truth[i])), 0.5) << "centre " << i;
    EXPECT_GE(r.centres[i].phi_deg, 0.0f);  // azimuths wrapped into [0, 360)
    EXPECT_LT(r.centres[i].phi_deg, 360.0f);
  }
  EXPECT_GT(r.components, 0);
}

TEST(OptimizeCentres, KeepsCentresAboveTheirLowestAngleAndNeverEndsWorse) {
  // A lobe well below the horizon pulls its centre down; the bound stops it at 100 degrees.
  CentreFitProblem p = LobeProblem({{30.0f, 0.0f}, {130.0f, 180.0f}}, 0.5);
  p.start = {{35.0f, 10.0f}, {95.0f, 170.0f}};
  p.start_sigma = 0.5;
  CentreFitResult r;
  std::string why;
  ASSERT_TRUE(OptimizeCentres(p, &r, &why)) << why;
  for (const SphereAngles& a : r.centres) {
    EXPECT_GE(a.theta_deg, 0.0f);
    EXPECT_LE(a.theta_deg, static_cast<float>(kMaxCentreThetaDeg));
  }
  EXPECT_GT(r.centres[1].theta_deg, 99.0f);
  EXPECT_LE(r.final_rms, r.start_rms);
  EXPECT_NEAR(r.final_rms, CentreFitResidual(p, r.centres, r.sigma), 1e-9);
}

TEST(OptimizeCentres, RefusesProblemsWithoutData) {
  CentreFitProblem p = LobeProblem({{30.0f, 0.0f}}, 0.5);
  CentreFitResult r;
  std::string why;
  EXPECT_FALSE(OptimizeCentres(p, &r, &why));  // no start centres
  EXPECT_FALSE(why.empty());
  p.start = {{30.0f, 0.0f}};
  p.samples.pop_back();
  EXPECT_FALSE(OptimizeCentres(p, &r, &why));
  p = LobeProblem({{30.0f, 0.0f}}, 0.5);
  p.start = {{30.0f, 0.0f}};
  p.direction_scales = {1.0, 2.0};  // not one per direction
  EXPECT_FALSE(OptimizeCentres(p, &r, &why));
  p.direction_scales.clear();
  p.start_sigma = 0.0;
  EXPECT_FALSE(OptimizeCentres(p, &r, &why));
}

TEST(MeasureDirections, SplitsTheErrorAtTheShadowAndNormalisesTheWorstByTheMeanMap) {
  // Two coefficient maps of four texels; direction 0 weighs them (1, 0), direction 1 (0, 2).
  const std::vector<float> c0 = {1.0f, 1.0f, 1.0f, 0.5f}, c1 = {0.0f, 0.0f, 0.1f, 0.0f};
  const std::vector<float> kernels = {1.0f, 0.0f, 0.0f, 2.0f};
  // Truth 0: texel 3 in shadow (below 0.98 of the brightest), fitted 0.1 too bright there.
  const std::vector<float> t0 = {1.0f, 1.0f, 1.0f, 0.4f};
  // Truth 1: dim (0.1 at most); the fit is 0.2 at texel 2, 0 elsewhere.
  const std::vector<float> t1 = {0.1f, 0.1f, 0.1f, 0.1f};
  const std::vector<DirectionErrors> e =
      MeasureDirections({c0.data(), c1.data()}, kernels, {t0.data(), t1.data()}, 4, 2);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_NEAR(e[0].all.error, 0.01, 1e-6);
  EXPECT_NEAR(e[0].all.reference, 3.16, 1e-5);
  EXPECT_NEAR(e[0].shadow.error, 0.01, 1e-6);
  EXPECT_NEAR(e[0].shadow.reference, 0.16, 1e-6);
  EXPECT_NEAR(e[1].all.error, 0.04, 1e-6);  // 3 x 0.01 + 0.01
  EXPECT_EQ(e[1].shadow.reference, 0.0);     // a flat map has no shadow

  // Direction 0 as the hemisphere set, direction 1 as the band.
  const FitSummary s = SummarizeFit(e, 1);
  EXPECT_NEAR(s.hemisphere, std::sqrt(0.01 / 3.16), 1e-6);
  EXPECT_NEAR(s.band, std::sqrt(0.04 / 0.04), 1e-6);
  EXPECT_EQ(s.worst_band, 1u);
  EXPECT_EQ(s.worst, 0u);
  EXPECT_NEAR(s.worst_normalised, std::sqrt(0.01 / 3.16), 1e-6);
}

}  // namespace
}  // namespace veltrane
