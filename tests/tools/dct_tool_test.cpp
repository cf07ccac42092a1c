// veltrane-tool dct-encode and dct-decode, run as programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
    EXPECT_EQ(r.err.rfind("usage: veltrane-tool dct-", 0), 0u) << args;
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
