// Building containers and chunks for the container reader's tests, and running the reader on
// them with its messages and exit status captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrane::test {

using Bytes = std::vector<unsigned char>;

// Raw DEFLATE of data by zlib.
Bytes ZlibDeflate(const Bytes& data, int level, int strategy);

// Stored chunk data: the DEFLATE bytes and the gzip trailer for payload.
Bytes WithTrailer(const Bytes& deflate_data, const Bytes& payload);

// Big-endian header for chunks stored back to back from byte start + 6 + 8N of the file.
Bytes Container(const std::vector<Bytes>& chunks, uint32_t start = 0);

struct ReadOutcome {
  int status;  // FatalExit status, or FatalCatcher::kNoExit
  Bytes payload;
  std::string messages;  // standard error
  long position;         // stream position afterwards
};

// Writes file to a temporary file, seeks to start and runs ReadDeflateZip.
ReadOutcome ReadContainer(const Bytes& file, long start = 0);

// DEFLATE bits, least significant first; Huffman codes go most significant bit first.
class BitWriter {
 public:
  void Bits(unsigned value, int count);
  void Code(unsigned code, int length);
  Bytes Finish();  // pads to a whole byte

 private:
  Bytes out_;
  uint64_t pending_ = 0;
  int count_ = 0;
};

Bytes PatternPayload(size_t size, unsigned seed);  // text-like bytes with repeats
Bytes RandomPayload(size_t size, unsigned seed);

}  // namespace veltrane::test
