// Writing a relighting description that reads back to the same record.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "relight/description.h"
#include "relight/description_values.h"

namespace {

const char* const kReferFormats[] = {"BMP", "PPM", "RGB"};
const char* const kColorModels[] = {"RGB", "YUV"};
const char* const kCenterSchemes[] = {"HAMMERSLEY", "HEMI_HAMMERSLEY", "OTHER"};
const char* const kProjections[] = {"CYL_PANORAMA", "PLANAR_PERSP"};
const char* const kRefSchemes[] = {"SPHERICAL_GRID", "HEMISPHERICAL_GRID", "ICOSAHERON",
                                   "HAMMERSLEY",     "HEMI_HAMMERSLEY",    "HEALPIX",
                                   "HEMI_HEALPIX",   "SCATTERED",          "OTHER"};

// A word of at most max_length characters without separators; Read keeps it as it is.
bool IsWritableWord(const char* text, size_t max_length) {
  size_t length = std::strlen(text);
  return length > 0 && length <= max_length && std::strpbrk(text, " \t\n\r") == nullptr;
}

// A code of a table numbered from 1, or the initial -1 when allow_unset.
bool IsCode(int32_t code, int count, bool allow_unset) {
  return (code >= 1 && code <= count) || (allow_unset && code == -1);
}

bool AllFinite(const float* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) return false;
  }
  return true;
}

bool IsWritable(const RelightDescription& d) {
  if (HasBasePath(d)) {
    size_t length = std::strlen(d.base_path);
    size_t limit = d.base_path[length - 1] == '/' ? 1023 : 1022;
    if (!IsWritableWord(d.base_path, limit)) return false;
  }
  if (HasEncodedFile(d) && !IsWritableWord(d.encoded_file, 1023)) return false;
  if (HasModelFile(d) && !IsWritableWord(d.model_file, 1023)) return false;
  if (!IsCode(d.refer_format, 3, true) || !IsCode(d.encoded_color_model, 2, true) ||
      !IsCode(d.projection_type, 2, true) || !IsCode(d.ref_file_scheme, 9, true)) {
    return false;
  }
  if (d.srbf_center_count < 0 || d.ref_file_count < 0) return false;
  if (d.srbf_center_count > 0 &&
      (d.srbf_centers == nullptr || !IsCode(d.srbf_center_scheme, 3, false))) {
    return false;
  }
  if (!std::isfinite(d.srbf_spread) || !AllFinite(d.fov, 2) || !AllFinite(d.cylinder, 3)) {
    return false;
  }
  if (HasLightEyeTransform(d) && !AllFinite(&d.light_eye_transform[0][0], 16)) return false;
  if (d.ref_file_count > 0 &&
      (d.ref_file_names == nullptr || d.ref_file_theta == nullptr || d.ref_file_phi == nullptr)) {
    return false;
  }
  for (int32_t i = 0; i < d.ref_file_count; ++i) {
    const char* name = d.ref_file_names[i];
    if (!IsWritableWord(name, 1023) || std::strcmp(name, "REFER_FILE_END") == 0) return false;
  }
  return true;
}

void WriteAngles(FILE* out, float theta, float phi) {
  std::fprintf(out, "%.9g %.9g %08X %08X\n", theta, phi, BitsOfFloat(theta), BitsOfFloat(phi));
}

void WriteRecord(FILE* out, const RelightDescription& d, const char* other_scheme_word) {
  if (HasBasePath(d)) std::fprintf(out, "BASE_PATH %s\n", d.base_path);
  if (d.refer_format != -1)
    std::fprintf(out, "REFER_FORMAT %s\n", kReferFormats[d.refer_format - 1]);
  std::fprintf(out, "REFER_RESOLUTION %d %d\n", d.refer_width, d.refer_height);
  if (HasEncodedFile(d)) std::fprintf(out, "ENCODED_FILE %s\n", d.encoded_file);
  if (HasModelFile(d)) std::fprintf(out, "MODEL_FILE %s\n", d.model_file);
  if (d.encoded_color_model != -1) {
    std::fprintf(out, "ENCODED_COLOR_MODEL %s\n", kColorModels[d.encoded_color_model - 1]);
  }
  std::fprintf(out, "SRBF_SPREAD %.9g\n", d.srbf_spread);
  if (d.srbf_center_count > 0 || d.srbf_center_scheme != -1) {
    std::fprintf(out, "SRBF_CENTER_BEGIN %d", d.srbf_center_count);
    if (d.srbf_center_scheme == kCenterSchemeOther) {
      std::fprintf(out, " %s", other_scheme_word);
    } else if (d.srbf_center_scheme != -1) {
      std::fprintf(out, " %s", kCenterSchemes[d.srbf_center_scheme - 1]);
    }
    std::fputc('\n', out);
    for (int32_t i = 0; i < d.srbf_center_count; ++i) {
      WriteAngles(out, d.srbf_centers[i]->theta, d.srbf_centers[i]->phi);
    }
    std::fputs("SRBF_CENTER_END\n", out);
  }
  if (HasLightEyeTransform(d)) {
    std::fputs("LIGHT_EYE_TRANSFORM_BEGIN\n", out);
    for (const auto& row : d.light_eye_transform) {
      std::fprintf(out, "%.9g %.9g %.9g %.9g\n", row[0], row[1], row[2], row[3]);
    }
    std::fputs("LIGHT_EYE_TRANSFORM_END\n", out);
  }
  if (d.projection_type != -1) {
    std::fprintf(out, "PROJECTION_TYPE %s\n", kProjections[d.projection_type - 1]);
  }
  std::fprintf(out, "FOV %.9g %.9g\n", d.fov[0], d.fov[1]);
  std::fprintf(out, "CYLINDER %.9g %.9g %.9g\n", d.cylinder[0], d.cylinder[1], d.cylinder[2]);
  if (d.ref_file_count > 0 || d.ref_file_scheme != -1) {
    std::fprintf(out, "REFER_FILE_BEGIN %d", d.ref_file_count);
    if (d.ref_file_scheme != -1) std::fprintf(out, " %s", kRefSchemes[d.ref_file_scheme - 1]);
    std::fputc('\n', out);
    for (int32_t i = 0; i < d.ref_file_count; ++i) {
      std::fprintf(out, "%s ", d.ref_file_names[i]);
      WriteAngles(out, d.ref_file_theta[i], d.ref_file_phi[i]);
    }
    std::fputs("REFER_FILE_END\n", out);
  }
}

}  // namespace

bool WriteRelightDescription(const char* path, const RelightDescription& d) {
  return WriteRelightDescription(path, d, kCenterSchemes[kCenterSchemeOther - 1]);
}

bool WriteRelightDescription(const char* path, const RelightDescription& d,
                             const char* other_scheme_word) {
  if (path == nullptr || !IsWritable(d) || other_scheme_word == nullptr ||
      !IsWritableWord(other_scheme_word, 63) || other_scheme_word[0] == '#') {
    return false;
  }
  for (int code = 1; code < kCenterSchemeOther; ++code) {
    if (std::strcmp(other_scheme_word, kCenterSchemes[code - 1]) == 0) return false;
  }
  FILE* out = std::fopen(path, "w");
  if (out == nullptr) return false;
  WriteRecord(out, d, other_scheme_word);
  bool ok = std::ferror(out) == 0;
  if (std::fclose(out) != 0) ok = false;
  return ok;
}
