// Containers written with zlib at every level and strategy decode to exactly their payload.
#include <tuple>

#include "codec/container_test_support.h"
#include "codec/container_writer.h"

namespace veltrane::test {
namespace {

enum Kind { kText, kRandom, kRuns };

Bytes MakePayload(int kind, size_t size) {
  Bytes out = Payload(size, 1, kind != kRandom);
  if (kind == kRuns) {  // long runs, and long matches 20000 bytes back
    for (size_t i = 0; i < size; ++i) {
      if ((i / 4000) % 2 == 0) out[i] = static_cast<unsigned char>(i / 4000);
      else if (i >= 20000) out[i] = out[i - 20000];
    }
  }
  return out;
}

void ExpectRoundTrip(const Bytes& payload, const ContainerOptions& options) {
  Bytes file;
  ASSERT_TRUE(EncodeDeflateContainer(payload.data(), payload.size(), 0, options, &file));
  const ReadOutcome r = ReadContainer(file);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);
  EXPECT_EQ(r.messages, "");
  EXPECT_TRUE(r.payload == payload) << r.payload.size() << " of " << payload.size();
  EXPECT_EQ(r.position, static_cast<long>(file.size()));
}

class OracleTest : public testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(OracleTest, DecodesZlibContainerExactly) {
  ContainerOptions options;
  options.level = std::get<0>(GetParam());
  options.strategy = std::get<1>(GetParam());
  ExpectRoundTrip(MakePayload(std::get<2>(GetParam()), 3 * 32768 + 100), options);
}

INSTANTIATE_TEST_SUITE_P(
    LevelsAndStrategies, OracleTest,
    testing::Combine(testing::Range(0, 10),
                     testing::Values(Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED),
                     testing::Values(kText, kRandom, kRuns)));

TEST(OracleChunking, AnyChunkSizeAndManyChunks) {
  for (size_t chunk_size : {1u, 7u, 1000u, 32767u, 32768u}) {
    ContainerOptions options;
    options.chunk_size = chunk_size;
    ExpectRoundTrip(MakePayload(kText, chunk_size == 1 ? 3000 : 200000), options);
  }
}

// A stored block fills all but three bytes of the window; a match then reaches back to the
// chunk's first byte, or one byte before it.
TEST(OracleChunking, LongestDistanceInAFullWindow) {
  const Bytes head = Payload(32765, 6, false);
  for (unsigned distance : {32765u, 32766u}) {
    Bytes data = {0x00, 0xfd, 0x7f, 0x02, 0x80};  // stored block of 32765 bytes
    data.insert(data.end(), head.begin(), head.end());
    BitWriter fixed;
    fixed.Bits(1, 1).Bits(1, 2).Code(1, 7);  // final fixed block; length 3
    fixed.Code(29, 5).Bits(distance - 24577, 13).Code(0, 7);
    data.insert(data.end(), fixed.bytes().begin(), fixed.bytes().end());

    const Bytes payload = Joined({head, Bytes(head.begin(), head.begin() + 3)});
    const ReadOutcome r = ReadContainer(Container({WithTrailer(data, payload)}));
    if (distance == 32765) {
      EXPECT_EQ(r.messages, "");
      EXPECT_TRUE(r.payload == payload);
    } else {
      EXPECT_NE(r.messages.find("invalid compressed data--format violated"), std::string::npos);
      EXPECT_TRUE(r.payload.empty());
    }
  }
}

}  // namespace
}  // namespace veltrane::test
