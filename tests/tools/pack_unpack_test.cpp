// veltrane-tool pack and unpack, run as programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/container_writer.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

class PackUnpackTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/veltrane-pack-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  ToolRun Tool(const std::string& args) const {
    const std::string command = std::string(VELTRANE_BINARY_DIR "/veltrane-tool ") + args + " >" +
                                Path("stdout") + " 2>" + Path("stderr");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(Path("stdout")), Read(Path("stderr"))};
  }

  static std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
  }

  std::string dir_;
};

std::string Sample(size_t size) {
  std::string s;
  for (size_t i = 0; s.size() < size; ++i) s += "float4 relight(" + std::to_string(i * i % 977) + ");\n";
  s.resize(size);
  return s;
}

TEST_F(PackUnpackTest, RoundTripsAndReadsAContainerInsideAFile) {
  const std::string payload = Sample(100000);
  Write(Path("in"), payload);
  ToolRun r = Tool("pack " + Path("in") + " " + Path("c.ez") + " --chunk-size 1000");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Tool("unpack " + Path("c.ez") + " " + Path("out"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read(Path("out")), payload);

  // A container written for byte 5000 of its file, behind other data.
  std::vector<unsigned char> container;
  ASSERT_TRUE(veltrane::EncodeDeflateContainer(reinterpret_cast<const unsigned char*>(payload.data()),
                                               payload.size(), 5000, {}, &container));
  Write(Path("embedded"), std::string(5000, 'h') + std::string(container.begin(), container.end()) + "tail");
  r = Tool("unpack " + Path("embedded") + " " + Path("out2") + " --offset 5000");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read(Path("out2")), payload);
}

TEST_F(PackUnpackTest, UsageAndHelp) {
  for (const char* command : {"pack", "unpack"}) {
    ToolRun r = Tool(std::string(command) + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(std::string("usage: veltrane-tool ") + command, 0), 0u);
    for (const std::string& args : {std::string(""), std::string("a"), std::string("a b c"), std::string("a b --bogus")}) {
      r = Tool(std::string(command) + " " + args);
      EXPECT_EQ(r.status, 2) << command << " " << args;
      EXPECT_NE(r.err.find("usage: veltrane-tool"), std::string::npos);
      EXPECT_EQ(r.out, "");
    }
  }
  for (const char* bad : {"0", "32769", "12x", "-5"}) {
    EXPECT_EQ(Tool(std::string("pack a b --chunk-size ") + bad).status, 2) << bad;
  }
  EXPECT_EQ(Tool("unpack a b --offset -1").status, 2);
  EXPECT_EQ(Tool("unpack a b --offset").status, 2);
}

TEST_F(PackUnpackTest, FilesAndContainerFaults) {
  Write(Path("in"), Sample(3000));
  ToolRun r = Tool("pack " + Path("missing") + " " + Path("c.ez"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos);
  EXPECT_EQ(Tool("pack " + Path("in") + " " + Path("no/such/dir")).status, 1);
  EXPECT_EQ(Tool("unpack " + Path("missing") + " " + Path("out")).status, 1);

  r = Tool("unpack " + Path("in") + " " + Path("out"));  // not a container
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[ReadDeflateZip]: input file is not in our zip file format\n");

  // A chunk fault is reported under the tool's name and the rest is still written.
  ASSERT_EQ(Tool("pack " + Path("in") + " " + Path("c.ez") + " --chunk-size 1000").status, 0);
  std::string container = Read(Path("c.ez"));
  container[container.size() - 8] ^= 0x55;  // last chunk's CRC
  Write(Path("c.ez"), container);
  r = Tool("unpack " + Path("c.ez") + " " + Path("out"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "\nveltrane-tool: stdin: invalid compressed data--crc error\n");
  EXPECT_EQ(Read(Path("out")), Sample(3000));
  EXPECT_EQ(Tool("unpack " + Path("c.ez") + " " + Path("no/such/dir")).status, 1);
}

}  // namespace
