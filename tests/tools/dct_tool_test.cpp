// veltrane-tool dct-encode and dct-decode, run as programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/container_test_support.h"
#include "codec/dct_file_writer.h"
#include "support/tool_test.h"

namespace {

using veltrane::test::ReadFile;
using veltrane::test::ToolRun;
using veltrane::test::WriteFile;

class DctToolTest : public veltrane::test::ToolTest {
 protected:
  // width x height little-endian float32 values of a smooth image.
  static std::string Floats(int width, int height) {
    std::string bytes;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const float v = 1.0f + 0.5f * std::sin(0.3f * x) * std::cos(0.2f * y);
        uint32_t word;
        std::memcpy(&word, &v, 4);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(word >> (8 * i)));
      }
    }
    return bytes;
  }

  static float FloatAt(const std::string& bytes, size_t i) {
    uint32_t word = 0;
    for (int b = 0; b < 4; ++b) word |= uint32_t{static_cast<unsigned char>(bytes[4 * i + b])} << (8 * b);
    float v;
    std::memcpy(&v, &word, 4);
    return v;
  }

  std::string dir_;
};

TEST_F(DctToolTest, EncodeThenDecodeRoundTrips) {
  WriteFile(Path("in.f32"), Floats(21, 13));
  const ToolRun enc = Tool("dct-encode " + Path("in.f32") + " 21 13 " + Path("x.dct") + " --bits-per-pixel 4");
  ASSERT_EQ(enc.status, 0) << enc.err;
  double rms = -1, max_abs = -1;
  int totalbits = -1;
  size_t bytes = 0;
  ASSERT_EQ(std::sscanf(enc.out.c_str(), "rms error %lf, max abs error %lf, %d bits per block, %zu bytes", &rms,
                        &max_abs, &totalbits, &bytes), 4)
      << enc.out;
  EXPECT_LE(rms, max_abs);
  EXPECT_LT(max_abs, 0.05);
  EXPECT_EQ(totalbits % 8, 0);
  EXPECT_EQ(bytes, ReadFile(Path("x.dct")).size());

  const ToolRun dec = Tool("dct-decode " + Path("x.dct") + " " + Path("out.f32"));
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_EQ(dec.out, "21 13\n");
  const std::string in = ReadFile(Path("in.f32")), out = ReadFile(Path("out.f32"));
  ASSERT_EQ(out.size(), in.size());
  for (size_t i = 0; i < 21 * 13; ++i) ASSERT_NEAR(FloatAt(out, i), FloatAt(in, i), 0.05) << i;
}

// At 0.125 bits a pixel a 2048 x 1024 image takes one byte a block, 32768 bytes: a payload that
// fills the container's one window exactly.
TEST_F(DctToolTest, PayloadFillingItsWindowExactlyRoundTrips) {
  WriteFile(Path("in.f32"), Floats(2048, 1024));
  const ToolRun enc =
      Tool("dct-encode " + Path("in.f32") + " 2048 1024 " + Path("x.dct") + " --bits-per-pixel 0.125");
  ASSERT_EQ(enc.status, 0) << enc.err;
  EXPECT_NE(enc.out.find(", 8 bits per block,"), std::string::npos) << enc.out;
  const ToolRun dec = Tool("dct-decode " + Path("x.dct") + " " + Path("out.f32"));
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_EQ(dec.out, "2048 1024\n");
  EXPECT_EQ(ReadFile(Path("out.f32")).size(), size_t{4} * 2048 * 1024);
}

// 65535 container entries at one 32 KiB chunk, behind the header of a 16 x 16 image that needs
// 4 bytes: refused at once.
TEST_F(DctToolTest, ContainerDeclaringMoreThanTheImageNeedsIsRefusedAtOnce) {
  using veltrane::test::PutBigEndian;
  int bits[64] = {8};
  std::vector<float> books[64];
  for (auto& book : books) book.assign(1, 0.0f);
  books[0].assign(256, 1.0f);
  std::vector<unsigned char> file;
  ASSERT_TRUE(veltrane::AssembleDctImageFile(16, 16, bits, books, {}, &file));
  file.resize(file.size() - 6);  // the empty container
  const size_t head = file.size(), n = 65535;
  const auto chunk = veltrane::test::ZlibChunk(std::vector<unsigned char>(32768, 0));
  file.resize(head + 6 + 8 * n);
  file[head] = 'E';
  file[head + 1] = 'Z';
  PutBigEndian(&file, head + 2, n);
  for (size_t i = 0; i < n; ++i) {
    PutBigEndian(&file, head + 6 + 4 * i, static_cast<uint32_t>(file.size()));
    PutBigEndian(&file, head + 6 + 4 * n + 4 * i, static_cast<uint32_t>(chunk.size()));
  }
  file.insert(file.end(), chunk.begin(), chunk.end());
  WriteFile(Path("bomb.dct"), std::string(file.begin(), file.end()));

  const auto start = std::chrono::steady_clock::now();
  const ToolRun r = Tool("dct-decode " + Path("bomb.dct") + " " + Path("out.f32"));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "[DctImage::ReadDCTBits]: The container declares 2147450880 payload bytes, more than the 4 the image "
            "needs\n");
  EXPECT_LT(seconds, 2.0);
}

TEST_F(DctToolTest, HelpAndUsageErrors) {
  for (const char* command : {"dct-encode", "dct-decode"}) {
    const ToolRun help = Tool(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(std::string("usage: veltrane-tool ") + command, 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
  }
  WriteFile(Path("in.f32"), Floats(8, 8));
  const std::string in = Path("in.f32"), out = Path("o");
  for (const std::string& args :
       {std::string("dct-encode"), "dct-encode " + in + " 8 8", "dct-encode " + in + " 8x 8 " + out,
        "dct-encode " + in + " 0 8 " + out, "dct-encode " + in + " 8 8 " + out + " --bits-per-pixel",
        "dct-encode " + in + " 8 8 " + out + " --bits-per-pixel 13", "dct-encode " + in + " 8 8 " + out + " extra",
        std::string("dct-decode"), "dct-decode " + in, "dct-decode " + in + " " + out + " extra"}) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("\nusage: veltrane-tool dct-"), std::string::npos) << args;
    EXPECT_EQ(r.out, "") << args;
  }
}

TEST_F(DctToolTest, FileFaults) {
  WriteFile(Path("in.f32"), Floats(8, 8));
  ToolRun r = Tool("dct-encode " + Path("missing") + " 8 8 " + Path("o"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos);
  r = Tool("dct-encode " + Path("in.f32") + " 8 9 " + Path("o"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("holds 256 bytes"), std::string::npos) << r.err;
  r = Tool("dct-encode " + Path("in.f32") + " 8 8 " + Path("no/such/dir"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos);
  WriteFile(Path("nan.f32"), std::string("\0\0\xc0\x7f", 4));
  r = Tool("dct-encode " + Path("nan.f32") + " 1 1 " + Path("o"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot encode"), std::string::npos);

  r = Tool("dct-decode " + Path("missing") + " " + Path("o"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot open"), std::string::npos);
  ASSERT_EQ(Tool("dct-encode " + Path("in.f32") + " 8 8 " + Path("x.dct")).status, 0);
  r = Tool("dct-decode " + Path("x.dct") + " " + Path("no/such/dir"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos);
}

TEST_F(DctToolTest, DecodeKeepsTheDecoderMessagesAndNamesItselfInChunkFaults) {
  WriteFile(Path("bad.dct"), "DXT\n8 8\n");
  ToolRun r = Tool("dct-decode " + Path("bad.dct") + " " + Path("o"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[DctImage::ReadDCTBits]: Signature not matching\n");

  // A wrong CRC in the only chunk's trailer (the file's last 8 bytes) is reported, and the
  // chunk's bytes still count.
  WriteFile(Path("in.f32"), Floats(16, 16));
  ASSERT_EQ(Tool("dct-encode " + Path("in.f32") + " 16 16 " + Path("x.dct")).status, 0);
  std::string file = ReadFile(Path("x.dct"));
  file[file.size() - 8] ^= 1;
  WriteFile(Path("x.dct"), file);
  r = Tool("dct-decode " + Path("x.dct") + " " + Path("o"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "16 16\n");
  EXPECT_EQ(r.err, "\nveltrane-tool: stdin: invalid compressed data--crc error\n");
}

}  // namespace
