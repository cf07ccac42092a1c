// Running veltrane-tool as a program from tests. Each ToolTest gets a scratch directory of its
// own (dir_, ending in "/"), removed afterwards; Tool(args) runs the built tool with those
// arguments and returns its exit status and what it wrote on each stream.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace veltrane::test {

struct ToolRun {
  int status;  // exit status, or -1 when the tool did not exit normally
  std::string out, err;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);

class ToolTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return dir_ + name; }
  ToolRun Tool(const std::string& args) const;

  std::string dir_;
};

}  // namespace veltrane::test
