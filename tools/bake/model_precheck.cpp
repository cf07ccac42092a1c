#include "tools/bake/model_precheck.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace veltrane {
namespace {

constexpr size_t kHeaderBytes = 4096;

bool Refuse(std::string* why, const char* what, uint64_t count, uint64_t file_size) {
  *why = std::string("claims ") + std::to_string(count) + " " + what + ", more than a file of " +
         std::to_string(file_size) + " bytes can hold";
  return false;
}

bool TooMany(std::string* why, uint64_t faces, uint64_t limit) {
  *why = "claims " + std::to_string(faces) + " faces, more than the limit of " + std::to_string(limit) + " triangles";
  return false;
}

// Unsigned decimal words only; anything else is no count.
bool ParseCount(const std::string& word, uint64_t* value) {
  if (word.empty() || word.size() > 19 || word.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = std::strtoull(word.c_str(), nullptr, 10);
  return true;
}

bool CheckOff(const std::string& text, uint64_t file_size, uint64_t limit, std::string* why) {
  std::istringstream in(text);
  std::string word;
  in >> word;  // "OFF" (or "NOFF", "COFF", ...)
  std::vector<uint64_t> counts;
  while (counts.size() < 2 && in >> word) {
    if (word[0] == '#') {
      std::getline(in, word);
      continue;
    }
    uint64_t value = 0;
    if (!ParseCount(word, &value)) return true;
    counts.push_back(value);
  }
  if (counts.size() < 2) return true;
  // Every vertex takes at least three numbers and every face at least four, each a digit and
  // a separator.
  if (counts[0] > file_size / 6) return Refuse(why, "vertices", counts[0], file_size);
  if (counts[1] > file_size / 8) return Refuse(why, "faces", counts[1], file_size);
  if (counts[1] > limit) return TooMany(why, counts[1], limit);
  return true;
}

bool CheckPly(const std::string& text, uint64_t file_size, uint64_t limit, std::string* why) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string keyword, element, count_word;
    words >> keyword;
    if (keyword == "end_header") break;
    if (keyword != "element" || !(words >> element >> count_word)) continue;
    uint64_t count = 0;
    if (!ParseCount(count_word, &count)) continue;
    // Every element takes at least one byte in any PLY encoding.
    if (count > file_size) return Refuse(why, (element + " elements").c_str(), count, file_size);
    if (element == "face" && count > limit) return TooMany(why, count, limit);
  }
  return true;
}

bool CheckBinaryStl(const unsigned char* header, size_t length, uint64_t file_size, uint64_t limit,
                    std::string* why) {
  if (length < 84 || std::strncmp(reinterpret_cast<const char*>(header), "solid", 5) == 0) return true;
  const uint64_t count = static_cast<uint64_t>(header[80]) | static_cast<uint64_t>(header[81]) << 8 |
                         static_cast<uint64_t>(header[82]) << 16 | static_cast<uint64_t>(header[83]) << 24;
  if (84 + 50 * count > file_size) return Refuse(why, "triangles", count, file_size);
  if (count > limit) return TooMany(why, count, limit);
  return true;
}

// Wavefront OBJ states no counts: its face lines are counted (each is at least one triangle).
bool CheckObjFaces(const std::string& path, uint64_t limit, std::string* why) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return true;
  std::vector<char> buffer(1 << 20);
  uint64_t faces = 0;
  bool line_start = true, after_f = false;
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
    for (size_t i = 0; i < got; ++i) {
      const char c = buffer[i];
      if (after_f && (c == ' ' || c == '\t')) ++faces;
      after_f = line_start && c == 'f';
      line_start = c == '\n';
    }
    if (faces > limit) break;
  }
  std::fclose(f);
  if (faces <= limit) return true;
  *why = "has more than " + std::to_string(limit) + " faces, more than the limit of " + std::to_string(limit) +
         " triangles";
  return false;
}

}  // namespace

bool PrecheckModelHeader(const std::string& path, uint64_t file_size, uint64_t max_triangles, std::string* why) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return true;  // the importer says why
  unsigned char header[kHeaderBytes];
  const size_t length = std::fread(header, 1, sizeof header, f);
  std::fclose(f);
  const std::string text(reinterpret_cast<const char*>(header), length);
  const size_t dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (text.compare(0, 3, "ply") == 0) return CheckPly(text, file_size, max_triangles, why);
  if (ext == "off" || text.compare(0, 3, "OFF") == 0) return CheckOff(text, file_size, max_triangles, why);
  if (ext == "stl") return CheckBinaryStl(header, length, file_size, max_triangles, why);
  if (ext == "obj") return CheckObjFaces(path, max_triangles, why);
  return true;
}

}  // namespace veltrane
