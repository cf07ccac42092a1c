#include "app/description_check.h"

#include <sys/stat.h>

#include <cmath>

#include "relight/description.h"

namespace {

// What keeps the light-eye transform from being used, or nullptr when all 16 values are
// finite. A value never set is NaN (the record's initial state).
const char* LightEyeTransformFault(const RelightDescription& d) {
  bool infinite = false;
  for (const auto& row : d.light_eye_transform) {
    for (float value : row) {
      if (std::isnan(value)) return "the LIGHT_EYE_TRANSFORM block is missing or incomplete";
      if (std::isinf(value)) infinite = true;
    }
  }
  return infinite ? "a LIGHT_EYE_TRANSFORM value is not a finite number" : nullptr;
}

// Why the file cannot be read as a description, or nullptr when it can.
const char* UnreadableFileFault(const char* file_name) {
  FILE* f = std::fopen(file_name, "r");
  if (f == nullptr) return "cannot open it for reading";
  struct stat st;
  const bool directory = fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode);
  std::fgetc(f);
  const bool read_error = std::ferror(f) != 0;
  std::fclose(f);
  if (directory) return "it is a directory, not a file";
  return read_error ? "cannot read it" : nullptr;
}

bool Reject(FILE* err, const char* file_name, const char* why) {
  std::fprintf(err, "[LoadDescription]: %s: %s\n", file_name, why);
  return false;
}

}  // namespace

bool CheckDescription(const RelightDescription& d, int read_result, const char* file_name, FILE* err) {
  if (read_result == kReadNoMemory) return Reject(err, file_name, "not enough memory to read it");
  if (read_result == kReadFailed) {
    // Either the file cannot be read, or its light-eye block broke off the parse (the parser
    // has said so). Then what was stored up to there is checked like any other description:
    // four complete rows with a missing or misspelt end line are enough to run with.
    if (const char* why = UnreadableFileFault(file_name)) return Reject(err, file_name, why);
    if (const char* why = LightEyeTransformFault(d)) return Reject(err, file_name, why);
  }
  if (d.refer_width <= 0 || d.refer_height <= 0) {
    return Reject(err, file_name, "REFER_RESOLUTION is missing or not positive");
  }
  if (d.refer_width > kMaxReferSize || d.refer_height > kMaxReferSize) {
    return Reject(err, file_name, "REFER_RESOLUTION is larger than 16384");
  }
  if (d.srbf_center_count < 1 || d.srbf_centers == nullptr) return Reject(err, file_name, "no SRBF centers");
  if (d.srbf_center_count > kMaxSrbfCenters) {
    static_assert(kMaxLightmaps == 5 && kMapsPerPass == 5, "the message below spells the limits out");
    return Reject(err, file_name, "more than 25 SRBF centers (five light maps of five centers at most)");
  }
  if (!HasBasePath(d)) return Reject(err, file_name, "BASE_PATH is missing");
  if (!HasEncodedFile(d)) return Reject(err, file_name, "ENCODED_FILE is missing");
  if (const char* why = LightEyeTransformFault(d)) return Reject(err, file_name, why);
  if (d.srbf_spread == 0.0f) return Reject(err, file_name, "SRBF_SPREAD is zero");
  if (!std::isfinite(d.srbf_spread)) return Reject(err, file_name, "SRBF_SPREAD is not a finite number");
  for (int i = 0; i < d.srbf_center_count; ++i) {
    if (!std::isfinite(d.srbf_centers[i]->theta) || !std::isfinite(d.srbf_centers[i]->phi)) {
      return Reject(err, file_name, "an SRBF center angle is not a finite number");
    }
  }
  return true;
}
