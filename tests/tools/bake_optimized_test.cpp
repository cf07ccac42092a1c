// The optimised fit end to end on a small bake: what it gains over the fixed layout where the
// viewer looks, that the moved centres reach the viewer exactly, and veltrane-tool relight on
// both kinds of run directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/direction.h"
#include "relight/description.h"
#include "relight/description_values.h"
#include "support/tool_test.h"
#include "tools/bake/baker.h"
#include "tools/bake/centre_fit.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/run_relight.h"
#include "tools/bake/srbf_basis.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

constexpr int kSize = 48;

std::string MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "veltrane-fit-XXXXXX").string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

BakeOptions SmallBake(const std::string& out, BakeFit fit, BakeFormat format) {
  BakeOptions o;
  o.out_dir = out;
  o.width = o.height = kSize;
  o.samples = 256;
  o.heldout = 32;
  o.band_heldout = 24;
  o.validation = 16;
  o.disc_samples = 96;
  o.fit = fit;
  o.format = format;
  o.jobs = 2;
  o.log = nullptr;
  return o;
}

const FitRow* Row(const BakeFigures& f, const std::string& name) {
  for (const FitRow& r : f.fits) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

class OptimizedBake : public test::ToolTest {
 protected:
  static void SetUpTestSuite() {
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
    optimized_status_ = RunBake(SmallBake(dir_ + "/optimized", BakeFit::kOptimized, BakeFormat::kRaw), &optimized_);
    fixed_status_ = RunBake(SmallBake(dir_ + "/fixed", BakeFit::kFixed, BakeFormat::kDct), &fixed_);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  // The checks of the two bakes, run by one test: ctest runs every test in a process of its
  // own, and the bakes are the slow part.
  void BeatsTheFixedLayoutAndSphericalHarmonicsWhereTheViewerLooks();
  void MovedCentresReachTheViewerBitForBit();
  void RelightingTheRunFollowsTheTruthAsTheReportSays();
  void RelightCommandWritesTheViewersLightMapAndComparesWithTheTruth();

  static std::string dir_;
  static BakeFigures optimized_, fixed_;
  static int optimized_status_, fixed_status_;
};

std::string OptimizedBake::dir_;
BakeFigures OptimizedBake::optimized_, OptimizedBake::fixed_;
int OptimizedBake::optimized_status_ = -1, OptimizedBake::fixed_status_ = -1;

void OptimizedBake::BeatsTheFixedLayoutAndSphericalHarmonicsWhereTheViewerLooks() {
  ASSERT_EQ(optimized_status_, 0);
  ASSERT_EQ(fixed_status_, 0);
  const FitRow* optimized = Row(optimized_, "optimised");
  const FitRow* sh = Row(optimized_, "SH");
  const FitRow* fixed = Row(fixed_, "fixed");
  ASSERT_NE(optimized, nullptr);
  ASSERT_NE(sh, nullptr);
  ASSERT_NE(fixed, nullptr);
  ASSERT_NE(Row(optimized_, "fixed"), nullptr);  // the starting layout is reported beside it
  EXPECT_TRUE(optimized_.optimized);
  EXPECT_LT(optimized_.fit_final_rms, optimized_.fit_start_rms);
  // Near the angel's shadow in the viewer's band, against the baker's ray-traced truth, the
  // error falls by at least a third from the fixed fit's.
  EXPECT_GT(fixed->band_shadow, 0.0);
  EXPECT_LE(optimized->band_shadow, (2.0 / 3.0) * fixed->band_shadow)
      << "optimised " << optimized->band_shadow << ", fixed " << fixed->band_shadow;
  EXPECT_LT(optimized->hemisphere, 0.8 * sh->hemisphere);
  EXPECT_LT(optimized->band, 0.7 * sh->band);
  EXPECT_EQ(optimized_.srbf_band, optimized->band);
  EXPECT_LE(optimized_.largest_coefficient, 50.0f);
}

void OptimizedBake::MovedCentresReachTheViewerBitForBit() {
  ASSERT_EQ(optimized_status_, 0);
  const std::string qdx = dir_ + "/optimized/lightmap.qdx";
  std::ifstream in(qdx);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("SRBF_CENTER_BEGIN 25 OPTIMIZED\n"), std::string::npos);
  RelightDescription d;
  ASSERT_EQ(d.Read(qdx.c_str()), kReadDone);
  EXPECT_EQ(d.srbf_center_scheme, kCenterSchemeOther);
  EXPECT_EQ(BitsOfFloat(d.srbf_spread), BitsOfFloat(optimized_.spread));
  ASSERT_EQ(d.srbf_center_count, 25);
  ASSERT_EQ(optimized_.centre_angles.size(), 25u);
  bool moved = false;
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(BitsOfFloat(d.srbf_centers[i]->theta), BitsOfFloat(optimized_.centre_angles[i].first)) << i;
    EXPECT_EQ(BitsOfFloat(d.srbf_centers[i]->phi), BitsOfFloat(optimized_.centre_angles[i].second)) << i;
    EXPECT_LE(d.srbf_centers[i]->theta, kMaxCentreThetaDeg);
    moved = moved || d.srbf_centers[i]->theta != fixed_.centre_angles[i].first;
  }
  EXPECT_TRUE(moved);
}

void OptimizedBake::RelightingTheRunFollowsTheTruthAsTheReportSays() {
  ASSERT_EQ(optimized_status_, 0);
  ASSERT_EQ(fixed_status_, 0);
  GroundTruthScene scene;
  ASSERT_TRUE(BuiltInGroundTruthScene(96, 20.0 * kRadiansPerDegree, &scene));
  GroundTruthScratch scratch;
  std::vector<float> truth(kSize * kSize);
  const Vec3d l = SphericalDirection(37.0 * kRadiansPerDegree, 20.0 * kRadiansPerDegree);
  RenderGroundTruth(scene, l, FullGrid(kSize, kSize), truth.data(), &scratch);
  // The optimised run (raw file) and the old HEMI_HAMMERSLEY kind (DCT file) both load.
  for (const auto& [name, figures] : {std::pair<const char*, const BakeFigures*>{"optimized", &optimized_},
                                      {"fixed", &fixed_}}) {
    RunData run;
    std::string why;
    ASSERT_TRUE(LoadRunData(dir_ + "/" + name, &run, &why)) << why;
    EXPECT_EQ(run.width, kSize);
    EXPECT_EQ(run.centres.size(), 25u);
    const std::vector<float> relit = RelightRun(run, l);
    const double error = CompareMaps(relit.data(), truth.data(), truth.size()).Relative();
    EXPECT_LT(error, 2.0 * figures->srbf_band + 0.005) << name;
    EXPECT_EQ(CompareMaps(relit.data() + truth.size(), relit.data(), truth.size()).error, 0.0);  // white
  }
}

// A PFM file's values, rows top first (the file holds them bottom first), RGB planes.
std::vector<float> ReadPfmPlanes(const std::string& path, int* width, int* height) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  float scale = 0.0f;
  in >> magic >> *width >> *height >> scale;
  in.get();
  const size_t texels = static_cast<size_t>(*width) * *height;
  std::vector<float> file(3 * texels), planes(3 * texels);
  in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(4 * file.size()));
  if (magic != "PF" || scale != -1.0f || !in) return {};
  for (int r = 0; r < *height; ++r) {
    for (int x = 0; x < *width; ++x) {
      for (int c = 0; c < 3; ++c) {
        planes[c * texels + static_cast<size_t>(r) * *width + x] =
            file[3 * (static_cast<size_t>(*height - 1 - r) * *width + x) + c];
      }
    }
  }
  return planes;
}

void OptimizedBake::RelightCommandWritesTheViewersLightMapAndComparesWithTheTruth() {
  ASSERT_EQ(optimized_status_, 0);
  const std::string pfm = Path("relit.pfm");
  const test::ToolRun relit = Tool("relight " + dir_ + "/optimized --theta 37 --phi 20 --out " + pfm + " --truth");
  ASSERT_EQ(relit.status, 0) << relit.err;
  int width = 0, height = 0;
  const std::vector<float> planes = ReadPfmPlanes(pfm, &width, &height);
  ASSERT_EQ(width, kSize);
  ASSERT_EQ(height, kSize);
  RunData run;
  std::string why;
  ASSERT_TRUE(LoadRunData(dir_ + "/optimized", &run, &why)) << why;
  EXPECT_EQ(planes, RelightRun(run, SphericalDirection(37.0 * kRadiansPerDegree, 20.0 * kRadiansPerDegree)));
  EXPECT_NE(relit.out.find("relative RMS error"), std::string::npos) << relit.out;
  EXPECT_TRUE(fs::exists(Path("relit.truth.pfm")));

  const test::ToolRun png_run = Tool("relight " + dir_ + "/fixed --theta 60 --phi 300 --out " + Path("relit.png"));
  ASSERT_EQ(png_run.status, 0) << png_run.err;
  std::ifstream png(Path("relit.png"), std::ios::binary);
  char signature[4] = {};
  png.read(signature, 4);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST_F(OptimizedBake, GainsWhereTheViewerLooksAndReachesItExactly) {
  BeatsTheFixedLayoutAndSphericalHarmonicsWhereTheViewerLooks();
  MovedCentresReachTheViewerBitForBit();
  RelightingTheRunFollowsTheTruthAsTheReportSays();
  RelightCommandWritesTheViewersLightMapAndComparesWithTheTruth();
}

using RelightCommand = test::ToolTest;

TEST_F(RelightCommand, UsageAndDataFaults) {
  const test::ToolRun help = Tool("relight --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: veltrane-tool relight"), std::string::npos);
  for (const char* bad : {"", "dir --theta 30 --phi 0", "dir --theta 30 --out a.png", "dir --theta 200 --phi 0 --out a.png",
                          "dir --theta 30 --phi 0 --out a.jpg", "dir other --theta 30 --phi 0 --out a.png",
                          "dir --theta x --phi 0 --out a.png", "dir --theta 30 --phi 0 --out a.png --colour"}) {
    const test::ToolRun run = Tool(std::string("relight ") + bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << bad;
  }
  const std::string out = " --theta 30 --phi 0 --out " + Path("a.png");
  test::ToolRun run = Tool("relight " + dir_ + out);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot read the description"), std::string::npos) << run.err;
  // A description whose coefficient file is shorter than its centres need.
  test::WriteFile(Path("lightmap.qdx"), "BASE_PATH data\nREFER_RESOLUTION 4 4\nENCODED_FILE x\nSRBF_SPREAD 0.4\n"
                                        "SRBF_CENTER_BEGIN 1 HEMI_HAMMERSLEY\n0 0\nSRBF_CENTER_END\n");
  fs::create_directories(Path("data"));
  test::WriteFile(Path("data/x.rbf"), "short");
  run = Tool("relight " + dir_ + out);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("does not hold"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Path("a.png")));
}

}  // namespace
}  // namespace veltrane
