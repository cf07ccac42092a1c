#include "app/description_check.h"

#include <cmath>

#include "relight/description.h"

namespace {

bool LightEyeTransformComplete(const RelightDescription& d) {
  for (const auto& row : d.light_eye_transform) {
    for (float value : row) {
      if (!std::isfinite(value)) return false;
    }
  }
  return true;
}

bool FileReadable(const char* file_name) {
  FILE* f = std::fopen(file_name, "r");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

bool Reject(FILE* err, const char* file_name, const char* why) {
  std::fprintf(err, "[LoadDescription]: %s: %s\n", file_name, why);
  return false;
}

}  // namespace

bool CheckDescription(const RelightDescription& d, int read_result, const char* file_name, FILE* err) {
  if (read_result == kReadNoMemory) return Reject(err, file_name, "not enough memory to read it");
  if (read_result == kReadFailed) {
    // The file cannot be read, or its light-eye block broke off the parse.
    if (!FileReadable(file_name)) return Reject(err, file_name, "cannot open it for reading");
    return Reject(err, file_name, "the LIGHT_EYE_TRANSFORM block is missing or incomplete");
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
  if (!LightEyeTransformComplete(d)) {
    return Reject(err, file_name, "the LIGHT_EYE_TRANSFORM block is missing or incomplete");
  }
  if (d.srbf_spread == 0.0f || !std::isfinite(d.srbf_spread)) {
    return Reject(err, file_name, "SRBF_SPREAD is zero");
  }
  for (int i = 0; i < d.srbf_center_count; ++i) {
    if (!std::isfinite(d.srbf_centers[i]->theta) || !std::isfinite(d.srbf_centers[i]->phi)) {
      return Reject(err, file_name, "an SRBF center angle is not a finite number");
    }
  }
  return true;
}
