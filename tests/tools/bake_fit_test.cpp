// The baker's fitting arithmetic: the ridge solve, the SH basis, map combination, the spread
// search and half-precision rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "relight/center_directions.h"
#include "relight/description.h"
#include "relight/globals.h"
#include "relight/srbf_kernel.h"
#include "tools/bake/half_float.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/ridge_solve.h"
#include "tools/bake/sh_basis.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/spread_search.h"
#include "tools/bake/srbf_basis.h"

namespace veltrane {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(RidgeSolve, RecoversExactCoefficientsAndShrinksWithTheRidge) {
  // K = 3 samples of N = 2 functions; y = Phi c exactly.
  const std::vector<double> phi = {1, 2, 3, 4, 5, 7};
  const double c[2] = {0.5, -1.25};
  std::vector<double> solve;
  ASSERT_TRUE(RidgeSolveMatrix(phi, 3, 2, 0.0, &solve));
  for (int i = 0; i < 2; ++i) {
    double got = 0.0;
    for (int s = 0; s < 3; ++s) got += solve[i * 3 + s] * (phi[s * 2] * c[0] + phi[s * 2 + 1] * c[1]);
    EXPECT_NEAR(got, c[i], 1e-12);
  }
  // One function sampled twice as 1: S = [1, 1] / (2 + lambda).
  ASSERT_TRUE(RidgeSolveMatrix({1, 1}, 2, 1, 0.5, &solve));
  EXPECT_NEAR(solve[0], 1.0 / 2.5, 1e-15);
  EXPECT_NEAR(solve[1], 1.0 / 2.5, 1e-15);
  // lambda is relative to the mean diagonal of Phi^T Phi: (1+9+25 + 4+16+49) / 2 = 52.
  EXPECT_NEAR(RidgeLambda(phi, 3, 2, 0.01), 0.52, 1e-12);
  // Two identical columns without a ridge have no unique solution.
  EXPECT_FALSE(RidgeSolveMatrix({1, 1, 2, 2}, 2, 2, 0.0, &solve));
  EXPECT_TRUE(RidgeSolveMatrix({1, 1, 2, 2}, 2, 2, 1e-6, &solve));
}

TEST(ShBasis, IsOrthonormalOverTheSphere) {
  // Midpoint rule in cos theta and phi.
  const int bands = 5, n = bands * bands, rows = 400, cols = 64;
  std::vector<double> gram(n * n, 0.0), y(n);
  const double weight = (2.0 / rows) * (2.0 * kPi / cols);
  for (int a = 0; a < rows; ++a) {
    const double ct = -1.0 + (a + 0.5) * 2.0 / rows, st = std::sqrt(1.0 - ct * ct);
    for (int b = 0; b < cols; ++b) {
      const double phi = (b + 0.5) * 2.0 * kPi / cols;
      EvaluateShBasis({st * std::cos(phi), ct, -st * std::sin(phi)}, bands, y.data());
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) gram[i * n + j] += weight * y[i] * y[j];
      }
    }
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) EXPECT_NEAR(gram[i * n + j], i == j ? 1.0 : 0.0, 2e-4) << i << "," << j;
  }
  // Band 0 is the constant 1 / sqrt(4 pi); band 1's m = 0 function is sqrt(3 / 4 pi) cos theta.
  EvaluateShBasis({0, 1, 0}, bands, y.data());
  EXPECT_NEAR(y[0], 0.28209479177387814, 1e-14);
  EXPECT_NEAR(std::fabs(y[2]), 0.4886025119029199, 1e-14);
}

TEST(MapAlgebra, CombineMapsMatchesAPlainSumOnAwkwardSizes) {
  const size_t texels = 1000;  // not a whole number of tiles
  const int inputs = 7, outputs = 3;   // not a whole number of groups of four
  std::vector<std::vector<float>> in(inputs, std::vector<float>(texels));
  SplitMix64 rng(3);
  for (auto& m : in) {
    for (float& v : m) v = static_cast<float>(rng.Uniform() - 0.5);
  }
  std::vector<float> matrix(outputs * inputs);
  for (float& v : matrix) v = static_cast<float>(rng.Uniform() * 2.0 - 1.0);
  std::vector<const float*> in_ptrs;
  for (auto& m : in) in_ptrs.push_back(m.data());
  std::vector<std::vector<float>> out(outputs, std::vector<float>(texels, 99.0f));
  std::vector<float*> out_ptrs;
  for (auto& m : out) out_ptrs.push_back(m.data());
  CombineMaps(in_ptrs, matrix, out_ptrs, texels, 3, nullptr);
  std::vector<float> single(texels);
  for (int i = 0; i < outputs; ++i) {
    WeightedSum(in_ptrs, &matrix[i * inputs], single.data(), texels);
    for (size_t t = 0; t < texels; ++t) {
      double expected = 0.0;
      for (int k = 0; k < inputs; ++k) expected += matrix[i * inputs + k] * in[k][t];
      ASSERT_NEAR(out[i][t], expected, 1e-5) << i << "," << t;
      ASSERT_NEAR(single[t], expected, 1e-5) << i << "," << t;
    }
  }
  const float a[2] = {1.0f, 3.0f}, b[2] = {1.0f, 4.0f};
  EXPECT_NEAR(CompareMaps(a, b, 2).Relative(), std::sqrt(1.0 / 17.0), 1e-12);
  EXPECT_TRUE(std::isinf(CompareMaps(a, std::vector<float>(2, 0.0f).data(), 2).Relative()));
}

TEST(SpreadSearch, FindsTheSpreadThatMadeTheData) {
  // Light maps that are exactly SRBF sums with sigma = 0.45 over 9 centres.
  const float truth_sigma = 0.45f;
  std::vector<Vec3d> centres;
  for (const SphereAngles& a : HemiHammersley(9)) centres.push_back(CentreDirection(a));
  const size_t texels = 64;
  SplitMix64 rng(11);
  std::vector<float> coefficients(centres.size() * texels);
  for (float& c : coefficients) c = static_cast<float>(rng.Uniform());
  auto render = [&](const std::vector<Vec3d>& dirs, std::vector<float>* maps) {
    maps->assign(dirs.size() * texels, 0.0f);
    std::vector<float> k(centres.size());
    for (size_t d = 0; d < dirs.size(); ++d) {
      SrbfKernelRow(dirs[d], centres, truth_sigma, k.data());
      for (size_t i = 0; i < centres.size(); ++i) {
        for (size_t t = 0; t < texels; ++t) (*maps)[d * texels + t] += k[i] * coefficients[i * texels + t];
      }
    }
  };
  SpreadProblem problem;
  problem.fit_directions = FibonacciHemisphere(120);
  problem.validation_directions = JitteredBand(30, 0.0, 90.0, 5);
  std::vector<float> fit_maps, validation_maps;
  render(problem.fit_directions, &fit_maps);
  render(problem.validation_directions, &validation_maps);
  for (size_t d = 0; d < problem.fit_directions.size(); ++d) problem.fit_maps.push_back(&fit_maps[d * texels]);
  for (size_t d = 0; d < problem.validation_directions.size(); ++d) {
    problem.validation_maps.push_back(&validation_maps[d * texels]);
  }
  problem.texels = texels;
  problem.centres = centres;
  problem.relative_ridge = 1e-9;
  problem.jobs = 2;
  EXPECT_LT(SpreadValidationError(problem, truth_sigma), 1e-3);
  EXPECT_GT(SpreadValidationError(problem, 0.2f), 0.05);
  std::vector<SpreadTrial> trials;
  const float found = SearchSpread(problem, 0.1f, 1.5f, &trials, nullptr);
  EXPECT_NEAR(found, truth_sigma, 0.02);
  EXPECT_EQ(static_cast<int>(trials.size()), SpreadSearchTrials());
}

TEST(SrbfBasis, KernelOfACentreAtItselfIsOne) {
  for (const SphereAngles& a : HemiHammersley(25)) {
    const Vec3d c = CentreDirection(a);
    EXPECT_NEAR(Dot(c, c), 1.0, 1e-6);
    float k;
    SrbfKernelRow(c, {c}, 0.4f, &k);
    EXPECT_NEAR(k, 1.0f, 1e-6);
  }
  // theta = 90, phi = 0 is +X with the tiny cosine zeroed, as the viewer does.
  const Vec3d x = CentreDirection({90.0f, 0.0f});
  EXPECT_EQ(x.y, 0.0);
  EXPECT_EQ(x.x, 1.0);

}

// The centres the baker fits to are the ones the viewer computes when it starts up with the
// baker's description (identity light-eye transform), float for float.
TEST(SrbfBasis, CentresAreTheViewersBitForBit) {
  const std::vector<SphereAngles> angles = HemiHammersley(25);
  char path[] = "/tmp/veltrane-centres-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* f = fdopen(fd, "w");
  std::fprintf(f, "REFER_RESOLUTION 4 4\nSRBF_CENTER_BEGIN 25 HEMI_HAMMERSLEY\n");
  for (const SphereAngles& a : angles) {
    uint32_t bits[2];
    std::memcpy(&bits[0], &a.theta_deg, 4);
    std::memcpy(&bits[1], &a.phi_deg, 4);
    std::fprintf(f, "%.9g %.9g %08X %08X\n", a.theta_deg, a.phi_deg, bits[0], bits[1]);
  }
  std::fprintf(f, "SRBF_CENTER_END\nLIGHT_EYE_TRANSFORM_BEGIN\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n"
                  "LIGHT_EYE_TRANSFORM_END\n");
  std::fclose(f);
  RelightDescription description;
  const int read = description.Read(path);
  std::remove(path);
  ASSERT_EQ(read, kReadDone);
  ASSERT_EQ(description.srbf_center_count, 25);
  light_eye_transform.Allocate(4, 4);
  for (int r = 0; r < 4; ++r) light_eye_transform.data[r][r] = 1.0f;
  PrepareCenterDirections(description, 25);
  for (int i = 0; i < 25; ++i) {
    const Vec3d c = CentreDirection(angles[i]);
    EXPECT_EQ(c.x, G_SRBF_center_dir.data[0][i]) << "centre " << i;
    EXPECT_EQ(c.y, G_SRBF_center_dir.data[1][i]) << "centre " << i;
    EXPECT_EQ(c.z, G_SRBF_center_dir.data[2][i]) << "centre " << i;
  }
  G_SRBF_center_dir.Allocate(0, 0);
}

// The baker fits its maps to kernel values that the viewer must reproduce at run time, so both
// must form them identically, down to the last bit of each dot product's rounding.
TEST(SrbfBasis, KernelValuesAreTheViewersBitForBit) {
  SplitMix64 rng(7);
  auto random_direction = [&rng] {
    return Normalized(Vec3d{2 * rng.Uniform() - 1, 2 * rng.Uniform() - 1, 2 * rng.Uniform() - 1});
  };
  std::vector<Vec3d> centres, directions;
  for (int i = 0; i < 25; ++i) centres.push_back(random_direction());
  for (int k = 0; k < 400; ++k) directions.push_back(random_direction());
  const float sigma = 0.43f;

  G_SRBF_center_dir.Allocate(3, 25);
  for (int i = 0; i < 25; ++i) {
    G_SRBF_center_dir.data[0][i] = static_cast<float>(centres[i].x);
    G_SRBF_center_dir.data[1][i] = static_cast<float>(centres[i].y);
    G_SRBF_center_dir.data[2][i] = static_cast<float>(centres[i].z);
  }
  const float saved_spread = srbf_spread;
  srbf_spread = sigma;

  const std::vector<double> design = SrbfDesignMatrix(directions, centres, sigma);
  ASSERT_EQ(design.size(), directions.size() * 25);
  int design_differs = 0, row_differs = 0;
  for (size_t k = 0; k < directions.size(); ++k) {
    const float l[3] = {static_cast<float>(directions[k].x), static_cast<float>(directions[k].y),
                        static_cast<float>(directions[k].z)};
    float viewer[25], row[25];
    EvaluateSrbfKernels(l, 25, viewer);
    SrbfKernelRow(directions[k], centres, sigma, row);
    for (int i = 0; i < 25; ++i) {
      design_differs += design[k * 25 + i] != viewer[i];
      row_differs += row[i] != viewer[i];
    }
  }
  EXPECT_EQ(design_differs, 0) << "of " << design.size() << " design-matrix values";
  EXPECT_EQ(row_differs, 0) << "of " << design.size() << " kernel-row values";
  srbf_spread = saved_spread;
  G_SRBF_center_dir.Allocate(0, 0);
}

TEST(HalfFloat, RoundsToNearestEvenHalfValue) {
  EXPECT_EQ(RoundToHalf(1.0f), 1.0f);
  EXPECT_EQ(RoundToHalf(1.0f + std::ldexp(1.0f, -11)), 1.0f);  // tie: to even
  EXPECT_EQ(RoundToHalf(1.0f + 3 * std::ldexp(1.0f, -11)), 1.0f + std::ldexp(1.0f, -9));
  EXPECT_EQ(RoundToHalf(1.0f + std::ldexp(1.0f, -10)), 1.0f + std::ldexp(1.0f, -10));
  EXPECT_EQ(RoundToHalf(-0.1f), -0.0999755859375f);
  EXPECT_EQ(RoundToHalf(65504.0f), 65504.0f);
  EXPECT_TRUE(std::isinf(RoundToHalf(65520.0f)));
  EXPECT_EQ(RoundToHalf(std::ldexp(1.0f, -24)), std::ldexp(1.0f, -24));
  EXPECT_EQ(RoundToHalf(std::ldexp(1.0f, -25)), 0.0f);
  EXPECT_EQ(RoundToHalf(3 * std::ldexp(1.0f, -25)), std::ldexp(1.0f, -23));
}

}  // namespace
}  // namespace veltrane
