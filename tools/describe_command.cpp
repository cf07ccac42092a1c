// describe FILE: parses a relighting description and prints the record as one JSON object.
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "relight/description.h"
#include "relight/description_words.h"
#include "scene/object_mesh.h"
#include "tools/tool_args.h"
#include "tools/tool_commands.h"

namespace {

const char kUsage[] =
    "usage: veltrane-tool describe FILE\n"
    "\n"
    "Parses the relighting description FILE and prints its record as one JSON object: the\n"
    "parse result (\"result\") and every field under its name; each code is followed by its\n"
    "word (\"srbf_center_scheme\": 2, \"srbf_center_scheme_name\": \"HEMI_HAMMERSLEY\"). Fields the\n"
    "file never set print as null, and so do non-finite reals. Text bytes of 0x80 and above\n"
    "print as \\u0080 to \\u00ff. The parser's own messages go to their usual streams.\n"
    "\n"
    "Exit status: 0 when the JSON is printed; 1 when FILE cannot be read or holds no keyword of\n"
    "a description (nothing printed), or when a light-eye transform block is broken (the JSON of\n"
    "what was read is printed); 2 for a usage error.\n"
    "\n"
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

// The word of a code numbered from 1 in words; other_word for the code of any other word; null
// for a code the file never set.
template <size_t N>
void PrintCodeName(const char* field, int32_t code, const char* const (&words)[N], const std::string& other_word) {
  std::printf("  \"%s_name\": ", field);
  if (code >= 1 && static_cast<size_t>(code) <= N) {
    PrintString(words[code - 1]);
  } else if (code == static_cast<int32_t>(N) + 1 && !other_word.empty()) {
    PrintString(other_word.c_str());
  } else {
    std::fputs("null", stdout);
  }
  std::fputs(",\n", stdout);
}

// The word after the centre count on the file's last SRBF_CENTER_BEGIN line: the parser keeps
// only its code, and a scheme it does not name (OPTIMIZED, from the baker) is worth showing.
std::string LastCenterSchemeWord(const char* path) {
  std::string word;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string keyword, count, scheme;
    if (words >> keyword && keyword == "SRBF_CENTER_BEGIN" && words >> count >> scheme) word = scheme;
  }
  return word.empty() ? "OTHER" : word;
}

// A file that gave none of the description's fields is not a description.
bool NothingSet(const RelightDescription& d) {
  const RelightDescription fresh;
  return !HasBasePath(d) && !HasEncodedFile(d) && !HasLightEyeTransform(d) && d.refer_format == fresh.refer_format &&
         d.refer_width == fresh.refer_width && d.refer_height == fresh.refer_height &&
         d.encoded_color_model == fresh.encoded_color_model && d.srbf_center_count == 0 &&
         d.srbf_center_scheme == fresh.srbf_center_scheme && std::memcmp(&d.srbf_spread, &fresh.srbf_spread, 4) == 0 &&
         std::memcmp(d.fov, fresh.fov, sizeof d.fov) == 0 && d.projection_type == fresh.projection_type &&
         std::memcmp(d.cylinder, fresh.cylinder, sizeof d.cylinder) == 0 && d.ref_file_count == 0 &&
         d.ref_file_scheme == fresh.ref_file_scheme;
}

void PrintRecord(int result, const RelightDescription& d, const std::string& center_scheme_word) {
  std::printf("{\n  \"result\": %d,\n", result);
  std::fputs("  \"base_path\": ", stdout);
  PrintOptionalString(HasBasePath(d), d.base_path);
  std::printf(",\n  \"refer_format\": %d,\n", d.refer_format);
  PrintCodeName("refer_format", d.refer_format, kReferFormatWords, "");
  std::printf("  \"refer_width\": %d,\n  \"refer_height\": %d,\n", d.refer_width, d.refer_height);
  std::fputs("  \"encoded_file\": ", stdout);
  PrintOptionalString(HasEncodedFile(d), d.encoded_file);
  std::printf(",\n  \"encoded_color_model\": %d,\n", d.encoded_color_model);
  PrintCodeName("encoded_color_model", d.encoded_color_model, kColorModelWords, "");
  std::printf("  \"srbf_center_count\": %d,\n  \"srbf_centers\": [", d.srbf_center_count);
  for (int32_t i = 0; i < d.srbf_center_count; ++i) {
    if (i > 0) std::fputs(", ", stdout);
    const float angles[2] = {d.srbf_centers[i]->theta, d.srbf_centers[i]->phi};
    PrintReals(angles, 2);
  }
  std::printf("],\n  \"srbf_center_scheme\": %d,\n", d.srbf_center_scheme);
  PrintCodeName("srbf_center_scheme", d.srbf_center_scheme, kCenterSchemeWords, center_scheme_word);
  std::fputs("  \"srbf_spread\": ", stdout);
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
  std::printf(",\n  \"projection_type\": %d,\n", d.projection_type);
  PrintCodeName("projection_type", d.projection_type, kProjectionWords, "");
  std::fputs("  \"cylinder\": ", stdout);
  PrintReals(d.cylinder, 3);
  std::printf(",\n  \"ref_file_count\": %d,\n  \"ref_file_scheme\": %d,\n", d.ref_file_count, d.ref_file_scheme);
  PrintCodeName("ref_file_scheme", d.ref_file_scheme, kRefSchemeWords, "OTHER");
  std::fputs("  \"ref_files\": [", stdout);
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
  if (argc != 2) return ToolUsageErrorText("describe", argc < 2 ? "no FILE given" : "takes one FILE", kUsage);
  const char* path = argv[1];
  struct stat info;
  FILE* probe = std::fopen(path, "r");
  if (probe == nullptr || (fstat(fileno(probe), &info) == 0 && S_ISDIR(info.st_mode))) {
    const int error = probe == nullptr ? errno : EISDIR;
    if (probe != nullptr) std::fclose(probe);
    std::fprintf(stderr, "veltrane-tool describe: cannot read %s: %s\n", path, std::strerror(error));
    return 1;
  }
  std::fclose(probe);
  RelightDescription record;
  int result = record.Read(path);
  std::fflush(stdout);
  std::fflush(stderr);
  if (result == kReadDone && NothingSet(record)) {
    std::fprintf(stderr,
                 "veltrane-tool describe: %s is not a relighting description: it sets none of its keywords\n"
                 "(REFER_RESOLUTION, ENCODED_FILE, SRBF_CENTER_BEGIN, ...); a bake writes one as lightmap.qdx\n",
                 path);
    return 1;
  }
  PrintRecord(result, record, LastCenterSchemeWord(path));
  if (HasModelFile(record)) PrintObject(path, record);
  std::fputs("\n}\n", stdout);
  if (std::fflush(stdout) != 0) return 1;
  if (result != kReadDone) {
    std::fprintf(stderr, "veltrane-tool describe: %s could not be read to its end (a broken "
                         "LIGHT_EYE_TRANSFORM block?); the JSON above holds what was read\n", path);
    return 1;
  }
  return 0;
}
