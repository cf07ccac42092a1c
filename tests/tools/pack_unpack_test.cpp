// veltrane-tool pack and unpack, run as programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/container_writer.h"
#include "support/tool_test.h"

namespace {

using veltrane::test::ReadFile;
using veltrane::test::ToolRun;
using veltrane::test::WriteFile;

class PackUnpackTest : public veltrane::test::ToolTest {};

std::string Sample(size_t size) {
  std::string s;
  for (size_t i = 0; s.size() < size; ++i) s += "float4 relight(" + std::to_string(i * i % 977) + ");\n";
  return s.substr(0, size);
}

TEST_F(PackUnpackTest, RoundTripsAndReadsAContainerInsideAFile) {
  const std::string payload = Sample(100000);
  WriteFile(dir_ + "in", payload);
  EXPECT_EQ(Tool("pack " + dir_ + "in " + dir_ + "c.ez --chunk-size 1000").status, 0);
  EXPECT_EQ(Tool("unpack " + dir_ + "c.ez " + dir_ + "out").status, 0);
  EXPECT_EQ(ReadFile(dir_ + "out"), payload);

  std::vector<unsigned char> c;  // a container written for byte 5000 of its file
  ASSERT_TRUE(veltrane::EncodeDeflateContainer(reinterpret_cast<const unsigned char*>(payload.data()),
                                               payload.size(), 5000, {}, &c));
  WriteFile(dir_ + "embedded", std::string(5000, 'h') + std::string(c.begin(), c.end()) + "tail");
  EXPECT_EQ(Tool("unpack " + dir_ + "embedded " + dir_ + "out2 --offset 5000").status, 0);
  EXPECT_EQ(ReadFile(dir_ + "out2"), payload);
}

TEST_F(PackUnpackTest, UsageAndHelp) {
  for (const std::string command : {"pack", "unpack"}) {
    const ToolRun help = Tool(command + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: veltrane-tool " + command, 0), 0u);
    for (const char* args : {"", " a", " a b c", " a b --bogus"}) {
      const ToolRun r = Tool(command + args);
      EXPECT_EQ(r.status, 2) << command << args;
      EXPECT_NE(r.err.find("usage: veltrane-tool " + command), std::string::npos);
    }
  }
  for (const char* args : {"pack a b --chunk-size 0", "pack a b --chunk-size 32769", "pack a b --chunk-size 9x",
                           "unpack a b --offset -1", "unpack a b --offset", "unpack a b --max-bytes",
                           "unpack a b --max-bytes -5", "unpack a b --max-bytes 1k"}) {
    EXPECT_EQ(Tool(args).status, 2) << args;
  }
}

TEST_F(PackUnpackTest, FileAndContainerFaults) {
  WriteFile(dir_ + "in", Sample(3000));
  EXPECT_EQ(Tool("pack " + dir_ + "missing " + dir_ + "c.ez").status, 1);
  EXPECT_EQ(Tool("pack " + dir_ + "in " + dir_ + "no/dir").status, 1);
  EXPECT_EQ(Tool("unpack " + dir_ + "missing " + dir_ + "out").status, 1);
  const ToolRun not_container = Tool("unpack " + dir_ + "in " + dir_ + "out");
  EXPECT_EQ(not_container.status, 1);
  EXPECT_EQ(not_container.err, "[ReadDeflateZip]: input file is not in our zip file format\n");

  // A chunk fault is reported under the tool's name; the payload is still written.
  ASSERT_EQ(Tool("pack " + dir_ + "in " + dir_ + "c.ez --chunk-size 1000").status, 0);
  std::string container = ReadFile(dir_ + "c.ez");
  container[container.size() - 8] ^= 0x55;  // the last chunk's CRC
  WriteFile(dir_ + "c.ez", container);
  const ToolRun r = Tool("unpack " + dir_ + "c.ez " + dir_ + "out");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "\nveltrane-tool: stdin: invalid compressed data--crc error\n");
  EXPECT_EQ(ReadFile(dir_ + "out"), Sample(3000));
  EXPECT_EQ(Tool("unpack " + dir_ + "c.ez " + dir_ + "no/dir").status, 1);
}

// --max-bytes refuses a container that declares more; short chunks declare what their trailers say.
TEST_F(PackUnpackTest, MaxBytesBoundsTheDeclaredPayload) {
  WriteFile(dir_ + "in", Sample(70000));  // three chunks of a window, two full
  ASSERT_EQ(Tool("pack " + dir_ + "in " + dir_ + "c.ez").status, 0);
  EXPECT_EQ(Tool("unpack " + dir_ + "c.ez " + dir_ + "out --max-bytes 70000").status, 0);
  EXPECT_EQ(ReadFile(dir_ + "out"), Sample(70000));
  const ToolRun r = Tool("unpack " + dir_ + "c.ez " + dir_ + "refused --max-bytes 65536");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "veltrane-tool unpack: the container in " + dir_ +
                       "c.ez declares 70000 payload bytes, more than --max-bytes 65536\n");
  EXPECT_FALSE(std::ifstream(dir_ + "refused").good());

  ASSERT_EQ(Tool("pack " + dir_ + "in " + dir_ + "small.ez --chunk-size 1000").status, 0);  // 70 chunks
  EXPECT_EQ(Tool("unpack " + dir_ + "small.ez " + dir_ + "out2 --max-bytes 70000").status, 0);
  EXPECT_EQ(ReadFile(dir_ + "out2"), Sample(70000));
  EXPECT_EQ(Tool("unpack " + dir_ + "small.ez " + dir_ + "out3 --max-bytes 69999").status, 1);

  // The default is 1 GiB: 65535 entries at one full chunk declare 2 GiB.
  std::string bomb = "EZ";
  const std::string small = ReadFile(dir_ + "c.ez");
  const auto be = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
  };
  const uint32_t n = 65535, at = 6 + 8 * n;
  const uint32_t first_offset = static_cast<unsigned char>(small[6]) << 24 | static_cast<unsigned char>(small[7]) << 16 |
                                static_cast<unsigned char>(small[8]) << 8 | static_cast<unsigned char>(small[9]);
  const uint32_t second_offset = static_cast<unsigned char>(small[10]) << 24 |
                                 static_cast<unsigned char>(small[11]) << 16 |
                                 static_cast<unsigned char>(small[12]) << 8 | static_cast<unsigned char>(small[13]);
  const std::string chunk = small.substr(first_offset, second_offset - first_offset);
  bomb += be(n);
  for (uint32_t i = 0; i < n; ++i) bomb += be(at);
  for (uint32_t i = 0; i < n; ++i) bomb += be(static_cast<uint32_t>(chunk.size()));
  WriteFile(dir_ + "bomb.ez", bomb + chunk);
  const ToolRun b = Tool("unpack " + dir_ + "bomb.ez " + dir_ + "out4");
  EXPECT_EQ(b.status, 1);
  EXPECT_EQ(b.err, "veltrane-tool unpack: the container in " + dir_ +
                       "bomb.ez declares 2147450880 payload bytes, more than --max-bytes 1073741824\n");
}

}  // namespace

namespace {

// The first line of a usage error (the usage text follows it), or the status when there is none.
std::string UsageLine(const ToolRun& r) {
  if (r.status != 2) return "status " + std::to_string(r.status);
  return r.err.substr(0, r.err.find('\n'));
}

TEST_F(PackUnpackTest, CommandLineFaultsNameTheWordAndHelpWinsWhereItStands) {
  const std::string in = dir_ + "in";
  WriteFile(in, "x");
  EXPECT_EQ(UsageLine(Tool("pack")), "veltrane-tool pack: missing IN and OUT");
  EXPECT_EQ(UsageLine(Tool("pack " + in)), "veltrane-tool pack: missing OUT");
  EXPECT_EQ(UsageLine(Tool("pack " + in + " a b")), "veltrane-tool pack: unexpected argument b");
  EXPECT_EQ(UsageLine(Tool("pack " + in + " a --chunk-size")), "veltrane-tool pack: missing value for --chunk-size");
  EXPECT_EQ(UsageLine(Tool("pack --chunk-size 0 " + in + " a")), "veltrane-tool pack: chunk size must be 1 to 32768, not 0");
  EXPECT_EQ(UsageLine(Tool("pack -x " + in + " a")), "veltrane-tool pack: unknown option -x");
  // An option's value is taken as it is, even "--help"; help elsewhere prints the usage.
  EXPECT_EQ(UsageLine(Tool("pack --chunk-size --help " + in + " a")),
            "veltrane-tool pack: chunk size must be 1 to 32768, not --help");
  const ToolRun help = Tool("pack " + in + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: veltrane-tool pack", 0), 0u);

  EXPECT_EQ(UsageLine(Tool("unpack --offset")), "veltrane-tool unpack: missing value for --offset");
  EXPECT_EQ(UsageLine(Tool("unpack --offset -1 a b")), "veltrane-tool unpack: offset must be a byte position, not -1");
  EXPECT_EQ(UsageLine(Tool("unpack --max-bytes -3 a b")), "veltrane-tool unpack: --max-bytes must be a byte count, not -3");
  EXPECT_EQ(UsageLine(Tool("unpack a b c")), "veltrane-tool unpack: unexpected argument c");
  EXPECT_EQ(UsageLine(Tool("unpack -q a b")), "veltrane-tool unpack: unknown option -q");
  EXPECT_EQ(Tool("unpack -h").status, 0);
}

}  // namespace
