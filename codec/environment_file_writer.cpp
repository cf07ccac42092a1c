#include "codec/environment_file_writer.h"

#include <ImfRgbaFile.h>
#include <stb_image_write.h>

#include <exception>
#include <vector>

#include "codec/environment_file.h"

namespace veltrane {
namespace {

bool EndsWith(const std::string& s, const char* suffix) {
  const std::string t(suffix);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool WriteExr(const std::string& path, const EnvironmentImage& image) {
  try {
    std::vector<Imf::Rgba> pixels(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = Imf::Rgba(image.rgb[3 * i], image.rgb[3 * i + 1], image.rgb[3 * i + 2], 1.0f);
    }
    Imf::RgbaOutputFile file(path.c_str(), image.width, image.height, Imf::WRITE_RGB, 1.0f, Imath::V2f(0, 0), 1.0f,
                             Imf::INCREASING_Y, Imf::ZIP_COMPRESSION);
    file.setFrameBuffer(pixels.data(), 1, static_cast<size_t>(image.width));
    file.writePixels(image.height);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool WriteEnvironmentFile(const std::string& path, const EnvironmentImage& image) {
  if (image.width < 1 || image.height < 1) return false;
  if (EndsWith(path, ".hdr")) {
    return stbi_write_hdr(path.c_str(), image.width, image.height, 3, image.rgb.data()) != 0;
  }
  if (EndsWith(path, ".exr")) return WriteExr(path, image);
  return false;
}

}  // namespace veltrane
