// describe FILE: parses a relighting description and prints the record as one JSON object.
#include <cmath>
#include <cstdio>
#include <cstring>

#include <string>

#include "relight/description.h"
#include "scene/object_mesh.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

const char kUsage[] =
    "usage: veltrane-tool describe FILE\n"
    "\n"
    "Parses the relighting description FILE and prints its record as one JSON object: the\n"
    "parse result (\"result\") and every field under its name. Fields the file never set print\n"
    "as null, and so do non-finite reals. Text bytes of 0x80 and above print as \\u0080 to\n"
    "\\u00ff. The parser's own messages go to their usual streams. The exit status is 0\n"
    "whenever the JSON is printed, also when the file cannot be read (\"result\": -1).\n"
    "A description that names an object file (MODEL_FILE, beside FILE) also gets \"model_file\"\n"
    "and \"object\": the object's name, its triangle and vertex counts and its bounds\n"
    "([min x, y, z], [max x, y, z]), or {\"error\": why} when the object file is unusable.\n";

// A JSON string: quotes, backslashes and control characters escaped, and every byte of 0x80 or
// above written as the code point of the same value, so the bytes can be recovered exactly.
void PrintString(const char* text) {
  static const char kShortEscapes[] = "\"\"\\\\\bb\ff\nn\rr\tt";  // pairs: byte, escape letter
  std::putchar('"');
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    const char* pair = nullptr;
    for (const char* e = kShortEscapes; *e != '\0'; e += 2) {
      if (*e == *p) pair = e;
    }
    if (pair != nullptr) {
      std::printf("\\%c", pair[1]);
    } else if (c < 0x20 || c >= 0x80) {
      std::printf("\\u%04x", c);
    } else {
      std::putchar(c);
    }
  }
  std::putchar('"');
}

// Nine significant digits bring every finite float back exactly; JSON has no NaN or infinity.
void PrintReal(float value) {
  if (std::isfinite(value)) {
    std::printf("%.9g", value);
  } else {
    std::fputs("null", stdout);
  }
}

void PrintReals(const float* values, int count) {
  std::putchar('[');
  for (int i = 0; i < count; ++i) {
    if (i > 0) std::fputs(", ", stdout);
    PrintReal(values[i]);
  }
  std::putchar(']');
}

void PrintOptionalString(bool present, const char* text) {
  if (present) {
    PrintString(text);
  } else {
    std::fputs("null", stdout);
  }
}

void PrintRecord(int result, const RelightDescription& d) {
  std::printf("{\n  \"result\": %d,\n", result);
  std::fputs("  \"base_path\": ", stdout);
  PrintOptionalString(HasBasePath(d), d.base_path);
  std::printf(",\n  \"refer_format\": %d,\n", d.refer_format);
  std::printf("  \"refer_width\": %d,\n  \"refer_height\": %d,\n", d.refer_width, d.refer_height);
  std::fputs("  \"encoded_file\": ", stdout);
  PrintOptionalString(HasEncodedFile(d), d.encoded_file);
  std::printf(",\n  \"encoded_color_model\": %d,\n", d.encoded_color_model);
  std::printf("  \"srbf_center_count\": %d,\n  \"srbf_centers\": [", d.srbf_center_count);
  for (int32_t i = 0; i < d.srbf_center_count; ++i) {
    if (i > 0) std::fputs(", ", stdout);
    const float angles[2] = {d.srbf_centers[i]->theta, d.srbf_centers[i]->phi};
    PrintReals(angles, 2);
  }
  std::printf("],\n  \"srbf_center_scheme\": %d,\n  \"srbf_spread\": ", d.srbf_center_scheme);
  PrintReal(d.srbf_spread);
  std::fputs(",\n  \"light_eye_transform\": ", stdout);
  if (HasLightEyeTransform(d)) {
    std::putchar('[');
    for (int r = 0; r < 4; ++r) {
      if (r > 0) std::fputs(", ", stdout);
      PrintReals(d.light_eye_transform[r], 4);
    }
    std::putchar(']');
  } else {
    std::fputs("null", stdout);
  }
  std::fputs(",\n  \"fov\": ", stdout);
  PrintReals(d.fov, 2);
  std::printf(",\n  \"projection_type\": %d,\n  \"cylinder\": ", d.projection_type);
  PrintReals(d.cylinder, 3);
  std::printf(",\n  \"ref_file_count\": %d,\n  \"ref_file_scheme\": %d,\n  \"ref_files\": [",
              d.ref_file_count, d.ref_file_scheme);
  for (int32_t i = 0; i < d.ref_file_count; ++i) {
    std::fputs(i > 0 ? ", {\"name\": " : "{\"name\": ", stdout);
    PrintString(d.ref_file_names[i]);
    std::fputs(", \"theta\": ", stdout);
    PrintReal(d.ref_file_theta[i]);
    std::fputs(", \"phi\": ", stdout);
    PrintReal(d.ref_file_phi[i]);
    std::putchar('}');
  }
  std::putchar(']');
}

// The object file named by the description, read from beside it.
void PrintObject(const char* description_path, const RelightDescription& d) {
  std::fputs(",\n  \"model_file\": ", stdout);
  PrintString(d.model_file);
  std::string path = description_path;
  const size_t slash = path.find_last_of('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + d.model_file;
  veltrane::ObjectMesh mesh;
  veltrane::ObjectBounds bounds;
  std::string why;
  std::fputs(",\n  \"object\": ", stdout);
  if (!veltrane::ReadObjectFile(path, &mesh, &bounds, &why)) {
    std::fputs("{\"error\": ", stdout);
    PrintString(why.c_str());
    std::putchar('}');
    return;
  }
  std::fputs("{\"name\": ", stdout);
  PrintString(mesh.name.c_str());
  std::printf(", \"triangles\": %zu, \"vertices\": %zu, \"bounds\": [", mesh.TriangleCount(), mesh.VertexCount());
  PrintReals(bounds.min, 3);
  std::fputs(", ", stdout);
  PrintReals(bounds.max, 3);
  std::fputs("]}", stdout);
}

}  // namespace

int DescribeCommand(int argc, char** argv) {
  if (argc == 2 && IsHelpArg(argv[1])) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  RelightDescription record;
  int result = record.Read(argv[1]);
  std::fflush(stdout);
  std::fflush(stderr);
  PrintRecord(result, record);
  if (HasModelFile(record)) PrintObject(argv[1], record);
  std::fputs("\n}\n", stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
