#include "support/tool_test.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace veltrane::test {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

void ToolTest::SetUp() {
  char pattern[] = "/tmp/veltrane-tool-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  dir_ = std::string(pattern) + "/";
}

void ToolTest::TearDown() {
  if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
}

ToolRun ToolTest::Tool(const std::string& args) const {
  const std::string command = std::string(VELTRANE_BINARY_DIR "/veltrane-tool ") + args + " >" +
                              Path("stdout") + " 2>" + Path("stderr");
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(Path("stdout")), ReadFile(Path("stderr"))};
}

}  // namespace veltrane::test
