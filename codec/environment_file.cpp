#include "codec/environment_file.h"

#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfRgbaFile.h>
#include <ImfThreading.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "relight/environment_weights.h"

namespace veltrane {
namespace {

constexpr int kOutWidth = kWeightTableWidth;
constexpr int kOutHeight = kWeightTableHeight;

bool TooLarge(long long width, long long height, const EnvironmentFileLimits& limits) {
  return width > limits.max_side || height > limits.max_side || width * height > limits.max_pixels;
}

std::string SizeText(long long width, long long height) { return std::to_string(width) + " x " + std::to_string(height); }

// False, with the refusal in *why, for an empty image or one over the limits.
bool SizeWithinLimits(const std::string& name, long long width, long long height, const EnvironmentFileLimits& limits,
                      std::string* why) {
  if (width >= 1 && height >= 1 && !TooLarge(width, height, limits)) return true;
  *why = name + ": the image is " + SizeText(width, height) + " pixels, more than the limit of " +
         SizeText(limits.max_side, limits.max_side) + " and " + std::to_string(limits.max_pixels) + " pixels";
  return false;
}

// Rows of the source, each resampled across to kOutWidth as it arrives; then the rows down to
// kOutHeight by solid angle.
class RowCollector {
 public:
  RowCollector(int width, int height) : width_(width) {
    columns_.width = kOutWidth;
    columns_.height = height;
    columns_.rgb.assign(3 * static_cast<size_t>(kOutWidth) * height, 0.0f);
    row_.width = width;
    row_.height = 1;
    row_.rgb.resize(3 * static_cast<size_t>(width));
  }
  float* RowBuffer() { return row_.rgb.data(); }
  void AddRow(int v) {
    broken_ += ZeroBrokenPixels(row_.rgb.data(), static_cast<size_t>(width_));
    const EnvironmentImage across = ResampleEnvironment(row_, kOutWidth, 1);
    std::copy(across.rgb.begin(), across.rgb.end(), columns_.rgb.begin() + 3 * static_cast<size_t>(kOutWidth) * v);
  }
  void Finish(EnvironmentFileResult* out) {
    out->image = ResampleEnvironment(columns_, kOutWidth, kOutHeight);
    out->broken_pixels = broken_;
  }

 private:
  int width_;
  EnvironmentImage row_, columns_;
  long long broken_ = 0;
};

// --- Radiance RGBE -------------------------------------------------------------------------

std::string StbReason() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr ? reason : "no reason given";
}

// The offset of the first pixel byte: after the header's blank line and the resolution line.
// 0 when they are missing.
size_t RadiancePixelOffset(const unsigned char* data, size_t size) {
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == '\n' && data[i - 1] == '\n') {
      const void* end = std::memchr(data + i + 1, '\n', size - i - 1);
      return end == nullptr ? 0 : static_cast<const unsigned char*>(end) - data + 1;
    }
  }
  return 0;
}

bool ReadRadiance(const unsigned char* data, size_t size, const std::string& name, EnvironmentFileResult* out,
                  std::string* why, const EnvironmentFileLimits& limits) {
  if (size > static_cast<size_t>(INT32_MAX)) {
    *why = name + ": the file is too large to read";
    return false;
  }
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels) == 0) {
    *why = name + ": not a readable Radiance HDR image (" + StbReason() + ")";
    return false;
  }
  if (!SizeWithinLimits(name, width, height, limits, why)) return false;
  // stb_image reads a file that ends early as zeros when it ends at a scanline's start: every
  // scanline takes at least 4 bytes a pixel flat, or its four run-length coded components at
  // least 2 bytes per 128 pixels after a 4-byte start.
  const size_t at = RadiancePixelOffset(data, size);
  const size_t runs = (static_cast<size_t>(width) + 127) / 128;
  const size_t least_per_row = width >= 8 && width < 32768 ? std::min<size_t>(4 * static_cast<size_t>(width), 4 + 8 * runs)
                                                            : 4 * static_cast<size_t>(width);
  if (at == 0 || size - at < least_per_row * static_cast<size_t>(height)) {
    *why = name + ": the file ends before its " + SizeText(width, height) + " pixels";
    return false;
  }
  int w = 0, h = 0, n = 0;
  std::unique_ptr<float, void (*)(void*)> pixels(stbi_loadf_from_memory(data, static_cast<int>(size), &w, &h, &n, 3),
                                                 stbi_image_free);
  if (pixels == nullptr || w != width || h != height) {
    *why = name + ": cannot decode the Radiance HDR pixels (" + StbReason() + ")";
    return false;
  }
  RowCollector rows(width, height);
  for (int v = 0; v < height; ++v) {
    std::memcpy(rows.RowBuffer(), pixels.get() + 3 * static_cast<size_t>(v) * width, 12 * static_cast<size_t>(width));
    rows.AddRow(v);
  }
  rows.Finish(out);
  out->source_width = width;
  out->source_height = height;
  out->format = "Radiance HDR";
  return true;
}

// --- OpenEXR -------------------------------------------------------------------------------

class MemoryStream : public Imf::IStream {
 public:
  MemoryStream(const unsigned char* data, size_t size, const std::string& name)
      : Imf::IStream(name.c_str()), data_(data), size_(size) {}
  bool isMemoryMapped() const override { return false; }
  bool read(char c[], int n) override {
    if (n < 0 || static_cast<size_t>(n) > size_ - at_) throw std::runtime_error("the file ends early");
    std::memcpy(c, data_ + at_, static_cast<size_t>(n));
    at_ += static_cast<size_t>(n);
    return at_ < size_;
  }
  uint64_t tellg() override { return at_; }
  void seekg(uint64_t pos) override {
    if (pos > size_) throw std::runtime_error("a seek past the end of the file");
    at_ = static_cast<size_t>(pos);
  }
  void clear() override {}

 private:
  const unsigned char* data_;
  size_t size_;
  size_t at_ = 0;
};

void StartExrThreads() {
  static const bool started = [] {
    const unsigned cores = std::thread::hardware_concurrency();
    Imf::setGlobalThreadCount(static_cast<int>(std::min(8u, std::max(1u, cores))));
    return true;
  }();
  (void)started;
}

bool ReadExr(const unsigned char* data, size_t size, const std::string& name, EnvironmentFileResult* out,
             std::string* why, const EnvironmentFileLimits& limits) {
  StartExrThreads();
  try {
    // The library refuses a larger header while it reads it, before any table or pixel buffer.
    Imf::Header::setMaxImageSize(static_cast<int>(std::min<long long>(limits.max_side, INT32_MAX)),
                                 static_cast<int>(std::min<long long>(limits.max_side, INT32_MAX)));
    Imf::Header::setMaxTileSize(4096, 4096);
    MemoryStream stream(data, size, name);
    Imf::RgbaInputFile file(stream);
    const Imath::Box2i window = file.dataWindow();
    const long long width = static_cast<long long>(window.max.x) - window.min.x + 1;
    const long long height = static_cast<long long>(window.max.y) - window.min.y + 1;
    if (!SizeWithinLimits(name, width, height, limits, why)) return false;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    // A strip of rows at a time, so that a large image never lies in memory whole.
    constexpr int kStrip = 64;
    std::vector<Imf::Rgba> strip(static_cast<size_t>(w) * kStrip);
    RowCollector rows(w, h);
    for (int first = 0; first < h; first += kStrip) {
      const int count = std::min(kStrip, h - first);
      const long long y0 = static_cast<long long>(window.min.y) + first;
      // The frame buffer's base is the address that pixel (0, 0) would have.
      Imf::Rgba* base = strip.data() - window.min.x - y0 * static_cast<long long>(w);
      file.setFrameBuffer(base, 1, static_cast<size_t>(w));
      file.readPixels(static_cast<int>(y0), static_cast<int>(y0 + count - 1));
      for (int r = 0; r < count; ++r) {
        float* row = rows.RowBuffer();
        const Imf::Rgba* px = &strip[static_cast<size_t>(r) * w];
        for (int u = 0; u < w; ++u) {
          row[3 * u] = px[u].r;
          row[3 * u + 1] = px[u].g;
          row[3 * u + 2] = px[u].b;
        }
        rows.AddRow(first + r);
      }
    }
    rows.Finish(out);
    out->source_width = w;
    out->source_height = h;
    out->format = "OpenEXR";
    return true;
  } catch (const std::exception& e) {
    *why = name + ": not a readable OpenEXR image (" + e.what() + ")";
    return false;
  }
}

bool HasSuffix(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    const char c = s[s.size() - n + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

bool ReadEnvironmentBytes(const unsigned char* data, size_t size, const std::string& name, EnvironmentFileResult* out,
                          std::string* why, const EnvironmentFileLimits& limits) {
  static const unsigned char kExrMagic[4] = {0x76, 0x2f, 0x31, 0x01};
  if (size >= 4 && std::memcmp(data, kExrMagic, 4) == 0) return ReadExr(data, size, name, out, why, limits);
  if (size >= 2 && data[0] == '#' && data[1] == '?') return ReadRadiance(data, size, name, out, why, limits);
  *why = name + ": neither a Radiance HDR (.hdr) nor an OpenEXR (.exr) image";
  return false;
}

bool ReadEnvironmentFile(const std::string& path, EnvironmentFileResult* out, std::string* why,
                         const EnvironmentFileLimits& limits) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *why = path + ": cannot open the file";
    return false;
  }
  std::vector<unsigned char> bytes;
  unsigned char buffer[1 << 16];
  // A compressed image of the largest allowed size stays well below 16 bytes a pixel.
  const long long max_bytes = 16 * limits.max_pixels + (1 << 20);
  size_t got = 0;
  bool too_big = false;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (static_cast<long long>(bytes.size()) > max_bytes) {
      too_big = true;
      break;
    }
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    *why = path + ": cannot read the file";
    return false;
  }
  if (too_big) {
    *why = path + ": the file is larger than an image within the limits can be";
    return false;
  }
  return ReadEnvironmentBytes(bytes.data(), bytes.size(), path, out, why, limits);
}

bool IsEnvironmentFileName(const std::string& path) { return HasSuffix(path, ".hdr") || HasSuffix(path, ".exr"); }

}  // namespace veltrane
