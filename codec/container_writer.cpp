#include "codec/container_writer.h"

#include <zlib.h>

namespace veltrane {
namespace {

void PutBigEndian32(std::vector<unsigned char>* out, size_t at, uint32_t v) {
  (*out)[at + 0] = static_cast<unsigned char>(v >> 24);
  (*out)[at + 1] = static_cast<unsigned char>(v >> 16);
  (*out)[at + 2] = static_cast<unsigned char>(v >> 8);
  (*out)[at + 3] = static_cast<unsigned char>(v);
}

void AppendLittleEndian32(std::vector<unsigned char>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// One chunk: raw DEFLATE of [data, data + size), then CRC-32 and length.
bool DeflateChunk(const unsigned char* data, size_t size, const ContainerOptions& options,
                  std::vector<unsigned char>* out) {
  z_stream zs{};
  if (deflateInit2(&zs, options.level, Z_DEFLATED, -15, 9, options.strategy) != Z_OK) return false;
  std::vector<unsigned char> buf(deflateBound(&zs, static_cast<uLong>(size)) + 16);
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(size);
  zs.next_out = buf.data();
  zs.avail_out = static_cast<uInt>(buf.size());
  int rc = deflate(&zs, Z_FINISH);
  size_t produced = buf.size() - zs.avail_out;
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) return false;
  out->insert(out->end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(produced));
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, data, static_cast<uInt>(size));
  AppendLittleEndian32(out, static_cast<uint32_t>(crc));
  AppendLittleEndian32(out, static_cast<uint32_t>(size));
  return true;
}

}  // namespace

bool EncodeDeflateContainer(const unsigned char* data, size_t size, uint32_t start_offset,
                            const ContainerOptions& options, std::vector<unsigned char>* out) {
  out->clear();
  if (options.chunk_size < 1 || options.chunk_size > 32768) return false;
  if (options.level < 0 || options.level > 9) return false;
  const size_t count = (size + options.chunk_size - 1) / options.chunk_size;
  if (count > 0x7fffffffu / 8) return false;

  const size_t header = 6 + 8 * count;
  out->assign(header, 0);
  (*out)[0] = 'E';
  (*out)[1] = 'Z';
  PutBigEndian32(out, 2, static_cast<uint32_t>(count));
  for (size_t i = 0; i < count; ++i) {
    const size_t begin = i * options.chunk_size;
    const size_t length = (size - begin < options.chunk_size) ? size - begin : options.chunk_size;
    const size_t stored_at = out->size();
    if (!DeflateChunk(data + begin, length, options, out)) {
      out->clear();
      return false;
    }
    const uint64_t offset = static_cast<uint64_t>(start_offset) + stored_at;
    const size_t stored = out->size() - stored_at;
    if (offset > 0x7fffffffu || stored > 65536) {
      out->clear();
      return false;
    }
    PutBigEndian32(out, 6 + 4 * i, static_cast<uint32_t>(offset));
    PutBigEndian32(out, 6 + 4 * count + 4 * i, static_cast<uint32_t>(stored));
  }
  return true;
}

}  // namespace veltrane
