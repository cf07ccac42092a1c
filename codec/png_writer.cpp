#include "codec/png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace veltrane {
namespace {

void PutBig32(std::vector<unsigned char>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(v >> shift));
}

// Length, type, data, then the CRC-32 of type and data.
void AppendChunk(std::vector<unsigned char>* out, const char type[5], const unsigned char* data,
                 size_t size) {
  PutBig32(out, static_cast<uint32_t>(size));
  const size_t type_at = out->size();
  out->insert(out->end(), type, type + 4);
  if (size > 0) out->insert(out->end(), data, data + size);
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out->data() + type_at, static_cast<uInt>(4 + size));
  PutBig32(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool EncodePng(int width, int height, const unsigned char* rgb, std::vector<unsigned char>* out) {
  out->clear();
  if (width <= 0 || height <= 0 || width > (1 << 24) || height > (1 << 24)) return false;
  const size_t row = static_cast<size_t>(width) * 3;
  std::vector<unsigned char> raw((row + 1) * height);
  for (int y = 0; y < height; ++y) {
    raw[(row + 1) * y] = 0;  // filter type None
    std::memcpy(&raw[(row + 1) * y + 1], rgb + row * y, row);
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  if (raw.size() > 0xffffffffu || packed_size > 0x7fffffffu) return false;
  std::vector<unsigned char> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
    return false;
  }

  static const unsigned char kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  out->assign(kSignature, kSignature + 8);
  std::vector<unsigned char> header;
  PutBig32(&header, static_cast<uint32_t>(width));
  PutBig32(&header, static_cast<uint32_t>(height));
  header.push_back(8);  // bit depth
  header.push_back(2);  // colour type: RGB
  header.push_back(0);  // compression: deflate
  header.push_back(0);  // filter method
  header.push_back(0);  // no interlace
  AppendChunk(out, "IHDR", header.data(), header.size());
  AppendChunk(out, "IDAT", packed.data(), packed_size);
  AppendChunk(out, "IEND", nullptr, 0);
  return true;
}

bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb) {
  std::vector<unsigned char> bytes;
  if (!EncodePng(width, height, rgb, &bytes)) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && written;
}

}  // namespace veltrane
