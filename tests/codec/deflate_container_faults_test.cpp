// The container reader on damaged and hostile input: what it reports, what it keeps, and that
// it stays inside its buffers.
#include <cstring>

#include "codec/container_test_support.h"

namespace veltrane::test {
namespace {

const std::string kFormat = "\nveltrane: stdin: invalid compressed data--format violated\n";
const std::string kCrc = "\nveltrane: stdin: invalid compressed data--crc error\n";
const std::string kLength = "\nveltrane: stdin: invalid compressed data--length error\n";
const std::string kEnd = "\nveltrane: stdin: unexpected end of file\n";

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// A final dynamic block up to its code lengths. Its code-length code gives 0..15 four bits
// each, or leaves the code incomplete.
BitWriter DynamicHeader(const std::vector<int>& literal, const std::vector<int>& distance,
                        bool bad_length_code = false) {
  BitWriter w;
  w.Bits(1, 1).Bits(2, 2).Bits(static_cast<unsigned>(literal.size() - 257), 5);
  w.Bits(static_cast<unsigned>(distance.size() - 1), 5).Bits(15, 4);
  for (int symbol : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15}) {
    w.Bits(symbol >= 16 || (bad_length_code && symbol == 15) ? 0 : 4, 3);
  }
  for (int length : literal) w.Code(static_cast<unsigned>(length), 4);
  for (int length : distance) w.Code(static_cast<unsigned>(length), 4);
  return w;
}

// The messages for a chunk cut after such a header, with the zero trailer of a chunk that
// delivers nothing.
std::string HeaderMessages(const std::vector<int>& literal, const std::vector<int>& distance,
                           bool bad_length_code = false) {
  const Bytes data = Joined({DynamicHeader(literal, distance, bad_length_code).bytes(), Bytes(8, 0)});
  return ReadContainer(Container({data})).messages;
}

std::vector<int> Lengths(size_t count, std::initializer_list<std::pair<int, int>> set) {
  std::vector<int> lengths(count, 0);
  for (auto [symbol, length] : set) lengths[static_cast<size_t>(symbol)] = length;
  return lengths;
}

TEST(ContainerHeader, FaultsThatMakeTheContainerUnusableEndWithStatusOne) {
  const Bytes one = Container({ZlibChunk(Payload(100, 1))});
  Bytes negative = one, huge = one, tables_past_end = one, short_sizes = one;
  PutBigEndian(&negative, 2, 0xffffffffu);
  PutBigEndian(&huge, 2, 65536);
  PutBigEndian(&tables_past_end, 2, 65535);
  short_sizes.resize(6 + 4 + 2);
  const std::pair<Bytes, std::string> cases[] = {
      {{'E', 'X', 0, 0, 0, 0}, "[ReadDeflateZip]: input file is not in our zip file format\n"},
      {{'E'}, "[ReadDeflateZip]: input file is not in our zip file format\n"},
      {{'E', 'Z', 0, 0}, "[ReadDeflateZip]: cannot read chunk count\n"},
      {negative, "[ReadDeflateZip]: bad chunk count -1\n"},
      {huge, "[ReadDeflateZip]: bad chunk count 65536\n"},
      {tables_past_end, "[ReadDeflateZip]: cannot read offset table\n"},
      {short_sizes, "[ReadDeflateZip]: cannot read chunk-size table\n"},
  };
  for (const auto& [file, message] : cases) {
    const ReadOutcome r = ReadContainer(file);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.messages, message);
  }
}

TEST(ContainerLayout, PayloadLengthPositionAndAbsoluteOffsets) {
  const Bytes tail(10, 'y');
  ReadOutcome r = ReadContainer(Joined({Bytes(3, 'x'), Container({}, 3), tail}), 3);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);  // no chunks: an empty payload in a real buffer
  EXPECT_TRUE(r.payload.empty());
  EXPECT_EQ(r.position, 3 + 6);

  // Two full chunks and a short one, 5000 bytes into a file with data behind it.
  const Bytes payload = Payload(2 * 32768 + 100, 2);
  std::vector<Bytes> chunks;
  for (size_t at = 0; at < payload.size(); at += 32768) {
    chunks.push_back(ZlibChunk(Bytes(payload.begin() + at, payload.begin() + std::min(at + 32768, payload.size()))));
  }
  const Bytes absolute = Container(chunks, 5000);
  r = ReadContainer(Joined({Bytes(5000, 0), absolute, tail}), 5000);
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == payload);
  EXPECT_EQ(r.position, static_cast<long>(5000 + absolute.size()));

  // Offsets counted from the container's start point into the zeros before it.
  r = ReadContainer(Joined({Bytes(5000, 0), Container(chunks), tail}), 5000);
  EXPECT_TRUE(StartsWith(r.messages, kFormat));
  EXPECT_TRUE(r.payload.empty());

  // Chunks stored in reverse order are still joined in table order.
  Bytes reversed = Container({chunks[2], chunks[1], chunks[0]});
  for (int i = 0; i < 3; ++i) {
    const size_t at = 6 + 24 + (i < 2 ? chunks[2].size() : 0) + (i < 1 ? chunks[1].size() : 0);
    PutBigEndian(&reversed, 6 + 4 * i, static_cast<uint32_t>(at));
    PutBigEndian(&reversed, 18 + 4 * i, static_cast<uint32_t>(chunks[i].size()));
  }
  r = ReadContainer(reversed);
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == payload);
  EXPECT_EQ(r.position, static_cast<long>(30 + chunks[2].size()));
}

TEST(ContainerChunkFaults, TrailerMismatchesKeepTheBytes) {
  const Bytes payload = Payload(5000, 3);
  for (int corrupt : {0, 1, 2}) {  // CRC, length, both
    Bytes chunk = ZlibChunk(payload);
    if (corrupt != 1) chunk[chunk.size() - 8] ^= 1;
    if (corrupt != 0) chunk[chunk.size() - 4] ^= 1;
    const ReadOutcome r = ReadContainer(Container({chunk, ZlibChunk(payload)}));
    EXPECT_EQ(r.messages, (corrupt != 1 ? kCrc : "") + (corrupt != 0 ? kLength : ""));
    EXPECT_TRUE(r.payload == Joined({payload, payload}));
  }
}

TEST(ContainerChunkFaults, FailedChunkKeepsOnlyAFullWindowAndLaterChunksMoveUp) {
  const Bytes first = Payload(3000, 4), third = Payload(2000, 5);
  Bytes broken = ZlibChunk(Payload(4000, 6));
  broken[0] |= 0x06;  // block type 3
  ReadOutcome r = ReadContainer(Container({ZlibChunk(first), broken, ZlibChunk(third)}));
  EXPECT_TRUE(StartsWith(r.messages, kFormat));
  EXPECT_TRUE(r.payload == Joined({first, third}));

  for (unsigned size : {32768u, 32767u}) {  // a stored block, then a block of type 3
    const Bytes data = Payload(size, 7, false);
    Bytes stream = {0x00, static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
                    static_cast<unsigned char>(~size), static_cast<unsigned char>(~size >> 8)};
    stream = Joined({stream, data, {0x07}});
    r = ReadContainer(Container({WithTrailer(stream, data), ZlibChunk(third)}));
    EXPECT_TRUE(StartsWith(r.messages, kFormat));
    EXPECT_TRUE(r.payload == (size == 32768 ? Joined({data, third}) : third)) << size;
  }
}

TEST(ContainerChunkFaults, CodeConstruction) {
  EXPECT_EQ(HeaderMessages(Lengths(257, {{65, 2}, {256, 2}}), {1}), " incomplete literal tree\n" + kFormat);
  EXPECT_EQ(HeaderMessages(Lengths(258, {{65, 1}, {256, 2}, {257, 2}}), {2, 2}),
            " incomplete distance tree\n" + kFormat);

  // Over-full codes, an incomplete code-length code, 287 literal/length codes: no tree line.
  EXPECT_EQ(HeaderMessages(Lengths(257, {{0, 1}, {1, 1}, {256, 1}}), {1}), kFormat);
  EXPECT_TRUE(StartsWith(HeaderMessages(Lengths(257, {{0, 1}, {256, 1}}), {1}, true), kFormat));
  EXPECT_TRUE(StartsWith(HeaderMessages(Lengths(287, {{0, 1}, {256, 1}}), {1}), kFormat));
  BitWriter repeat_first;  // code-length code {0, 16}; the first length is a repeat
  repeat_first.Bits(1, 1).Bits(2, 2).Bits(0, 14).Bits(1, 3).Bits(0, 6).Bits(1, 3).Bits(1, 1);
  EXPECT_TRUE(StartsWith(ReadContainer(Container({repeat_first.bytes()})).messages, kFormat));

  // One single distance code of length 1 is complete: "A", then a 3-byte match at distance 1.
  BitWriter w = DynamicHeader(Lengths(258, {{65, 1}, {256, 2}, {257, 2}}), {1});
  w.Code(0, 1).Code(3, 2).Code(0, 1).Code(2, 2);
  const Bytes aaaa = {'A', 'A', 'A', 'A'};
  const ReadOutcome r = ReadContainer(Container({WithTrailer(w.bytes(), aaaa)}));
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == aaaa);
}

TEST(ContainerChunkFaults, TruncatedChunkReportsEndOfFileOnce) {
  const Bytes payload = Payload(3000, 8, false), later = Payload(500, 9);
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
  const Bytes payload = Payload(1000, 10);
  const Bytes good = ZlibChunk(payload);
  Bytes file = Container({good, good, good, good, good});
  PutBigEndian(&file, 6 + 20 + 0, 70000);        // stored size above inbuf
  PutBigEndian(&file, 6 + 20 + 4, 0x80000000u);  // negative stored size
  PutBigEndian(&file, 6 + 4 * 2, 0xfffffff0u);   // negative offset
  PutBigEndian(&file, 6 + 4 * 3, 1u << 30);      // offset far past the end of the file
  ReadOutcome r = ReadContainer(file);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);
  EXPECT_EQ(r.messages,
            "[ReadDeflateZip]: chunk 0: stored size 70000 out of range\n"
            "[ReadDeflateZip]: chunk 1: stored size -2147483648 out of range\n"
            "[ReadDeflateZip]: chunk 2: cannot seek to offset -16\n"
            "[ReadDeflateZip]: chunk 3: short read, 0 of " + std::to_string(good.size()) + " bytes\n" + kEnd);
  EXPECT_TRUE(r.payload == payload);

  // A chunk that inflates past its window keeps the window.
  const Bytes big = Payload(40000, 11);
  r = ReadContainer(Container({ZlibChunk(big), good}));
  EXPECT_TRUE(StartsWith(r.messages, "[InflateChunk]: chunk inflates past 32768 bytes\n"));
  EXPECT_TRUE(r.payload == Joined({Bytes(big.begin(), big.begin() + 32768), payload}));

  // With less room than a window, InflateChunk stops at the room (ASan watches the edge).
  unsigned char* dest = static_cast<unsigned char*>(std::malloc(100));
  testing::internal::CaptureStderr();
  EXPECT_EQ(InflateChunk(good.data(), good.size(), dest, 100), 0u);
  EXPECT_TRUE(StartsWith(testing::internal::GetCapturedStderr(), "[InflateChunk]: chunk inflates past 100 bytes\n"));
  std::free(dest);
}

TEST(CpFread, ReversesEachWholeItemRead) {
  unsigned char bytes[] = {0, 0, 1, 2, 0xaa, 0xbb};
  FILE* f = fmemopen(bytes, sizeof bytes, "rb");
  unsigned char out[8] = {};
  EXPECT_EQ(cp_fread(out, 4, 2, f), 1u);  // the second item is cut short
  uint32_t value;
  std::memcpy(&value, out, 4);
  EXPECT_EQ(value, 258u);
  EXPECT_EQ(out[4], 0xaa);  // read, not converted
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
