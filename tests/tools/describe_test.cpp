#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

struct ToolRun {
  int status;
  std::string out;
};

ToolRun Describe(const std::string& args) {
  std::string command =
      std::string(VELTRANE_BINARY_DIR "/veltrane-tool describe ") + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ToolRun run{-1, ""};
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string WriteTemp(const char* name, const std::string& text) {
  std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

TEST(Describe, PrintsTheRecordAsJson) {
  std::string path =
      WriteTemp("describe.qdx",
                "BASE_PATH d\"q\\\x01\xC3\xA9\nREFER_RESOLUTION 4 2\n"
                "SRBF_SPREAD 0.35\nSRBF_CENTER_BEGIN 1 HAMMERSLEY\n0 0 42B40000 7FC00000\n"
                "SRBF_CENTER_END\nREFER_FILE_BEGIN 1\nr.ppm 30 1e-3\nREFER_FILE_END\n");
  ToolRun run = Describe(path);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\n"
            "  \"result\": 1,\n"
            "  \"base_path\": \"d\\\"q\\\\\\u0001\\u00c3\\u00a9/\",\n"
            "  \"refer_format\": -1,\n"
            "  \"refer_format_name\": null,\n"
            "  \"refer_width\": 4,\n"
            "  \"refer_height\": 2,\n"
            "  \"encoded_file\": null,\n"
            "  \"encoded_color_model\": -1,\n"
            "  \"encoded_color_model_name\": null,\n"
            "  \"srbf_center_count\": 1,\n"
            "  \"srbf_centers\": [[90, null]],\n"
            "  \"srbf_center_scheme\": 1,\n"
            "  \"srbf_center_scheme_name\": \"HAMMERSLEY\",\n"
            "  \"srbf_spread\": 0.349999994,\n"
            "  \"light_eye_transform\": null,\n"
            "  \"fov\": [-1, -1],\n"
            "  \"projection_type\": -1,\n"
            "  \"projection_type_name\": null,\n"
            "  \"cylinder\": [-1, -1, -1],\n"
            "  \"ref_file_count\": 1,\n"
            "  \"ref_file_scheme\": -1,\n"
            "  \"ref_file_scheme_name\": null,\n"
            "  \"ref_files\": [{\"name\": \"r.ppm\", \"theta\": 30, \"phi\": 0.00100000005}]\n"
            "}\n");
  std::remove(path.c_str());
}

TEST(Describe, MissingFileAndUsage) {
  ToolRun missing = Describe("/nonexistent/lightmap.qdx");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(Describe("").status, 2);
  EXPECT_EQ(Describe("a b").status, 2);
  ToolRun help = Describe("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: veltrane-tool describe FILE\n", 0), 0u);
}

}  // namespace
