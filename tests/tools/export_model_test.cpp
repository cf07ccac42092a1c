// veltrane-tool export-model, run as a program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scene/model.h"
#include "support/tool_test.h"

namespace {

using veltrane::test::ReadFile;
using veltrane::test::ToolRun;

class ExportModelTest : public veltrane::test::ToolTest {
 protected:
  ToolRun Tool(const std::string& args) const { return ToolTest::Tool("export-model" + args); }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string FaceLine(const FaceRecord& r) {
  std::string s = "f";
  for (int c = 0; c < 3; ++c) {
    s += " " + std::to_string(r.position[c] + 1) + "/" + std::to_string(r.texcoord[c] + 1) + "/" +
         std::to_string(r.normal[c] + 1);
  }
  return s;
}

TEST_F(ExportModelTest, WritesEveryArrayInOrder) {
  const ToolRun run = Tool(" " + dir_ + "model.obj");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  std::vector<std::string> lines = Lines(ReadFile(dir_ + "model.obj"));
  std::vector<std::string> v, vn, vt, f;
  std::vector<size_t> objects;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.rfind("v ", 0) == 0) v.push_back(l);
    if (l.rfind("vn ", 0) == 0) vn.push_back(l);
    if (l.rfind("vt ", 0) == 0) vt.push_back(l);
    if (l.rfind("f ", 0) == 0) f.push_back(l);
    if (l.rfind("o ", 0) == 0) objects.push_back(i);
  }
  ASSERT_EQ(v.size(), 867u);
  ASSERT_EQ(vn.size(), 4806u);
  ASSERT_EQ(vt.size(), 4806u);
  ASSERT_EQ(f.size(), 1602u);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(lines[objects[0]], "o angel");
  EXPECT_EQ(lines[objects[1]], "o table");
  EXPECT_EQ(lines[objects[0] + 1], f[0]);
  EXPECT_EQ(lines[objects[1] + 1], f[kAngelFaceCount]);

  // Values read back exactly; faces carry 1-based position/texture/normal indices.
  for (int i : {0, 602, 603, 795, 866}) {
    float x, y, z;
    ASSERT_EQ(std::sscanf(v[i].c_str(), "v %f %f %f", &x, &y, &z), 3) << v[i];
    EXPECT_TRUE(x == model_positions[i][0] && y == model_positions[i][1] && z == model_positions[i][2]) << v[i];
  }
  for (int i : {0, 3605, 3606, 4805}) {
    float x, y, z, s, t;
    ASSERT_EQ(std::sscanf(vn[i].c_str(), "vn %f %f %f", &x, &y, &z), 3) << vn[i];
    EXPECT_TRUE(x == model_normals[i][0] && y == model_normals[i][1] && z == model_normals[i][2]) << vn[i];
    ASSERT_EQ(std::sscanf(vt[i].c_str(), "vt %f %f", &s, &t), 2) << vt[i];
    EXPECT_TRUE(s == model_texcoords[i][0] && t == model_texcoords[i][1]) << vt[i];
  }
  EXPECT_EQ(f[0], FaceLine(angel_faces[0]));
  EXPECT_EQ(f[1201], FaceLine(angel_faces[1201]));
  EXPECT_EQ(f[kAngelFaceCount + 320], FaceLine(table_faces[320]));
  EXPECT_EQ(f[kAngelFaceCount + 320], "f 796/4567/4567 797/4568/4568 798/4569/4569");
}

TEST_F(ExportModelTest, UsageHelpAndUnwritableFile) {
  const ToolRun help = Tool(" --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: veltrane-tool export-model", 0), 0u);
  for (const char* args : {"", " a.obj b.obj", " --bogus"}) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("usage: veltrane-tool export-model"), std::string::npos) << args;
  }
  const ToolRun unwritable = Tool(" " + dir_ + "missing/model.obj");
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "veltrane-tool export-model: cannot write '" + dir_ +
                                "missing/model.obj': No such file or directory\n");
}

// A write that fails part way (a full disk) is a failure, and only a regular file is removed.
TEST_F(ExportModelTest, FullDiskIsAFailure) {
  struct stat before;
  if (stat("/dev/full", &before) != 0) GTEST_SKIP() << "no /dev/full";
  const ToolRun full = Tool(" /dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "veltrane-tool export-model: cannot write '/dev/full': No space left on device\n");
  struct stat after;
  EXPECT_EQ(stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
}

}  // namespace
