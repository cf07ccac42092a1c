#include "codec/dct_file_writer.h"

#include <cstdint>
#include <cstring>

#include "codec/container_writer.h"

namespace veltrane {
namespace {

void AppendBigEndian32(std::vector<unsigned char>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(v >> shift));
}

}  // namespace

bool AssembleDctImageFileWithLines(const std::string& signature_line, const std::string& dimension_line,
                                   const int bits[64], const std::vector<float> codebooks[64],
                                   const std::vector<unsigned char>& packed, std::vector<unsigned char>* out) {
  out->clear();
  for (int k = 0; k < 64; ++k) {
    if (bits[k] < 0 || bits[k] > 31 || codebooks[k].size() != (size_t{1} << bits[k])) return false;
  }
  std::vector<unsigned char> file(signature_line.begin(), signature_line.end());
  file.insert(file.end(), dimension_line.begin(), dimension_line.end());
  for (int k = 0; k < 64; ++k) AppendBigEndian32(&file, static_cast<uint32_t>(bits[k]));
  for (int k = 0; k < 64; ++k) {
    for (float value : codebooks[k]) {
      uint32_t word;
      std::memcpy(&word, &value, 4);
      AppendBigEndian32(&file, word);
    }
  }
  if (file.size() > 0x7fffffffu) return false;
  std::vector<unsigned char> container;
  if (!EncodeDeflateContainer(packed.data(), packed.size(), static_cast<uint32_t>(file.size()), ContainerOptions(),
                              &container)) {
    return false;
  }
  file.insert(file.end(), container.begin(), container.end());
  out->swap(file);
  return true;
}

bool AssembleDctImageFile(int width, int height, const int bits[64], const std::vector<float> codebooks[64],
                          const std::vector<unsigned char>& packed, std::vector<unsigned char>* out) {
  return AssembleDctImageFileWithLines("DCT\n", std::to_string(width) + " " + std::to_string(height) + "\n", bits,
                                       codebooks, packed, out);
}

}  // namespace veltrane
