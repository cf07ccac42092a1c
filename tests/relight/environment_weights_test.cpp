// The SRBF weights of whole environments: against closed forms and the seed light's kernel, under
// turning, and the horizon factors that make a uniform environment light an open texel by pi.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "common/direction.h"
#include "relight/environment_light.h"
#include "relight/environment_weights.h"
#include "relight/sky_model.h"
#include "relight/srbf_kernel.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

SrbfLobes Lobes(double disc_radius_deg) {
  SrbfLobes lobes;
  lobes.centres = {SphericalDirection(0.0, 0.0), SphericalDirection(60.0 * kRadiansPerDegree, 35.0 * kRadiansPerDegree),
                   SphericalDirection(85.0 * kRadiansPerDegree, 200.0 * kRadiansPerDegree),
                   SphericalDirection(100.0 * kRadiansPerDegree, 300.0 * kRadiansPerDegree)};
  lobes.sigma = 0.37f;
  lobes.disc_radius = disc_radius_deg * kRadiansPerDegree;
  return lobes;
}

// The integral over the upper hemisphere of the lobe round c, by a fine midpoint rule in
// (theta, phi), independent of the weights' grid.
double HemisphereIntegral(Vec3d c, double sigma) {
  const int rows = 720, cols = 1440;
  double sum = 0.0;
  for (int i = 0; i < rows; ++i) {
    const double theta = 0.5 * kPi * (i + 0.5) / rows;
    double row = 0.0;
    for (int j = 0; j < cols; ++j) {
      const Vec3d d = SphericalDirection(theta, 2.0 * kPi * (j + 0.5) / cols);
      const double angle = std::acos(std::clamp(Dot(d, c), -1.0, 1.0));
      row += std::exp(-angle * angle / (2.0 * sigma * sigma));
    }
    sum += row * std::sin(theta) * (0.5 * kPi / rows) * (2.0 * kPi / cols);
  }
  return sum;
}

TEST(EnvironmentWeightsTest, ConstantEnvironmentGivesEachLobesHemisphereIntegral) {
  LobeGrid grid;
  const SrbfLobes lobes = Lobes(0.0);
  ASSERT_TRUE(grid.Build(lobes));
  EnvironmentWeights weights;
  ASSERT_TRUE(weights.Build(UniformEnvironment(64, 32, 2.0f, 1.0f, 0.5f), grid));
  // The closed form for the zenith lobe: 2 pi times the integral of exp(-t^2 / 2 s^2) sin t.
  double zenith = 0.0;
  for (int i = 0; i < 100000; ++i) {
    const double t = 0.5 * kPi * (i + 0.5) / 100000;
    zenith += std::exp(-t * t / (2.0 * 0.37f * 0.37f)) * std::sin(t) * 0.5 * kPi / 100000;
  }
  zenith *= 2.0 * kPi;
  std::vector<float> rgb(12);
  for (double turn : {0.0, 1.0, 2.5}) {
    weights.Evaluate(turn, rgb.data());
    EXPECT_NEAR(rgb[0], 2.0 * zenith, 2e-3 * zenith);
    EXPECT_NEAR(rgb[1], zenith, 1e-3 * zenith);
    EXPECT_NEAR(rgb[2], 0.5 * zenith, 1e-3 * zenith);
    for (int k = 1; k < 4; ++k) {
      const double expected = HemisphereIntegral(lobes.centres[k], 0.37f);
      EXPECT_NEAR(rgb[3 * k + 1], expected, 3e-3 * expected + 1e-6) << "lobe " << k;
    }
  }
}

TEST(EnvironmentWeightsTest, SmallBrightPatchGivesTheSeedLightsKernel) {
  // Zero but for one pixel of radiance 1 / (its solid angle) at (u, v): the weights are the
  // kernel of that pixel's direction, as for the seed's light there (without the disc).
  const int w = kWeightTableWidth, h = kWeightTableHeight, u = 37, v = 30;
  EnvironmentImage env = UniformEnvironment(w, h, 0.0f, 0.0f, 0.0f);
  const float value = static_cast<float>(1.0 / EnvironmentPixelSolidAngle(v, w, h));
  env.Pixel(u, v)[0] = env.Pixel(u, v)[1] = env.Pixel(u, v)[2] = value;
  LobeGrid grid;
  ASSERT_TRUE(grid.Build(Lobes(0.0)));
  EnvironmentWeights weights;
  ASSERT_TRUE(weights.Build(env, grid));
  std::vector<float> rgb(12);
  weights.Evaluate(0.0, rgb.data());
  const Vec3d l = EnvironmentPixelDirection(u, v, w, h);
  const float white[3] = {1, 1, 1};
  std::vector<float> directional(12, 0.0f);
  AddDirectionalWeights(grid, l, white, directional.data());
  for (int k = 0; k < 4; ++k) {
    const float kernel = SrbfKernelValue(static_cast<float>(Dot(l, grid.lobes().centres[k])), 0.37f);
    EXPECT_NEAR(rgb[3 * k], kernel, 1e-4 + 1e-3 * kernel) << "lobe " << k;
    EXPECT_NEAR(directional[3 * k + 2], kernel, 1e-6) << "lobe " << k;
  }
}

TEST(EnvironmentWeightsTest, TurningEqualsTurningTheImage) {
  const int w = kWeightTableWidth, h = kWeightTableHeight;
  EnvironmentImage env = UniformEnvironment(w, h, 0.0f, 0.0f, 0.0f);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> radiance(0.0f, 3.0f);
  for (float& x : env.rgb) x = radiance(rng);
  LobeGrid grid;
  ASSERT_TRUE(grid.Build(Lobes(20.0)));
  EnvironmentWeights turned;
  ASSERT_TRUE(turned.Build(env, grid));
  for (int shift : {1, 45, 200}) {
    // Column u of the image turned by shift columns is column u - shift of the original.
    EnvironmentImage moved = env;
    for (int v = 0; v < h; ++v) {
      for (int u = 0; u < w; ++u) {
        for (int c = 0; c < 3; ++c) moved.Pixel(u, v)[c] = env.Pixel((u - shift + w) % w, v)[c];
      }
    }
    EnvironmentWeights still;
    ASSERT_TRUE(still.Build(moved, grid));
    std::vector<float> a(12), b(12);
    turned.Evaluate(2.0 * kPi * shift / w, a.data());
    still.Evaluate(0.0, b.data());
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(a[i], b[i], 1e-4 * std::fabs(b[i]) + 1e-6) << "shift " << shift << " " << i;
    // A whole turn more is the same turn; half a column interpolates.
    turned.Evaluate(2.0 * kPi * shift / w + 2.0 * kPi, b.data());
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(a[i], b[i], 1e-4 * std::fabs(a[i]) + 1e-6);
  }
}

TEST(EnvironmentWeightsTest, HorizonFactorsLightAnOpenTexelByPiUnderUniformLight) {
  const double r = 20.0 * kRadiansPerDegree;
  EXPECT_DOUBLE_EQ(HorizonDiscFraction(0.3, r), 1.0);
  EXPECT_NEAR(HorizonDiscFraction(0.5 * kPi - 1e-9, r), 0.5, 1e-6);
  EXPECT_LT(HorizonDiscFraction(80.0 * kRadiansPerDegree, r), 0.9);
  // High up the cap's mean cosine is cos(theta) (1 + cos r) / 2; nothing from r below the horizon.
  EXPECT_NEAR(CapMeanCosineAbove(0.4, r), std::cos(0.4) * (1.0 + std::cos(r)) / 2.0, 1e-3);
  EXPECT_EQ(CapMeanCosineAbove(0.5 * kPi + r + 0.01, r), 0.0);
  EXPECT_GT(CapMeanCosineAbove(0.5 * kPi + 0.5 * r, r), 0.0);
  // Over the sphere the cap's cosine integrates to the hemisphere's, pi.
  LobeGrid grid;
  ASSERT_TRUE(grid.Build(Lobes(20.0)));
  double open[3];
  OpenIrradiance(grid, UniformEnvironment(kWeightTableWidth, kWeightTableHeight, 1, 1, 1), open);
  EXPECT_NEAR(open[0], kPi, 2e-3);
  // Without the disc too.
  LobeGrid plain;
  ASSERT_TRUE(plain.Build(Lobes(0.0)));
  OpenIrradiance(plain, UniformEnvironment(kWeightTableWidth, kWeightTableHeight, 1, 1, 1), open);
  EXPECT_NEAR(open[1], kPi, 2e-3);
  // Light from below the plane alone adds nothing to any lobe.
  EnvironmentImage below = UniformEnvironment(kWeightTableWidth, kWeightTableHeight, 0, 0, 0);
  for (int v = kWeightTableHeight / 2; v < kWeightTableHeight; ++v) {
    for (int u = 0; u < kWeightTableWidth; ++u) below.Pixel(u, v)[0] = 5.0f;
  }
  EnvironmentWeights weights;
  ASSERT_TRUE(weights.Build(below, plain));
  std::vector<float> rgb(12);
  weights.Evaluate(0.0, rgb.data());
  for (float x : rgb) EXPECT_EQ(x, 0.0f);
}

TEST(EnvironmentImageTest, ResamplingKeepsTheIntegralAndBrokenPixelsAreCounted) {
  EnvironmentImage env = UniformEnvironment(50, 25, 0, 0, 0);
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> radiance(0.0f, 10.0f);
  for (float& x : env.rgb) x = radiance(rng);
  auto integral = [](const EnvironmentImage& e) {
    double sum = 0.0;
    for (int v = 0; v < e.height; ++v) {
      for (int u = 0; u < e.width; ++u) sum += e.Pixel(u, v)[1] * EnvironmentPixelSolidAngle(v, e.width, e.height);
    }
    return sum;
  };
  const double before = integral(env);
  EXPECT_NEAR(integral(ResampleEnvironment(env, 256, 128)), before, 1e-3 * before);
  EXPECT_NEAR(integral(ResampleEnvironment(env, 10, 5)), before, 1e-2 * before);

  float px[12] = {1, 2, 3, -1, 0, 0, NAN, 1, 1, 1, INFINITY, 2e12f};
  EXPECT_EQ(ZeroBrokenPixels(px, 4), 3);
  EXPECT_EQ(px[0], 1.0f);
  for (int i = 3; i < 12; ++i) EXPECT_EQ(px[i], 0.0f) << i;
}

TEST(SkyModelTest, NoonSkyIsBlueAndTheSunReddensTowardsEvening) {
  const Vec3d noon = SunDirectionAt(12.0);
  EXPECT_NEAR(std::acos(noon.y) / kRadiansPerDegree, 30.0, 1e-6);  // 60 degrees high
  EXPECT_NEAR(noon.x, 0.0, 1e-9);
  EXPECT_LT(noon.z, 0.0);  // in the south
  EXPECT_GT(SunDirectionAt(8.0).x, 0.0);   // east in the morning
  EXPECT_LT(SunDirectionAt(16.0).x, 0.0);  // west in the afternoon
  EXPECT_NEAR(std::asin(SunDirectionAt(DayStartHours()).y) / kRadiansPerDegree, 3.0, 1e-6);

  SkyModel sky;
  sky.sun = noon;
  float zenith[3], away[3], near_sun[3];
  sky.Radiance({0, 1, 0}, zenith);
  sky.Radiance(SphericalDirection(60.0 * kRadiansPerDegree, 270.0 * kRadiansPerDegree), away);
  sky.Radiance(SphericalDirection(38.0 * kRadiansPerDegree, 90.0 * kRadiansPerDegree), near_sun);
  EXPECT_GT(zenith[2], zenith[0]);
  EXPECT_GT(near_sun[1], away[1]);
  float below[3];
  sky.Radiance({0, -0.2, 0.98}, below);
  EXPECT_EQ(below[0] + below[1] + below[2], 0.0f);

  float high[3], low[3];
  sky.SunIrradiance(high);
  sky.sun = SunDirectionAt(DayStartHours() + 0.2);
  sky.SunIrradiance(low);
  EXPECT_GT(high[1], low[1]);
  EXPECT_GT(low[0] / low[2], high[0] / high[2]);
}

TEST(EnvironmentLightTest, ExposureMatchesTheSeedLightOnAnOpenTexel) {
  LobeGrid grid;
  ASSERT_TRUE(grid.Build(Lobes(20.0)));
  EnvironmentLight image;
  ASSERT_TRUE(image.SetImage(UniformEnvironment(32, 16, 2, 2, 2), grid));
  EXPECT_NEAR(image.exposure() * image.OpenLuminance(0.0), kSeedOpenValue, 1e-9);
  EXPECT_NEAR(image.OpenLuminance(123.0), 2.0 * kPi, 1e-2);
  EnvironmentLight sky;
  ASSERT_TRUE(sky.SetSky(grid));
  EXPECT_NEAR(sky.exposure() * sky.OpenLuminance(180.0), kSeedOpenValue, 1e-9);
  EXPECT_LT(sky.OpenLuminance(5.0), 0.5 * sky.OpenLuminance(180.0));  // dawn is darker than noon
  std::vector<float> morning(12), evening(12);
  sky.Weights(60.0, morning.data());
  sky.Weights(300.0, evening.data());
  EXPECT_NE(morning, evening);
}

}  // namespace
}  // namespace veltrane
