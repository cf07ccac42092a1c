// How veltrane-tool refuses: at most three lines on standard error that name the option or file
// at fault and say what to do, status 2 for a usage error and 1 for a data or file fault; and
// what a bake says at its end and leaves behind when it is stopped.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/tool_test.h"

extern char** environ;

namespace veltrane::test {
namespace {

int LineCount(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines + (!text.empty() && text.back() != '\n');
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Whether a bake into out has begun its run directory: OUT.tmp-XXXXXX beside OUT, with its data folder.
bool Building(const std::string& out) {
  const std::filesystem::path target(out);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(target.filename().string() + ".tmp-", 0) == 0 && Exists(entry.path().string() + "/data")) return true;
  }
  return false;
}

class RefusalTest : public ToolTest {
 protected:
  // A small run directory, baked once per test that needs one.
  std::string SmallRun() {
    const ToolRun bake = Tool("bake --out " + Path("run") + " --resolution 16 16 --centers 5 --fit fixed");
    EXPECT_EQ(bake.status, 0) << bake.err;
    return Path("run");
  }

  // Returns the run, for checks beyond these.
  ToolRun ExpectRefusal(const std::string& args, int status, const std::vector<std::string>& mentions) {
    ToolRun run = Tool(args);
    EXPECT_EQ(run.status, status) << args << "\n" << run.err;
    EXPECT_GE(LineCount(run.err), 1) << args;
    EXPECT_LE(LineCount(run.err), 3) << args << "\n" << run.err;
    EXPECT_EQ(run.out, "") << args;
    for (const std::string& text : mentions) {
      EXPECT_NE(run.err.find(text), std::string::npos) << args << ": no '" << text << "' in\n" << run.err;
    }
    return run;
  }
};

TEST_F(RefusalTest, UsageErrorsNameTheWordAtFaultAndWhereHelpIs) {
  const std::string help = "--help";
  ExpectRefusal("", 2, {"no command given", "bake", help});
  ExpectRefusal("frobnicate", 2, {"'frobnicate'", help});
  ExpectRefusal("bake --resolution 64", 2, {"--resolution", "W H or WxH", "bake --help"});
  ExpectRefusal("bake --resolution 64 y", 2, {"--resolution", "64 y"});
  ExpectRefusal("bake --centers 99", 2, {"centre count", "1 to 25"});
  ExpectRefusal("bake --bogus", 2, {"--bogus"});
  // The DCT file's real limit, and options that exist.
  const ToolRun too_large =
      ExpectRefusal("bake --resolution 2000 2000", 2, {"2000 x 2000", "1888 x 1888", "--centers", "--format raw"});
  EXPECT_EQ(too_large.err.find("--centres"), std::string::npos) << too_large.err;
  ExpectRefusal("relight " + Path("x") + " --theta 200 --phi 0 --out a.png", 2, {"--theta", "200"});
  ExpectRefusal("relight " + Path("x") + " --theta 20 --phi 0 --out a.jpg", 2, {".png or .pfm", "a.jpg"});
  ExpectRefusal("describe", 2, {"describe --help"});
  ExpectRefusal("dct-encode " + Path("in") + " 8x 8 " + Path("out"), 2, {"WIDTH and HEIGHT", "8x"});
  ExpectRefusal("pack " + Path("in"), 2, {"OUT", "pack --help"});
  ExpectRefusal("export-model", 2, {"output file"});
}

TEST_F(RefusalTest, DescribeRefusesWhatItCannotRead) {
  ExpectRefusal("describe " + Path("missing.qdx"), 1, {Path("missing.qdx"), "No such file"});
  ExpectRefusal("describe " + dir_, 1, {"Is a directory"});
  WriteFile(Path("notes.txt"), "these are notes\nnot a description\n");
  ExpectRefusal("describe " + Path("notes.txt"), 1, {Path("notes.txt"), "not a relighting description"});

  // A description the baker wrote: codes come with their words, the baker's scheme included.
  const ToolRun run = Tool("describe " + SmallRun() + "/lightmap.qdx");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"encoded_color_model_name\": \"RGB\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"srbf_center_scheme_name\": \"HEMI_HAMMERSLEY\""), std::string::npos) << run.out;
}

TEST_F(RefusalTest, DamagedCoefficientsAreSaidOnceWithWhatToDo) {
  const std::string run = SmallRun();
  const std::string dct = run + "/data/lightmap.rbf.dct";
  const std::string bytes = ReadFile(dct);
  ASSERT_GT(bytes.size(), 1000u);
  const std::string out = Path("relit.png");
  for (const size_t keep : {bytes.size() - 100, bytes.size() / 2, size_t{40}}) {
    WriteFile(dct, bytes.substr(0, keep));
    const ToolRun refused = ExpectRefusal("relight " + run + " --theta 30 --phi 0 --out " + out, 1,
                                        {dct, "damaged", "bake it again", "veltrane-tool bake --out " + run});
    EXPECT_EQ(refused.err.find("stdin"), std::string::npos) << refused.err;
    EXPECT_FALSE(Exists(out)) << keep;
  }
  ExpectRefusal("relight " + Path("") + " --theta 30 --phi 0 --out " + out, 1, {"lightmap.qdx", "run directory"});
}

TEST_F(RefusalTest, BakeSaysWhatItWroteAndTakesWxH) {
  const ToolRun run = Tool("bake --out " + Path("small") + " --resolution 12x8 --centers 5 --fit fixed");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadFile(Path("small/lightmap.qdx")).find("REFER_RESOLUTION 12 8"), std::string::npos);
  const size_t last = run.out.rfind("Look at it with: veltrane-scene " + Path("small") + "\n");
  ASSERT_NE(last, std::string::npos) << run.out;
  EXPECT_EQ(last + std::string("Look at it with: veltrane-scene " + Path("small") + "\n").size(), run.out.size());
  EXPECT_NE(run.out.find("wrote the data set to " + Path("small")), std::string::npos);
}

// A bake stopped by a signal ends at once and leaves none of the folders that it made; a folder
// that was there before stays.
TEST_F(RefusalTest, StoppedBakeLeavesNoFolders) {
  const std::string tool = VELTRANE_BINARY_DIR "/veltrane-tool";
  ASSERT_EQ(mkdir(Path("kept").c_str(), 0777), 0);
  for (const std::string& out : {Path("new/deeper/run"), Path("kept")}) {
    std::vector<std::string> words = {tool, "bake", "--out", out, "--resolution", "96", "96", "--jobs", "1"};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Wait until the bake builds its run directory (OUT.tmp-XXXXXX beside OUT), then stop it in
    // its long stages.
    for (int i = 0; i < 200 && !Building(out); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 2.0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << out;
  }
  EXPECT_FALSE(Exists(Path("new")));
  EXPECT_TRUE(Exists(Path("kept")));
  EXPECT_FALSE(Exists(Path("kept/data")));
  EXPECT_FALSE(Exists(Path("kept/shader")));
}

}  // namespace
}  // namespace veltrane::test
