#include "synthetic_run_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/container_writer.h"
#include "support/source_dir.h"

namespace veltrane::test {

namespace fs = std::filesystem;

float SyntheticScene::Coefficient(int c, int i, int r, int x) {
  // Multiples of 1/8 in [-1, 1], so the half-float textures hold them exactly.
  return static_cast<float>((c * 7 + i * 3 + r * 5 + x * 11) % 17) / 8.0f - 1.0f;
}

std::vector<float> SyntheticScene::RawValues() const {
  std::vector<float> values;
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < count(); ++i) {
      for (int r = 0; r < height; ++r) {
        for (int x = 0; x < width; ++x) values.push_back(Coefficient(c, i, r, x));
      }
    }
  }
  return values;
}

SyntheticScene TwelveCenterScene() {
  SyntheticScene scene;
  for (int i = 0; i < 12; ++i) {
    scene.theta.push_back(7.5f * static_cast<float>(i % 4) + 10.0f);
    scene.phi.push_back(30.0f * static_cast<float>(i));
  }
  return scene;
}

SyntheticScene MovedCenterScene() {
  SyntheticScene scene;
  const float theta[12] = {3.1415927f, 97.03125f, 21.718281f, 36.601f, 44.44449f, 58.82f,
                           99.99999f,  12.345678f, 71.0107f,  88.8888f, 30.000002f, 65.43f};
  for (int i = 0; i < 12; ++i) {
    scene.theta.push_back(theta[i]);
    scene.phi.push_back(29.97f * static_cast<float>(i) + 0.123457f);
  }
  scene.spread = 0.4085449f;
  scene.scheme = "OPTIMIZED";
  scene.hex_words = true;
  return scene;
}

const unsigned char SyntheticRunDir::kWood[18] = {200, 120, 60, 190, 110, 50, 180, 100, 40,
                                                  170, 90,  30, 160, 80,  20, 150, 70,  10};

SyntheticRunDir::SyntheticRunDir(const SyntheticScene& scene) : scene_(scene) {
  char pattern[] = "/tmp/veltrane-run-XXXXXX";
  char* made = mkdtemp(pattern);
  if (made == nullptr) {
    ADD_FAILURE() << "mkdtemp failed";
    return;
  }
  path_ = made;
  fs::create_directories(path_ + "/data");
  fs::create_directories(path_ + "/shader/dir");
}

SyntheticRunDir::~SyntheticRunDir() {
  if (!previous_dir_.empty() && chdir(previous_dir_.c_str()) != 0) ADD_FAILURE() << "chdir back failed";
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

void SyntheticRunDir::Enter() {
  if (previous_dir_.empty()) previous_dir_ = fs::current_path().string();
  ASSERT_EQ(chdir(path_.c_str()), 0);
}

void SyntheticRunDir::WriteDescription(const std::string& extra_lines) const {
  std::ostringstream text;
  text << "BASE_PATH data\n";
  text << "REFER_RESOLUTION " << scene_.width << " " << scene_.height << "\n";
  text << "ENCODED_FILE scene\n";
  text << "SRBF_SPREAD " << scene_.spread << "\n";
  text << "SRBF_CENTER_BEGIN " << scene_.count() << " " << scene_.scheme << "\n";
  for (int i = 0; i < scene_.count(); ++i) {
    if (scene_.hex_words) {
      char line[96];
      uint32_t theta_bits, phi_bits;
      std::memcpy(&theta_bits, &scene_.theta[i], 4);
      std::memcpy(&phi_bits, &scene_.phi[i], 4);
      std::snprintf(line, sizeof line, "%.0f %.0f %08X %08X\n", scene_.theta[i], scene_.phi[i], theta_bits, phi_bits);
      text << line;
    } else {
      text << scene_.theta[i] << " " << scene_.phi[i] << "\n";
    }
  }
  text << "SRBF_CENTER_END\n";
  text << "LIGHT_EYE_TRANSFORM_BEGIN\n" << scene_.light_eye_rows << "LIGHT_EYE_TRANSFORM_END\n";
  text << extra_lines;
  std::ofstream(path_ + "/lightmap.qdx") << text.str();
}

void SyntheticRunDir::WriteRaw(size_t byte_count) const {
  std::vector<float> values = scene_.RawValues();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(values.data());
  WriteBytes("data/scene.rbf", std::vector<unsigned char>(bytes, bytes + byte_count));
}

void SyntheticRunDir::WriteRaw() const { WriteRaw(scene_.RawValues().size() * sizeof(float)); }

void SyntheticRunDir::WriteBytes(const std::string& relative_path, const std::vector<unsigned char>& bytes) const {
  std::ofstream out(path_ + "/" + relative_path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << relative_path;
}

void SyntheticRunDir::PackShaders() const {
  static const char* const kNames[] = {"lightmap_relitdir16", "draw_scene", "lightmap_mapping", "table_frag",
                                       "table_vert",          "angel_vert", "angel_frag"};
  for (const char* name : kNames) {
    std::ifstream in(SourceDir() + "/data/shaders/" + name + ".cg", std::ios::binary);
    ASSERT_TRUE(in.good()) << name;
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<unsigned char> container;
    ASSERT_TRUE(EncodeDeflateContainer(reinterpret_cast<const unsigned char*>(source.data()), source.size(), 0,
                                       ContainerOptions(), &container));
    WriteBytes(std::string("shader/dir/") + name + ".cgz", container);
  }
}

void SyntheticRunDir::WriteWood() const {
  std::vector<unsigned char> bytes;
  const std::string header = "P6\n3 2\n255\n";
  bytes.assign(header.begin(), header.end());
  bytes.insert(bytes.end(), kWood, kWood + sizeof(kWood));
  WriteBytes("wood.ppm", bytes);
}

}  // namespace veltrane::test
