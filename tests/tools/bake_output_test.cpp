// The baker's output pieces: the PNG writer, the wood texture and the embedded shader sources.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/source_dir.h"
#include "tools/bake/embedded_shaders.h"
#include "codec/png_writer.h"
#include "tools/bake/wood_texture.h"

namespace veltrane {
namespace {

uint32_t Big32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

TEST(PngWriter, ChunksCarryValidCrcsAndThePixels) {
  const int w = 3, h = 2;
  std::vector<unsigned char> rgb(w * h * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i * 13);
  std::vector<unsigned char> png;
  ASSERT_TRUE(EncodePng(w, h, rgb.data(), &png));
  const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  ASSERT_GT(png.size(), 8u);
  ASSERT_EQ(std::memcmp(png.data(), signature, 8), 0);

  std::vector<std::string> types;
  std::vector<unsigned char> idat;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = Big32(&png[at]);
    ASSERT_LE(at + 12 + length, png.size());
    const std::string type(reinterpret_cast<const char*>(&png[at + 4]), 4);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), &png[at + 4], 4 + length);
    EXPECT_EQ(Big32(&png[at + 8 + length]), static_cast<uint32_t>(crc)) << type;
    if (type == "IHDR") {
      ASSERT_EQ(length, 13u);
      EXPECT_EQ(Big32(&png[at + 8]), 3u);
      EXPECT_EQ(Big32(&png[at + 12]), 2u);
      EXPECT_EQ(png[at + 16], 8);  // bit depth
      EXPECT_EQ(png[at + 17], 2);  // RGB
    }
    if (type == "IDAT") idat.insert(idat.end(), &png[at + 8], &png[at + 8 + length]);
    types.push_back(type);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  std::vector<unsigned char> raw(h * (1 + w * 3));
  uLongf raw_size = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &raw_size, idat.data(), idat.size()), Z_OK);
  ASSERT_EQ(raw_size, raw.size());
  for (int y = 0; y < h; ++y) {
    EXPECT_EQ(raw[y * (1 + w * 3)], 0);  // filter None
    EXPECT_EQ(std::memcmp(&raw[y * (1 + w * 3) + 1], &rgb[y * w * 3], w * 3), 0);
  }
  EXPECT_FALSE(EncodePng(0, 2, rgb.data(), &png));
}

TEST(WoodTexture, IsWarmVariedAndTheSameEveryTime) {
  const std::vector<unsigned char> wood = MakeWoodTexture(512, 512);
  ASSERT_EQ(wood.size(), 512u * 512u * 3u);
  EXPECT_EQ(wood, MakeWoodTexture(512, 512));
  double mean[3] = {0, 0, 0}, mean_sq = 0.0;
  for (size_t i = 0; i < wood.size(); i += 3) {
    for (int c = 0; c < 3; ++c) mean[c] += wood[i + c];
    mean_sq += static_cast<double>(wood[i]) * wood[i];
  }
  const double n = 512.0 * 512.0;
  for (double& m : mean) m /= n;
  EXPECT_GT(mean[0], mean[1] + 20.0);  // warm: red over green over blue
  EXPECT_GT(mean[1], mean[2] + 20.0);
  EXPECT_GT(std::sqrt(mean_sq / n - mean[0] * mean[0]), 8.0);  // rings and grain, not flat
}

TEST(EmbeddedShaders, HoldTheSevenSourcesByteForByte) {
  const char* names[] = {"lightmap_relitdir16", "draw_scene", "lightmap_mapping", "table_frag",
                         "table_vert", "angel_vert", "angel_frag"};
  EXPECT_EQ(kEmbeddedShaderCount, 7);
  for (const char* name : names) {
    const EmbeddedShader* shader = FindEmbeddedShader(name);
    ASSERT_NE(shader, nullptr) << name;
    std::ifstream file(veltrane::test::SourceDir() + "/data/shaders/" + name + ".cg", std::ios::binary);
    ASSERT_TRUE(file) << name;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::string(shader->source, shader->size), bytes) << name;
  }
  EXPECT_EQ(FindEmbeddedShader("lightmap_relitdir"), nullptr);
}

}  // namespace
}  // namespace veltrane
