// The container reader on damaged and hostile input: what it reports, what it keeps, and that
// it stays inside its buffers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "codec/container_test_support.h"
#include "codec/deflate_container.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {
namespace {

const std::string kFormat = "\nveltrane: stdin: invalid compressed data--format violated\n";
const std::string kCrc = "\nveltrane: stdin: invalid compressed data--crc error\n";
const std::string kLength = "\nveltrane: stdin: invalid compressed data--length error\n";
const std::string kEnd = "\nveltrane: stdin: unexpected end of file\n";

Bytes ZlibChunk(const Bytes& payload) { return WithTrailer(ZlibDeflate(payload, 9, 0), payload); }

void PutBigEndian(Bytes* file, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*file)[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

Bytes Joined(std::initializer_list<const Bytes*> parts) {
  Bytes out;
  for (const Bytes* p : parts) out.insert(out.end(), p->begin(), p->end());
  return out;
}

// A dynamic block header whose code-length code gives lengths 0..15 four bits each (or leaves
// the code incomplete), followed by the given literal/length and distance code lengths.
void DynamicHeader(BitWriter* w, const std::vector<int>& literal, const std::vector<int>& distance,
                   bool incomplete_length_code = false) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w->Bits(1, 1);
  w->Bits(2, 2);
  w->Bits(static_cast<unsigned>(literal.size() - 257), 5);
  w->Bits(static_cast<unsigned>(distance.size() - 1), 5);
  w->Bits(15, 4);
  for (int symbol : kOrder) w->Bits(symbol >= 16 || (incomplete_length_code && symbol == 15) ? 0 : 4, 3);
  for (int length : literal) w->Code(static_cast<unsigned>(length), 4);
  for (int length : distance) w->Code(static_cast<unsigned>(length), 4);
}

std::vector<int> Lengths(size_t count, std::initializer_list<std::pair<int, int>> set) {
  std::vector<int> lengths(count, 0);
  for (auto [symbol, length] : set) lengths[static_cast<size_t>(symbol)] = length;
  return lengths;
}

// A chunk that stops right after its block header, with a zero trailer behind it (which
// matches the nothing a failed chunk delivers).
Bytes HeaderOnlyChunk(const std::vector<int>& literal, const std::vector<int>& distance,
                      bool incomplete_length_code = false) {
  BitWriter w;
  DynamicHeader(&w, literal, distance, incomplete_length_code);
  Bytes data = w.Finish();
  data.resize(data.size() + 8, 0);
  return data;
}

TEST(ContainerHeader, FaultsThatMakeTheContainerUnusableEndWithStatusOne) {
  const Bytes one_chunk = Container({ZlibChunk(PatternPayload(100, 1))});
  Bytes negative = one_chunk, huge = one_chunk, short_offsets = one_chunk, short_sizes = one_chunk;
  PutBigEndian(&negative, 2, 0xffffffffu);
  PutBigEndian(&huge, 2, 65536);
  PutBigEndian(&short_offsets, 2, 65535);  // tables past the end of the file
  short_sizes.resize(6 + 4 + 2);
  const struct {
    Bytes file;
    std::string message;
  } cases[] = {
      {{'E', 'X', 0, 0, 0, 0}, "[ReadDeflateZip]: input file is not in our zip file format\n"},
      {{'E'}, "[ReadDeflateZip]: input file is not in our zip file format\n"},
      {{'E', 'Z', 0, 0}, "[ReadDeflateZip]: cannot read chunk count\n"},
      {negative, "[ReadDeflateZip]: bad chunk count -1\n"},
      {huge, "[ReadDeflateZip]: bad chunk count 65536\n"},
      {short_offsets, "[ReadDeflateZip]: cannot read offset table\n"},
      {short_sizes, "[ReadDeflateZip]: cannot read chunk-size table\n"},
  };
  for (const auto& c : cases) {
    const ReadOutcome r = ReadContainer(c.file);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.messages, c.message);
  }
}

TEST(ContainerLayout, PayloadLengthPositionAndAbsoluteOffsets) {
  // No chunks: an empty payload in a real buffer, the stream behind the count.
  const Bytes prefix(3, 'x'), tail(10, 'y');
  const Bytes empty = Container({}, 3);
  ReadOutcome r = ReadContainer(Joined({&prefix, &empty, &tail}), 3);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);
  EXPECT_TRUE(r.payload.empty());
  EXPECT_EQ(r.position, 3 + 6);

  // Two full chunks and a short one, 5000 bytes into a file with data behind it.
  const Bytes payload = PatternPayload(2 * 32768 + 100, 2);
  std::vector<Bytes> chunks;
  for (size_t at = 0; at < payload.size(); at += 32768) {
    chunks.push_back(ZlibChunk(Bytes(payload.begin() + at, payload.begin() + std::min(at + 32768, payload.size()))));
  }
  const Bytes lead(5000, 0);
  const Bytes absolute = Container(chunks, 5000);
  r = ReadContainer(Joined({&lead, &absolute, &tail}), 5000);
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == payload);
  EXPECT_EQ(r.position, static_cast<long>(5000 + absolute.size()));

  // Offsets counted from the container's start instead point into the leading zeros.
  const Bytes relative = Container(chunks, 0);
  r = ReadContainer(Joined({&lead, &relative, &tail}), 5000);
  EXPECT_NE(r.messages, "");
  EXPECT_TRUE(r.payload.empty());

  // Chunks stored in reverse order on disk are still joined in table order.
  Bytes reversed = Container({chunks[2], chunks[1], chunks[0]});
  const size_t data_at = 6 + 8 * 3;
  PutBigEndian(&reversed, 6 + 0, static_cast<uint32_t>(data_at + chunks[2].size() + chunks[1].size()));
  PutBigEndian(&reversed, 6 + 4, static_cast<uint32_t>(data_at + chunks[2].size()));
  PutBigEndian(&reversed, 6 + 8, static_cast<uint32_t>(data_at));
  for (int i = 0; i < 3; ++i) PutBigEndian(&reversed, 6 + 12 + 4 * i, static_cast<uint32_t>(chunks[i].size()));
  r = ReadContainer(reversed);
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == payload);
  EXPECT_EQ(r.position, static_cast<long>(data_at + chunks[2].size()));
}

TEST(ContainerChunkFaults, TrailerMismatchesKeepTheBytes) {
  const Bytes payload = PatternPayload(5000, 3);
  const Bytes good = ZlibChunk(payload);
  for (int corrupt : {0, 1, 2}) {  // CRC, length, both
    Bytes chunk = good;
    if (corrupt != 1) chunk[chunk.size() - 8] ^= 1;
    if (corrupt != 0) chunk[chunk.size() - 4] ^= 1;
    const ReadOutcome r = ReadContainer(Container({chunk, good}));
    EXPECT_EQ(r.messages, std::string(corrupt != 1 ? kCrc : "") + (corrupt != 0 ? kLength : ""));
    EXPECT_TRUE(r.payload == Joined({&payload, &payload}));
  }
}

TEST(ContainerChunkFaults, FailedChunkKeepsOnlyFullWindowsAndLaterChunksMoveUp) {
  const Bytes first = PatternPayload(3000, 4), third = PatternPayload(2000, 5);
  Bytes broken = ZlibChunk(PatternPayload(4000, 6));
  broken[0] |= 0x06;  // block type 3
  ReadOutcome r = ReadContainer(Container({ZlibChunk(first), broken, ZlibChunk(third)}));
  EXPECT_EQ(r.messages.rfind(kFormat, 0), 0u);
  EXPECT_TRUE(r.payload == Joined({&first, &third}));

  // Stored data, then a block of type 3: a full window survives, a window one short does not.
  for (size_t size : {32768u, 32767u}) {
    const Bytes data = RandomPayload(size, 7);
    Bytes stream = {0x00, static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
                    static_cast<unsigned char>(~size), static_cast<unsigned char>(~size >> 8)};
    stream.insert(stream.end(), data.begin(), data.end());
    stream.push_back(0x07);
    r = ReadContainer(Container({WithTrailer(stream, data), ZlibChunk(third)}));
    EXPECT_EQ(r.messages.rfind(kFormat, 0), 0u);
    EXPECT_TRUE(r.payload == (size == 32768 ? Joined({&data, &third}) : third)) << size;
  }
}

TEST(ContainerChunkFaults, CodeConstruction) {
  // Incomplete literal/length and distance codes are named before the format line.
  ReadOutcome r = ReadContainer(Container({HeaderOnlyChunk(Lengths(257, {{65, 2}, {256, 2}}), Lengths(1, {{0, 1}}))}));
  EXPECT_EQ(r.messages, " incomplete literal tree\n" + kFormat);
  r = ReadContainer(Container({HeaderOnlyChunk(Lengths(258, {{65, 1}, {256, 2}, {257, 2}}), Lengths(2, {{0, 2}, {1, 2}}))}));
  EXPECT_EQ(r.messages, " incomplete distance tree\n" + kFormat);

  // Over-full codes, an incomplete code-length code, too many codes, a repeat with nothing to
  // repeat: rejected without a tree line (the trailer read where decoding stopped may not match).
  r = ReadContainer(Container({HeaderOnlyChunk(Lengths(257, {{0, 1}, {1, 1}, {256, 1}}), Lengths(1, {{0, 1}}))}));
  EXPECT_EQ(r.messages, kFormat);
  r = ReadContainer(Container({HeaderOnlyChunk(Lengths(257, {{0, 1}, {256, 1}}), Lengths(1, {{0, 1}}), true)}));
  EXPECT_EQ(r.messages.rfind(kFormat, 0), 0u);
  r = ReadContainer(Container({HeaderOnlyChunk(Lengths(287, {{0, 1}, {256, 1}}), Lengths(1, {{0, 1}}))}));
  EXPECT_EQ(r.messages.rfind(kFormat, 0), 0u);
  BitWriter repeat_first;  // code-length code {0, 16}, and the first length sent is a repeat
  for (auto [value, bits] : {std::pair{1, 1}, {2, 2}, {0, 5}, {0, 5}, {0, 4}, {1, 3}, {0, 3}, {0, 3}, {1, 3}, {1, 1}}) {
    repeat_first.Bits(static_cast<unsigned>(value), bits);
  }
  r = ReadContainer(Container({repeat_first.Finish()}));
  EXPECT_EQ(r.messages.rfind(kFormat, 0), 0u);

  // A single distance code of length 1 is complete: "A" then a 3-byte match at distance 1.
  BitWriter w;
  DynamicHeader(&w, Lengths(258, {{65, 1}, {256, 2}, {257, 2}}), Lengths(1, {{0, 1}}));
  w.Code(0, 1);
  w.Code(3, 2);
  w.Code(0, 1);
  w.Code(2, 2);
  const Bytes aaaa = {'A', 'A', 'A', 'A'};
  r = ReadContainer(Container({WithTrailer(w.Finish(), aaaa)}));
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == aaaa);
}

TEST(ContainerChunkFaults, TruncatedChunkReportsEndOfFileOnce) {
  const Bytes payload = RandomPayload(3000, 8), later = PatternPayload(500, 9);
  Bytes chunk = ZlibChunk(payload);
  chunk.resize(chunk.size() / 2);
  SetDeflateProgramName("veltrane-tool");
  ReadOutcome r = ReadContainer(Container({chunk, ZlibChunk(later)}));
  SetDeflateProgramName(nullptr);
  EXPECT_EQ(r.messages, "\nveltrane-tool: stdin: unexpected end of file\n");
  EXPECT_TRUE(r.payload == later);

  chunk = ZlibChunk(payload);  // DEFLATE data whole, trailer cut: bytes kept, trailer unmatched
  chunk.resize(chunk.size() - 6);
  r = ReadContainer(Container({chunk}));
  EXPECT_EQ(r.messages, kEnd + kCrc + kLength);
  EXPECT_TRUE(r.payload == payload);
}

TEST(ContainerChunkFaults, HostileChunkFieldsStayInsideTheBuffers) {
  const Bytes payload = PatternPayload(1000, 10);
  const Bytes good = ZlibChunk(payload);
  Bytes file = Container({good, good, good, good, good});
  PutBigEndian(&file, 6 + 20 + 0, 70000);       // stored size above inbuf
  PutBigEndian(&file, 6 + 20 + 4, 0x80000000u);  // negative stored size
  PutBigEndian(&file, 6 + 4 * 2, 0xfffffff0u);   // negative offset
  PutBigEndian(&file, 6 + 4 * 3, 1u << 30);      // offset far past the end of the file
  const ReadOutcome r = ReadContainer(file);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);
  EXPECT_EQ(r.messages,
            "[ReadDeflateZip]: chunk 0: stored size 70000 out of range\n"
            "[ReadDeflateZip]: chunk 1: stored size -2147483648 out of range\n"
            "[ReadDeflateZip]: chunk 2: cannot seek to offset -16\n"
            "[ReadDeflateZip]: chunk 3: short read, 0 of " + std::to_string(good.size()) + " bytes\n" + kEnd);
  EXPECT_TRUE(r.payload == payload);
}

TEST(ContainerChunkFaults, ChunkInflatingPastItsWindowIsCutAtTheWindow) {
  const Bytes big = PatternPayload(40000, 11), later = PatternPayload(700, 12);
  ReadOutcome r = ReadContainer(Container({ZlibChunk(big), ZlibChunk(later)}));
  EXPECT_EQ(r.messages.rfind("[InflateChunk]: chunk inflates past 32768 bytes\n", 0), 0u);
  EXPECT_NE(r.messages.find(kLength), std::string::npos);
  const Bytes window(big.begin(), big.begin() + 32768);
  EXPECT_TRUE(r.payload == Joined({&window, &later}));

  // Given less room than a window, InflateChunk stops at the room (ASan checks the edge).
  const Bytes chunk = ZlibChunk(PatternPayload(1000, 13));
  unsigned char* dest = static_cast<unsigned char*>(std::malloc(100));
  testing::internal::CaptureStderr();
  EXPECT_EQ(InflateChunk(chunk.data(), chunk.size(), dest, 100), 0u);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("[InflateChunk]: chunk inflates past 100 bytes\n", 0), 0u);
  std::free(dest);
}

TEST(CpFread, ReversesEachWholeItemRead) {
  const unsigned char bytes[] = {0, 0, 1, 2, 0xaa, 0xbb};
  FILE* f = fmemopen(const_cast<unsigned char*>(bytes), sizeof bytes, "rb");
  unsigned char out[8] = {};
  EXPECT_EQ(cp_fread(out, 4, 2, f), 1u);  // the second item is cut short
  uint32_t value;
  std::memcpy(&value, out, 4);
  EXPECT_EQ(value, 258u);
  EXPECT_EQ(out[4], 0xaa);  // read but not converted
  std::rewind(f);
  EXPECT_EQ(cp_fread(out, 1, 6, f), 6u);
  EXPECT_EQ(std::memcmp(out, bytes, 6), 0);

  FatalCatcher catcher;
  testing::internal::CaptureStderr();
  EXPECT_EQ(catcher.Run([&] { cp_fread(out, 0, 1, f); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[cp_fread]: fread size < 1\n");
  std::fclose(f);
}

}  // namespace
}  // namespace veltrane::test
