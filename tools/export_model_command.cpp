// export-model OUT.obj: the built-in model as Wavefront OBJ. Positions, normals and texture
// coordinates are written in array order, so OBJ index i + 1 is array index i; the faces follow
// in array order, the angel's under "o angel" and the table's under "o table", each corner as
// position/texture-coordinate/normal.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "scene/model.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

const char kUsage[] =
    "usage: veltrane-tool export-model OUT.obj\n"
    "  writes the built-in angel and table as Wavefront OBJ\n";

void WriteFaces(FILE* out, const char* name, const FaceRecord* faces, int count) {
  std::fprintf(out, "o %s\n", name);
  for (int f = 0; f < count; ++f) {
    const FaceRecord& r = faces[f];
    std::fprintf(out, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", r.position[0] + 1, r.texcoord[0] + 1, r.normal[0] + 1,
                 r.position[1] + 1, r.texcoord[1] + 1, r.normal[1] + 1, r.position[2] + 1, r.texcoord[2] + 1,
                 r.normal[2] + 1);
  }
}

void WriteModelObj(FILE* out) {
  std::fprintf(out, "# Veltrane built-in model: %d positions, %d normals, %d texture coordinates, %d faces\n",
               kModelPositionCount, kModelCornerCount, kModelCornerCount, kAngelFaceCount + kTableFaceCount);
  for (const auto& p : model_positions) std::fprintf(out, "v %.9g %.9g %.9g\n", p[0], p[1], p[2]);
  for (const auto& n : model_normals) std::fprintf(out, "vn %.9g %.9g %.9g\n", n[0], n[1], n[2]);
  for (const auto& t : model_texcoords) std::fprintf(out, "vt %.9g %.9g\n", t[0], t[1]);
  WriteFaces(out, "angel", angel_faces, kAngelFaceCount);
  WriteFaces(out, "table", table_faces, kTableFaceCount);
}

}  // namespace

int ExportModelCommand(int argc, char** argv) {
  if (argc == 2 && IsHelpArg(argv[1])) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '\0' || (argv[1][0] == '-' && argv[1][1] != '\0')) {
    return ToolUsageErrorText("export-model", "expected one output file name", kUsage);
  }
  const char* path = argv[1];
  FILE* out = std::fopen(path, "w");
  if (out == nullptr) {
    std::fprintf(stderr, "veltrane-tool export-model: cannot write '%s': %s\n", path, std::strerror(errno));
    return 1;
  }
  struct stat info;
  const bool regular_file = fstat(fileno(out), &info) == 0 && S_ISREG(info.st_mode);
  WriteModelObj(out);
  bool failed = std::ferror(out) != 0;
  int saved_errno = errno;
  if (std::fclose(out) != 0 && !failed) {
    failed = true;
    saved_errno = errno;
  }
  if (failed) {
    // A half-written model file is worse than none; a device or pipe is left alone.
    if (regular_file) std::remove(path);
    std::fprintf(stderr, "veltrane-tool export-model: cannot write '%s': %s\n", path, std::strerror(saved_errno));
    return 1;
  }
  return 0;
}
