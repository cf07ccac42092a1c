// A small run directory for the viewer's start-up and relighting tests, made in a temporary
// directory: the seven shaders packed from data/shaders, a wood texture, a description and
// coefficient data whose values are exact in half floats.
#pragma once

#include <string>
#include <vector>

namespace veltrane::test {

struct SyntheticScene {
  int width = 6;
  int height = 4;
  std::vector<float> theta;  // centre angles, degrees
  std::vector<float> phi;
  float spread = 0.6f;
  std::string scheme = "HEMI_HAMMERSLEY";
  // Centre lines with the angles rounded to whole degrees, then their
  // exact float bit patterns as hexadecimal words.
  bool hex_words = false;
  std::string light_eye_rows = "1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n";
  int count() const { return static_cast<int>(theta.size()); }

  // Coefficient of channel c, centre i, file row r (top first), column x.
  static float Coefficient(int c, int i, int r, int x);
  // The raw coefficient file's values, in file order.
  std::vector<float> RawValues() const;
};

// Twelve centres spread over the upper hemisphere.
SyntheticScene TwelveCenterScene();

// Twelve centres at irregular angles, some below the horizon (theta up to 100 degrees), as an
// optimised fit places them: scheme OPTIMIZED, centre lines with hexadecimal words.
SyntheticScene MovedCenterScene();

class SyntheticRunDir {
 public:
  explicit SyntheticRunDir(const SyntheticScene& scene);
  ~SyntheticRunDir();  // leaves the directory and removes it

  // Writes "lightmap.qdx" (BASE_PATH data, ENCODED_FILE scene) with extra lines appended.
  void WriteDescription(const std::string& extra_lines = "") const;
  void WriteRaw(size_t byte_count) const;  // the first byte_count bytes of the raw file
  void WriteRaw() const;
  void WriteBytes(const std::string& relative_path, const std::vector<unsigned char>& bytes) const;
  void PackShaders() const;
  void WriteWood() const;  // 3 x 2 pixels: rows of 9 bytes, not a multiple of 4

  // Makes the directory the working directory (until destruction).
  void Enter();

  const std::string& path() const { return path_; }
  static const unsigned char kWood[18];

 private:
  SyntheticScene scene_;
  std::string path_;
  std::string previous_dir_;
};

}  // namespace veltrane::test
