// Writing the chunked deflate container ("EZ"): the payload cut into chunks of at most
// chunk_size bytes (32768 at most), each compressed on its own as raw DEFLATE by zlib and
// followed by the gzip member trailer (CRC-32, then length, both little-endian). The header is
// big-endian: "EZ", the chunk count, the offset table, the size table; the chunks follow back
// to back. Offsets are absolute file positions, so the writer is told where in its file the
// container will start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veltrane {

struct ContainerOptions {
  size_t chunk_size = 32768;  // 1 .. 32768
  int level = 9;              // zlib level 0 .. 9
  int strategy = 0;           // zlib strategy (Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED)
};

// The container's bytes, for a container that starts at byte start_offset of its file.
// Returns false (and leaves out empty) when the options are out of range or zlib fails.
bool EncodeDeflateContainer(const unsigned char* data, size_t size, uint32_t start_offset,
                            const ContainerOptions& options, std::vector<unsigned char>* out);

}  // namespace veltrane
