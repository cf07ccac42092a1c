#include "relight/description_parser.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "common/heap.h"
#include "relight/description_values.h"
#include "relight/description_words.h"

namespace {

enum Keyword {
  kBasePath,
  kReferFormat,
  kReferResolution,
  kEncodedFile,
  kEncodedColorModel,
  kSrbfCenterBegin,
  kSrbfSpread,
  kProjectionType,
  kLightEyeTransformBegin,
  kFov,
  kCylinder,
  kReferFileBegin,
  kModelFile,
  kKeywordCount
};

// In the order in which a word is tested.
const char* const kKeywords[kKeywordCount] = {"BASE_PATH",
                                              "REFER_FORMAT",
                                              "REFER_RESOLUTION",
                                              "ENCODED_FILE",
                                              "ENCODED_COLOR_MODEL",
                                              "SRBF_CENTER_BEGIN",
                                              "SRBF_SPREAD",
                                              "PROJECTION_TYPE",
                                              "LIGHT_EYE_TRANSFORM_BEGIN",
                                              "FOV",
                                              "CYLINDER",
                                              "REFER_FILE_BEGIN",
                                              "MODEL_FILE"};

const char kCenterEnd[] = "SRBF_CENTER_END";
const char kLightEyeEnd[] = "LIGHT_EYE_TRANSFORM_END";
const char kRefFileEnd[] = "REFER_FILE_END";

// First table entries allocated for a block; the tables double from there as lines arrive.
constexpr int32_t kFirstTableSize = 16;

int KeywordOf(const char* word) {
  for (int k = 0; k < kKeywordCount; ++k) {
    if (std::strcmp(word, kKeywords[k]) == 0) return k;
  }
  return -1;
}

__attribute__((format(printf, 1, 2))) void Complain(const char* format, ...) {
  std::fputs("[RelightDescription::Read]: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

// Code of word in a table of words numbered from 1; other_code for any other word.
int32_t CodeOf(const char* word, const char* const* words, int count, int32_t other_code) {
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(word, words[i]) == 0) return i + 1;
  }
  return other_code;
}

// Makes room for needed entries in *table (capacity *capacity), never beyond limit entries.
template <typename T>
bool GrowTable(T** table, int32_t needed, int32_t* capacity, int32_t limit) {
  if (needed <= *capacity) return true;
  int64_t size = std::max<int64_t>({needed, int64_t{*capacity} * 2, kFirstTableSize});
  if (size > limit) size = limit;
  if (static_cast<uint64_t>(size) > static_cast<size_t>(-1) / sizeof(T)) return false;
  void* grown = std::realloc(*table, static_cast<size_t>(size) * sizeof(T));
  if (grown == nullptr) return false;
  *table = static_cast<T*>(grown);
  *capacity = static_cast<int32_t>(size);
  return true;
}

int32_t FirstTableSize(int32_t count) { return count < kFirstTableSize ? count : kFirstTableSize; }

// The value of a hexadecimal word replaces the bit pattern of *angle; other words change nothing.
void ApplyBits(const char* word, float* angle) {
  uint32_t bits;
  if (ParseHexBits(word, &bits)) *angle = FloatFromBits(bits);
}

}  // namespace

int DescriptionParser::Run() {
  while (lines_.Next()) {
    for (int i = 0; i < lines_.word_count(); ++i) {
      const char* word = lines_.word(i);
      if (word[0] == '#') break;
      int k = KeywordOf(word);
      if (k < 0) continue;
      int result = Dispatch(k, i + 1);
      if (result != kContinue) return result;
      break;
    }
  }
  return lines_.failed() ? kReadFailed : kReadDone;
}

bool DescriptionParser::HasValues(int k, int first_value, int needed) const {
  if (lines_.word_count() - first_value >= needed) return true;
  Complain("%s needs %d value%s, line ignored", kKeywords[k], needed, needed == 1 ? "" : "s");
  return false;
}

void DescriptionParser::SetText(char* field, const char* keyword, const char* value,
                                bool append_slash) {
  size_t length = std::strlen(value);
  bool add_slash = append_slash && (length == 0 || value[length - 1] != '/');
  size_t capacity = sizeof(RelightDescription::base_path) - 1 - (add_slash ? 1 : 0);
  if (length > capacity) {
    Complain("%s value longer than %zu characters, line ignored", keyword, capacity);
    return;
  }
  std::memcpy(field, value, length);
  if (add_slash) field[length++] = '/';
  field[length] = '\0';
}

int DescriptionParser::Dispatch(int k, int first_value) {
  auto value = [&](int j) { return lines_.word(first_value + j); };
  switch (k) {
    case kBasePath:
      if (HasValues(k, first_value, 1)) SetText(d_.base_path, kKeywords[k], value(0), true);
      return kContinue;
    case kReferFormat:
      if (HasValues(k, first_value, 1)) d_.refer_format = CodeOf(value(0), kReferFormatWords, 3, -1);
      return kContinue;
    case kReferResolution:
      if (HasValues(k, first_value, 2)) {
        d_.refer_width = ParseIntValue(value(0));
        d_.refer_height = ParseIntValue(value(1));
      }
      return kContinue;
    case kEncodedFile:
      if (HasValues(k, first_value, 1)) SetText(d_.encoded_file, kKeywords[k], value(0), false);
      return kContinue;
    case kModelFile:
      if (HasValues(k, first_value, 1)) SetText(d_.model_file, kKeywords[k], value(0), false);
      return kContinue;
    case kEncodedColorModel:
      if (HasValues(k, first_value, 1)) {
        d_.encoded_color_model = CodeOf(value(0), kColorModelWords, 2, d_.encoded_color_model);
      }
      return kContinue;
    case kSrbfCenterBegin:
      return ReadCenterBlock(first_value);
    case kSrbfSpread:
      if (HasValues(k, first_value, 1)) d_.srbf_spread = ParseRealValue(value(0));
      return kContinue;
    case kProjectionType:
      if (HasValues(k, first_value, 1)) {
        d_.projection_type = CodeOf(value(0), kProjectionWords, 2, d_.projection_type);
      }
      return kContinue;
    case kLightEyeTransformBegin:
      return ReadLightEyeBlock();
    case kFov:
      if (HasValues(k, first_value, 2)) {
        for (int j = 0; j < 2; ++j) d_.fov[j] = ParseRealValue(value(j));
      }
      return kContinue;
    case kCylinder:
      if (HasValues(k, first_value, 3)) {
        for (int j = 0; j < 3; ++j) d_.cylinder[j] = ParseRealValue(value(j));
      }
      return kContinue;
    case kReferFileBegin:
      return ReadRefFileBlock(first_value);
    default:
      return kContinue;
  }
}

bool DescriptionParser::NextBlockLine() {
  while (lines_.Next()) {
    if (lines_.word_count() > 0) return true;
  }
  return false;
}

void DescriptionParser::ReadReals(const char* block, int first, float* out, int count) {
  if (lines_.word_count() < first + count) {
    Complain("short line in %s block, missing values read as 0", block);
  }
  for (int j = 0; j < count; ++j) {
    int w = first + j;
    out[j] = w < lines_.word_count() ? ParseRealValue(lines_.word(w)) : 0.0f;
  }
}

template <typename AddLine>
int DescriptionParser::ReadBlock(const char* begin_word, const char* end_word, const char* too_many,
                                 int32_t count, AddLine add) {
  int32_t read = 0;
  bool cut_short = false;
  while (read < count) {
    if (!NextBlockLine() || lines_.FirstWordIs(end_word)) {
      cut_short = true;
      break;
    }
    if (!add(read)) return kReadNoMemory;
    ++read;
  }
  if (cut_short) {
    Complain("%s block ends after %d of %d lines", begin_word, read, count);
    return kContinue;
  }
  // The end word belongs on the very next line; a blank line there is not it.
  if (!lines_.Next()) {
    Complain("%s block has no %s line", begin_word, end_word);
    return kContinue;
  }
  if (lines_.FirstWordIs(end_word)) return kContinue;
  std::fputs(too_many, stderr);
  while (lines_.Next()) {
    if (lines_.FirstWordIs(end_word)) break;
  }
  return kContinue;
}

int DescriptionParser::ReadCenterBlock(int first_value) {
  const char* begin_word = kKeywords[kSrbfCenterBegin];
  if (!HasValues(kSrbfCenterBegin, first_value, 1)) return kContinue;
  int32_t count = ParseIntValue(lines_.word(first_value));
  if (count < 0) {
    Complain("negative count %d in %s, taken as 0", count, begin_word);
    count = 0;
  }
  int32_t scheme = kCenterSchemeOther;
  if (lines_.word_count() > first_value + 1) {
    scheme = CodeOf(lines_.word(first_value + 1), kCenterSchemeWords, 2, kCenterSchemeOther);
  } else {
    Complain("%s without a scheme word", begin_word);
  }

  d_.ReleaseCenters();
  d_.srbf_center_scheme = scheme;
  int32_t capacity = FirstTableSize(count);
  d_.srbf_centers = veltrane::HeapAlloc<SrbfCenter*>(static_cast<size_t>(capacity));
  if (d_.srbf_centers == nullptr) return kReadNoMemory;

  auto add = [&](int32_t index) {
    if (!GrowTable(&d_.srbf_centers, index + 1, &capacity, count)) return false;
    SrbfCenter* center = veltrane::HeapAlloc<SrbfCenter>(1);
    if (center == nullptr) return false;
    float angles[2];
    ReadReals(begin_word, 0, angles, 2);
    if (lines_.word_count() > 2) ApplyBits(lines_.word(2), &angles[0]);
    if (lines_.word_count() > 3) ApplyBits(lines_.word(3), &angles[1]);
    center->theta = angles[0];
    center->phi = angles[1];
    d_.srbf_centers[index] = center;
    d_.srbf_center_count = index + 1;
    return true;
  };
  return ReadBlock(begin_word, kCenterEnd, "SRBF centers containts too many...\n", count, add);
}

int DescriptionParser::ReadLightEyeBlock() {
  const char* begin_word = kKeywords[kLightEyeTransformBegin];
  for (int row = 0; row < 4; ++row) {
    if (!NextBlockLine() || lines_.FirstWordIs(kLightEyeEnd)) {
      Complain("%s block ends after %d of 4 rows", begin_word, row);
      std::fputs("light eye transform fail...\n", stderr);
      return kReadFailed;
    }
    ReadReals(begin_word, 0, d_.light_eye_transform[row], 4);
  }
  if (!lines_.Next() || !lines_.FirstWordIs(kLightEyeEnd)) {
    std::fputs("light eye transform fail...\n", stderr);
    return kReadFailed;
  }
  return kContinue;
}

int DescriptionParser::ReadRefFileBlock(int first_value) {
  const char* begin_word = kKeywords[kReferFileBegin];
  if (!HasValues(kReferFileBegin, first_value, 1)) return kContinue;
  int32_t count = ParseIntValue(lines_.word(first_value));
  if (count < 0) {
    Complain("negative count %d in %s, taken as 0", count, begin_word);
    count = 0;
  }
  if (lines_.word_count() > first_value + 1) {
    d_.ref_file_scheme = CodeOf(lines_.word(first_value + 1), kRefSchemeWords, 8, kRefSchemeOther);
  }

  d_.ReleaseRefFiles();
  int32_t name_capacity = FirstTableSize(count);
  int32_t theta_capacity = name_capacity;
  int32_t phi_capacity = name_capacity;
  auto no_memory = [] {
    std::fputs("not enough memory\n", stdout);
    return kReadNoMemory;
  };
  d_.ref_file_names = veltrane::HeapAlloc<char*>(static_cast<size_t>(name_capacity));
  if (d_.ref_file_names == nullptr) return no_memory();
  d_.ref_file_theta = veltrane::HeapAlloc<float>(static_cast<size_t>(theta_capacity));
  if (d_.ref_file_theta == nullptr) return no_memory();
  d_.ref_file_phi = veltrane::HeapAlloc<float>(static_cast<size_t>(phi_capacity));
  if (d_.ref_file_phi == nullptr) return no_memory();

  auto add = [&](int32_t index) {
    if (!GrowTable(&d_.ref_file_names, index + 1, &name_capacity, count) ||
        !GrowTable(&d_.ref_file_theta, index + 1, &theta_capacity, count) ||
        !GrowTable(&d_.ref_file_phi, index + 1, &phi_capacity, count)) {
      return false;
    }
    char* name = veltrane::HeapAlloc<char>(1024);
    if (name == nullptr) return false;
    name[0] = '\0';
    const char* word = lines_.word(0);
    if (std::strlen(word) < 1024) {
      std::strcpy(name, word);
    } else {
      Complain("reference file name longer than 1023 characters, stored empty");
    }
    float angles[2];
    ReadReals(begin_word, 1, angles, 2);
    if (lines_.word_count() > 3) ApplyBits(lines_.word(3), &angles[0]);
    if (lines_.word_count() > 4) ApplyBits(lines_.word(4), &angles[1]);
    d_.ref_file_names[index] = name;
    d_.ref_file_theta[index] = angles[0];
    d_.ref_file_phi[index] = angles[1];
    d_.ref_file_count = index + 1;
    return true;
  };
  int result = ReadBlock(begin_word, kRefFileEnd, "ref_file information containts too many...\n",
                         count, add);
  return result == kReadNoMemory ? no_memory() : result;
}
