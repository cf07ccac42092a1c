// Expanding a compressed shader source: what lands in the expanded file, and the faults that
// stop start-up without leaving a source behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/shader_setup.h"
#include "codec/container_test_support.h"
#include "codec/shader_container.h"

namespace veltrane::test {
namespace {

class ShaderExpansionTest : public testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/veltrane-expand-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    cgz_ = dir_ + "/prog.cgz";
    cg_ = dir_ + "/prog.cg";
  }
  void TearDown() override {
    std::remove(cgz_.c_str());
    std::remove(cg_.c_str());
    rmdir(cg_.c_str());
    rmdir(dir_.c_str());
  }

  void WriteCgz(const Bytes& bytes) {
    std::ofstream(cgz_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
  }

  struct Outcome {
    int status;
    std::string err;
  };
  Outcome Expand() {
    FatalCatcher catcher;
    testing::internal::CaptureStderr();
    int status = catcher.Run([&] { ExpandShader(cgz_.c_str(), cg_.c_str()); });
    return {status, testing::internal::GetCapturedStderr()};
  }

  bool CgExists() const {
    struct stat st;
    return stat(cg_.c_str(), &st) == 0;
  }
  std::string CgText() const {
    std::ifstream in(cg_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_, cgz_, cg_;
};

// One stored chunk of a full window, and a chunk table that names it count times.
Bytes RepeatedChunk(uint32_t count) {
  const Bytes chunk = ZlibChunk(Bytes(kDeflateChunkWindow, 'a'));
  Bytes file(6 + 8 * size_t{count});
  file[0] = 'E';
  file[1] = 'Z';
  PutBigEndian(&file, 2, count);
  for (uint32_t i = 0; i < count; ++i) {
    PutBigEndian(&file, 6 + 4 * i, static_cast<uint32_t>(file.size()));
    PutBigEndian(&file, 6 + 4 * (count + i), static_cast<uint32_t>(chunk.size()));
  }
  file.insert(file.end(), chunk.begin(), chunk.end());
  return file;
}

TEST_F(ShaderExpansionTest, StaleExpandedFileIsReplacedByThePayload) {
  std::ofstream(cg_) << std::string(100000, 'x');
  const Bytes payload = Payload(60000, 3);
  WriteCgz(Container({ZlibChunk(Bytes(payload.begin(), payload.begin() + 32768)),
                      ZlibChunk(Bytes(payload.begin() + 32768, payload.end()))}));
  Outcome outcome = Expand();
  EXPECT_EQ(outcome.status, FatalCatcher::kNoExit) << outcome.err;
  EXPECT_EQ(CgText(), std::string(payload.begin(), payload.end()));
}

TEST_F(ShaderExpansionTest, ContainerThatExpandsBeyondTheBoundIsRefusedAndLeavesNoSource) {
  // 30000 entries for one 32 KiB chunk: a small file that would expand to almost 1 GB.
  std::ofstream(cg_) << "stale";
  WriteCgz(RepeatedChunk(30000));
  Outcome outcome = Expand();
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "[ExpandShader]: " + cgz_ +
                             " declares 983040000 bytes of shader source, more than the 4194304 a shader "
                             "may have\n");
  EXPECT_FALSE(CgExists());
}

TEST_F(ShaderExpansionTest, BoundItselfIsAccepted) {
  WriteCgz(RepeatedChunk(kMaxShaderSourceBytes / kDeflateChunkWindow));
  Outcome outcome = Expand();
  EXPECT_EQ(outcome.status, FatalCatcher::kNoExit) << outcome.err;
  EXPECT_EQ(CgText().size(), kMaxShaderSourceBytes);

  WriteCgz(RepeatedChunk(kMaxShaderSourceBytes / kDeflateChunkWindow + 1));
  EXPECT_EQ(Expand().status, 1);
  EXPECT_FALSE(CgExists());
}

TEST_F(ShaderExpansionTest, HeaderFaultLeavesNoSourceBehind) {
  std::ofstream(cg_) << "stale";
  WriteCgz(Bytes{'P', 'K', 3, 4});
  Outcome outcome = Expand();
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "[ReadDeflateZip]: input file is not in our zip file format\n");
  EXPECT_FALSE(CgExists());
}

TEST_F(ShaderExpansionTest, UnwritableExpandedFileAndMissingInput) {
  WriteCgz(Container({ZlibChunk(Payload(100, 1))}));
  ASSERT_EQ(mkdir(cg_.c_str(), 0755), 0);  // a directory where the source belongs: no one writes it
  Outcome outcome = Expand();
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "[ExpandShader]: cannot write outfile!\n");
  rmdir(cg_.c_str());

  std::remove(cgz_.c_str());
  outcome = Expand();
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "[ExpandShader]: input file not found!\n");
  EXPECT_FALSE(CgExists());
}

}  // namespace
}  // namespace veltrane::test
