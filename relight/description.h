// The relighting description ("lightmap.qdx"): a plain-text file of keyword lines and blocks
// that names the coefficient data, gives the reference resolution, the SRBF centres and spread
// and the light-eye transform, and records how the reference images were taken.
//
//   RelightDescription* d = new RelightDescription;
//   d->Read("lightmap.qdx");   // 1: parsed to the end of the file
//   ... copy what is needed ...
//   delete d;
#pragma once

#include <cstdint>

// One SRBF centre: polar angle from +Y and azimuth, both in degrees.
struct SrbfCenter {
  float theta;
  float phi;
};

// Codes of refer_format.
constexpr int32_t kReferFormatBmp = 1;
constexpr int32_t kReferFormatPpm = 2;
constexpr int32_t kReferFormatRgb = 3;
// Codes of encoded_color_model.
constexpr int32_t kColorModelRgb = 1;
constexpr int32_t kColorModelYuv = 2;
// Codes of srbf_center_scheme.
constexpr int32_t kCenterSchemeHammersley = 1;
constexpr int32_t kCenterSchemeHemiHammersley = 2;
constexpr int32_t kCenterSchemeOther = 3;
// Codes of projection_type.
constexpr int32_t kProjectionCylPanorama = 1;
constexpr int32_t kProjectionPlanarPersp = 2;
// ref_file_scheme: 1 SPHERICAL_GRID, 2 HEMISPHERICAL_GRID, 3 ICOSAHERON, 4 HAMMERSLEY,
// 5 HEMI_HAMMERSLEY, 6 HEALPIX, 7 HEMI_HEALPIX, 8 SCATTERED, 9 any other word.
constexpr int32_t kRefSchemeOther = 9;

// Results of RelightDescription::Read.
constexpr int kReadDone = 1;         // the end of the file was reached
constexpr int kReadFailed = -1;      // cannot open or read the file, or a bad light-eye block
constexpr int kReadNoFileName = -2;  // null file name
constexpr int kReadNoMemory = -3;    // no memory for a table

class RelightDescription {
 public:
  // The initial state: sizes and codes -1, counts 0, no tables; base_path and encoded_file
  // empty and light_eye_transform all NaN, which mark them as never set.
  RelightDescription();
  ~RelightDescription();

  RelightDescription(const RelightDescription&) = delete;
  RelightDescription& operator=(const RelightDescription&) = delete;

  // Parses the file into the record, overwriting fields as their keywords come; a second block
  // replaces the tables of the first. Returns one of the kRead* results above. Fields stored
  // before a failure stay, and tables stay owned by the record.
  int Read(const char* filename);

  // Releases the centre and reference-file tables and sets both counts to 0.
  void ReleaseCenters();
  void ReleaseRefFiles();

  char base_path[1024];  // ends in "/" once set
  int32_t refer_format;
  int32_t refer_width;
  int32_t refer_height;
  char encoded_file[1024];
  int32_t encoded_color_model;
  int32_t srbf_center_count;  // entries in srbf_centers
  SrbfCenter** srbf_centers;  // owned table of owned entries, file order
  int32_t srbf_center_scheme;
  float srbf_spread;
  float light_eye_transform[4][4];  // row by row
  float fov[2];
  int32_t projection_type;
  float cylinder[3];
  int32_t ref_file_count;  // entries in each of the three tables below
  int32_t ref_file_scheme;
  char** ref_file_names;  // owned table of owned 1024-byte buffers
  float* ref_file_theta;
  float* ref_file_phi;
  // The object that stands on the table in place of the built-in angel, an object file
  // relative to the description's directory; empty: the built-in angel. Readers from before
  // the keyword skip its line (neither word is a keyword to them).
  char model_file[1024];
};

// Whether the file gave these (see the initial state above).
bool HasBasePath(const RelightDescription& d);
bool HasEncodedFile(const RelightDescription& d);
bool HasLightEyeTransform(const RelightDescription& d);
bool HasModelFile(const RelightDescription& d);

// Writes d as a description file that Read parses back to the same values. Centre and
// reference-file angles carry their float bit patterns, so they come back exactly; the other
// reals are written with 9 significant digits, which is exact for finite floats. Texts never
// set, codes still at -1, an unset light-eye transform and empty blocks are left out.
// Returns false, and writes nothing, when d holds something the format cannot carry: a code
// outside its table, a non-finite spread, light-eye value, fov or cylinder value, a text value
// that is empty, too long or contains a blank, tab or line break, centres without a centre
// scheme, or a reference-file name that equals "REFER_FILE_END". Also false when the file
// cannot be written (a partial file may then remain). A base_path without its final "/" is
// written as it is; Read appends the "/".
bool WriteRelightDescription(const char* path, const RelightDescription& d);

// The same, with other_scheme_word written as the centre scheme when srbf_center_scheme is
// kCenterSchemeOther (instead of "OTHER"), so that a file can say how its centres were placed.
// False as above, and also when the word is not one word of at most 63 characters, begins a
// comment ("#") or is one of the named schemes (it would read back as another code).
bool WriteRelightDescription(const char* path, const RelightDescription& d,
                             const char* other_scheme_word);
