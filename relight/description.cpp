#include "relight/description.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "relight/description_parser.h"

RelightDescription::RelightDescription()
    : base_path{},
      refer_format(-1),
      refer_width(-1),
      refer_height(-1),
      encoded_file{},
      encoded_color_model(-1),
      srbf_center_count(0),
      srbf_centers(nullptr),
      srbf_center_scheme(-1),
      srbf_spread(-1.0f),
      light_eye_transform{},
      fov{-1.0f, -1.0f},
      projection_type(-1),
      cylinder{-1.0f, -1.0f, -1.0f},
      ref_file_count(0),
      ref_file_scheme(-1),
      ref_file_names(nullptr),
      ref_file_theta(nullptr),
      ref_file_phi(nullptr),
      model_file{} {
  for (auto& row : light_eye_transform) {
    for (float& value : row) value = std::nanf("");
  }
}

RelightDescription::~RelightDescription() {
  ReleaseCenters();
  ReleaseRefFiles();
}

void RelightDescription::ReleaseCenters() {
  if (srbf_centers != nullptr) {
    for (int32_t i = 0; i < srbf_center_count; ++i) std::free(srbf_centers[i]);
    std::free(srbf_centers);
  }
  srbf_centers = nullptr;
  srbf_center_count = 0;
}

void RelightDescription::ReleaseRefFiles() {
  if (ref_file_names != nullptr) {
    for (int32_t i = 0; i < ref_file_count; ++i) std::free(ref_file_names[i]);
    std::free(ref_file_names);
  }
  std::free(ref_file_theta);
  std::free(ref_file_phi);
  ref_file_names = nullptr;
  ref_file_theta = nullptr;
  ref_file_phi = nullptr;
  ref_file_count = 0;
}

int RelightDescription::Read(const char* filename) {
  if (filename == nullptr) return kReadNoFileName;
  FILE* file = std::fopen(filename, "r");
  if (file == nullptr) return kReadFailed;
  int result = DescriptionParser(*this, file).Run();
  std::fclose(file);
  return result;
}

bool HasBasePath(const RelightDescription& d) { return d.base_path[0] != '\0'; }

bool HasEncodedFile(const RelightDescription& d) { return d.encoded_file[0] != '\0'; }
bool HasModelFile(const RelightDescription& d) { return d.model_file[0] != '\0'; }

bool HasLightEyeTransform(const RelightDescription& d) {
  for (const auto& row : d.light_eye_transform) {
    for (float value : row) {
      if (!std::isnan(value)) return true;
    }
  }
  return false;
}
