// The baker end to end on a tiny configuration: what it writes into a run directory reads back
// through the viewer's own readers, and the command line's statuses.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "codec/dct_image.h"
#include "codec/deflate_container.h"
#include "codec/ppm.h"
#include "common/heap.h"
#include "relight/description.h"
#include "tools/bake/baker.h"
#include "tools/bake/embedded_shaders.h"
#include "tools/bake/ground_truth.h"
#include "tools/bake/ridge_solve.h"
#include "tools/bake/sphere_sets.h"
#include "tools/bake/srbf_basis.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

constexpr int kW = 32, kH = 24, kN = 5, kK = 40;

std::string MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "veltrane-bake-XXXXXX").string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

std::vector<float> ReadFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> values(bytes.size() / 4);
  for (size_t i = 0; i < values.size(); ++i) {
    uint32_t bits = 0;
    for (int b = 0; b < 4; ++b) bits |= uint32_t{static_cast<unsigned char>(bytes[4 * i + b])} << (8 * b);
    std::memcpy(&values[i], &bits, 4);
  }
  return values;
}

class TinyBake : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
    options_.out_dir = dir_ + "/run";
    options_.width = kW;
    options_.height = kH;  // not square, so that rows and columns cannot be swapped unseen
    options_.centres = kN;
    options_.samples = kK;
    options_.heldout = 12;
    options_.band_heldout = 6;
    options_.validation = 10;
    options_.disc_samples = 24;
    options_.format = BakeFormat::kBoth;
    options_.fit = BakeFit::kFixed;  // the optimised fit: bake_optimized_test.cpp
    options_.jobs = 2;
    options_.log = nullptr;
    status_ = RunBake(options_, &figures_);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return options_.out_dir + "/" + name; }

  // Coefficient (channel c, centre i, row r, column x) of a raw file's values.
  static float At(const std::vector<float>& raw, int c, int i, int r, int x) {
    return raw[((static_cast<size_t>(c) * kN + i) * kH + r) * kW + x];
  }

  static std::string dir_;
  static BakeOptions options_;
  static BakeFigures figures_;
  static int status_;
};

std::string TinyBake::dir_;
BakeOptions TinyBake::options_;
BakeFigures TinyBake::figures_;
int TinyBake::status_ = -1;

TEST_F(TinyBake, DescriptionReadsBackToWhatTheBakeMeant) {
  ASSERT_EQ(status_, 0);
  RelightDescription d;
  ASSERT_EQ(d.Read(Path("lightmap.qdx").c_str()), kReadDone);
  EXPECT_STREQ(d.base_path, "data/");
  EXPECT_STREQ(d.encoded_file, "lightmap");
  EXPECT_EQ(d.refer_width, kW);
  EXPECT_EQ(d.refer_height, kH);
  EXPECT_EQ(d.encoded_color_model, kColorModelRgb);
  EXPECT_EQ(d.srbf_center_scheme, kCenterSchemeHemiHammersley);
  EXPECT_EQ(d.srbf_spread, figures_.spread);
  EXPECT_GT(d.srbf_spread, 0.0f);
  ASSERT_EQ(d.srbf_center_count, kN);
  const std::vector<SphereAngles> centres = HemiHammersley(kN);
  for (int i = 0; i < kN; ++i) {
    EXPECT_EQ(d.srbf_centers[i]->theta, centres[i].theta_deg);
    EXPECT_EQ(d.srbf_centers[i]->phi, centres[i].phi_deg);
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(d.light_eye_transform[r][c], r == c ? 1.0f : 0.0f);
  }
}

TEST_F(TinyBake, RawFileHoldsTheFitChannelCentreRowColumn) {
  ASSERT_EQ(status_, 0);
  const std::vector<float> raw = ReadFloats(Path("data/lightmap.rbf"));
  ASSERT_EQ(raw.size() * 4, 12u * kN * kW * kH);
  for (size_t v = 0; v < raw.size() / 3; ++v) {  // white light: three equal channels
    ASSERT_EQ(raw[v], raw[v + raw.size() / 3]);
    ASSERT_EQ(raw[v], raw[v + 2 * raw.size() / 3]);
  }
  // The fit, redone here for a few texels from ground truth at the fitting directions.
  GroundTruthScene scene;
  ASSERT_TRUE(BuiltInGroundTruthScene(options_.disc_samples, options_.disc_radius_deg * 0.017453292519943295, &scene));
  const std::vector<Vec3d> directions = FibonacciHemisphere(kK);
  std::vector<float> maps(kK * kW * kH);
  GroundTruthScratch scratch;
  for (int k = 0; k < kK; ++k) RenderGroundTruth(scene, directions[k], FullGrid(kW, kH), &maps[k * kW * kH], &scratch);
  std::vector<Vec3d> centres;
  for (const SphereAngles& a : HemiHammersley(kN)) centres.push_back(CentreDirection(a));
  const std::vector<double> phi = SrbfDesignMatrix(directions, centres, figures_.spread);
  std::vector<double> solve;
  ASSERT_TRUE(RidgeSolveMatrix(phi, kK, kN, RidgeLambda(phi, kK, kN, EffectiveRidge(options_)), &solve));
  double largest = 0.0;
  for (const auto& texel : {std::pair<int, int>{0, 0}, {5, 20}, {23, 3}, {12, 31}}) {
    const int r = texel.first, x = texel.second;
    for (int i = 0; i < kN; ++i) {
      double c = 0.0;
      for (int k = 0; k < kK; ++k) c += solve[i * kK + k] * maps[(k * kH + r) * kW + x];
      EXPECT_NEAR(At(raw, 0, i, r, x), c, 1e-4 * (1.0 + std::fabs(c))) << "centre " << i << " row " << r << " column " << x;
      largest = std::max(largest, std::fabs(c));
    }
  }
  EXPECT_GT(largest, 0.1);  // the texels are not all dark
}

TEST_F(TinyBake, CompressedFileDecodesCloseToTheRawValues) {
  ASSERT_EQ(status_, 0);
  const std::vector<float> raw = ReadFloats(Path("data/lightmap.rbf"));
  FILE* f = std::fopen(Path("data/lightmap.rbf.dct").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::unique_ptr<DctImage> image(new DctImage);
  image->Load(f);
  float* plane = nullptr;
  int width = 0, height = 0;
  image->Decode(&plane, &width, &height);
  std::fclose(f);
  HeapPtr<float> decoded(plane);
  ASSERT_EQ(width, kW);
  ASSERT_EQ(height, 3 * kN * kH);
  double error = 0.0, reference = 0.0;
  for (size_t v = 0; v < raw.size(); ++v) {
    error += (decoded.get()[v] - raw[v]) * static_cast<double>(decoded.get()[v] - raw[v]);
    reference += static_cast<double>(raw[v]) * raw[v];
  }
  // Stated bound for this tiny map: the decoded coefficients within 10 % RMS of the raw ones
  // (the default bake's relit maps are measured in its report).
  EXPECT_LT(std::sqrt(error / reference), 0.10);
  EXPECT_GE(figures_.dct_added, 0.0);
  EXPECT_EQ(figures_.dct_bytes, fs::file_size(Path("data/lightmap.rbf.dct")));
}

TEST_F(TinyBake, FittedMapAtACentreMatchesTheGroundTruth) {
  ASSERT_EQ(status_, 0);
  const std::vector<float> raw = ReadFloats(Path("data/lightmap.rbf"));
  std::vector<Vec3d> centres;
  for (const SphereAngles& a : HemiHammersley(kN)) centres.push_back(CentreDirection(a));
  GroundTruthScene scene;
  ASSERT_TRUE(BuiltInGroundTruthScene(options_.disc_samples, options_.disc_radius_deg * 0.017453292519943295, &scene));
  GroundTruthScratch scratch;
  std::vector<float> truth(kW * kH), kernels(kN);
  // The centres where the top is well lit (theta below 60 degrees); towards the horizon the
  // truth fades and relative errors grow.
  for (int c = 0; c < kN && centres[c].y > 0.5; ++c) {
    RenderGroundTruth(scene, centres[c], FullGrid(kW, kH), truth.data(), &scratch);
    SrbfKernelRow(centres[c], centres, figures_.spread, kernels.data());
    EXPECT_NEAR(kernels[c], 1.0f, 1e-6);
    double error = 0.0, reference = 0.0;
    for (int r = 0; r < kH; ++r) {
      for (int x = 0; x < kW; ++x) {
        double fit = 0.0;
        for (int i = 0; i < kN; ++i) fit += kernels[i] * At(raw, 1, i, r, x);
        error += (fit - truth[r * kW + x]) * (fit - truth[r * kW + x]);
        reference += static_cast<double>(truth[r * kW + x]) * truth[r * kW + x];
      }
    }
    // Within the fit's own error at held-out directions (with room for a single direction).
    EXPECT_LT(std::sqrt(error / reference), 2.0 * figures_.srbf_hemisphere + 0.02) << "centre " << c;
  }
  EXPECT_GT(figures_.srbf_hemisphere, 0.0);
  EXPECT_LT(figures_.srbf_hemisphere, 0.5);
  EXPECT_LT(figures_.half_float_added, 0.01);
}

TEST_F(TinyBake, ShadersWoodAndReportAreInPlace) {
  ASSERT_EQ(status_, 0);
  for (const char* name : {"lightmap_relitdir16", "draw_scene", "lightmap_mapping", "table_frag",
                           "table_vert", "angel_vert", "angel_frag"}) {
    FILE* f = std::fopen(Path(std::string("shader/dir/") + name + ".cgz").c_str(), "rb");
    ASSERT_NE(f, nullptr) << name;
    unsigned char* buffer = nullptr;
    int length = 0;
    ReadDeflateZip(f, &buffer, &length);
    std::fclose(f);
    HeapPtr<unsigned char> owned(buffer);
    const EmbeddedShader* shader = FindEmbeddedShader(name);
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), length), std::string(shader->source, shader->size)) << name;
  }
  int width = 0, height = 0;
  unsigned char* wood = nullptr;
  ReadPPM(Path("wood.ppm").c_str(), &width, &height, &wood);
  free(wood);
  EXPECT_EQ(width, 512);
  EXPECT_EQ(height, 512);
  std::ifstream report(Path("bake-report.txt"));
  const std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("SRBF, "), std::string::npos);
  EXPECT_NE(text.find("DCT compression adds"), std::string::npos);
  std::ifstream png(Path("bake-report.png"), std::ios::binary);
  char signature[4] = {};
  png.read(signature, 4);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

// The tool: runs "veltrane-tool bake ARGS" and returns its exit status; output in *out.
int RunTool(const std::string& args, std::string* out) {
  // One log per process: other checkouts may run this test on the same machine at once.
  const std::string log =
      fs::temp_directory_path() / ("veltrane-bake-test-" + std::to_string(getpid()) + ".log");
  const std::string command = std::string(VELTRANE_BINARY_DIR) + "/veltrane-tool bake " + args + " >" + log + " 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(log);
  out->assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BakeCommand, HelpUsageErrorsAndUnwritableOutput) {
  std::string out;
  EXPECT_EQ(RunTool("--help", &out), 0);
  EXPECT_NE(out.find("usage: veltrane-tool bake"), std::string::npos);
  for (const char* bad : {"--centers 26", "--centers 0", "--format png", "--resolution 32", "--spread -1",
                          "--samples 10", "--jobs 0", "--bits-per-pixel 13", "--colour red", "--samples 3x",
                          "--fit best", "--ridge -0.5", "--ridge 2"}) {
    EXPECT_EQ(RunTool(bad, &out), 2) << bad;
    EXPECT_NE(out.find("usage:"), std::string::npos) << bad;
  }
  const std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  std::ofstream(dir + "/file") << "not a directory";
  EXPECT_EQ(RunTool("--out " + dir + "/file/run --resolution 8 8 --centers 3 --samples 30", &out), 1);
  EXPECT_NE(out.find("cannot create directory"), std::string::npos) << out;
  fs::remove_all(dir);
}

TEST(BakeCommand, AnotherFormatRemovesTheOldCoefficientFile) {
  const std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  std::string out;
  const std::string common = "--out " + dir + " --resolution 8 8 --centers 3 --samples 30 --jobs 2 --fit fixed --format ";
  ASSERT_EQ(RunTool(common + "raw", &out), 0) << out;
  EXPECT_TRUE(fs::exists(dir + "/data/lightmap.rbf"));
  EXPECT_FALSE(fs::exists(dir + "/data/lightmap.rbf.dct"));
  // The viewer prefers the raw file: a compressed bake must not leave the old raw one behind.
  ASSERT_EQ(RunTool(common + "dct", &out), 0) << out;
  EXPECT_FALSE(fs::exists(dir + "/data/lightmap.rbf"));
  EXPECT_TRUE(fs::exists(dir + "/data/lightmap.rbf.dct"));
  EXPECT_NE(out.find("bake: fit done in"), std::string::npos) << out;  // plain lines off a terminal
  fs::remove_all(dir);
}

}  // namespace
}  // namespace veltrane
