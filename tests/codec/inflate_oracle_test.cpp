// Containers written with zlib at every level and strategy decode to exactly their payload.
#include <gtest/gtest.h>
#include <zlib.h>

#include <tuple>

#include "codec/container_test_support.h"
#include "codec/container_writer.h"
#include "support/fatal_catcher.h"

namespace veltrane::test {
namespace {

enum class Kind { kText, kRandom, kRuns, kMixed };

Bytes MakePayload(Kind kind, size_t size) {
  switch (kind) {
    case Kind::kText:
      return PatternPayload(size, 1);
    case Kind::kRandom:
      return RandomPayload(size, 2);
    case Kind::kRuns: {  // long matches at distance 1 and at long distances
      Bytes out = RandomPayload(size, 3);
      for (size_t i = 0; i < size; ++i) {
        if ((i / 4000) % 2 == 0) out[i] = static_cast<unsigned char>(i / 4000);
        else if (i >= 20000) out[i] = out[i - 20000];
      }
      return out;
    }
    case Kind::kMixed: {
      Bytes out = PatternPayload(size, 4);
      Bytes noise = RandomPayload(size / 3, 5);
      std::copy(noise.begin(), noise.end(), out.begin() + size / 3);
      return out;
    }
  }
  return {};
}

class OracleTest : public testing::TestWithParam<std::tuple<int, int, Kind>> {};

TEST_P(OracleTest, DecodesZlibContainerExactly) {
  const auto [level, strategy, kind] = GetParam();
  const Bytes payload = MakePayload(kind, 3 * 32768 + 100);
  ContainerOptions options;
  options.level = level;
  options.strategy = strategy;
  Bytes file;
  ASSERT_TRUE(EncodeDeflateContainer(payload.data(), payload.size(), 0, options, &file));

  const ReadOutcome r = ReadContainer(file);
  EXPECT_EQ(r.status, FatalCatcher::kNoExit);
  EXPECT_EQ(r.messages, "");
  ASSERT_EQ(r.payload.size(), payload.size());
  EXPECT_TRUE(r.payload == payload);
  EXPECT_EQ(r.position, static_cast<long>(file.size()));
}

INSTANTIATE_TEST_SUITE_P(
    LevelsAndStrategies, OracleTest,
    testing::Combine(testing::Range(0, 10),
                     testing::Values(Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED),
                     testing::Values(Kind::kText, Kind::kRandom, Kind::kRuns, Kind::kMixed)));

TEST(OracleChunking, AnyChunkSizeAndManyChunks) {
  const Bytes payload = MakePayload(Kind::kMixed, 200000);
  for (size_t chunk_size : {1u, 7u, 1000u, 32767u, 32768u}) {
    ContainerOptions options;
    options.chunk_size = chunk_size;
    const Bytes part(payload.begin(), payload.begin() + (chunk_size == 1 ? 3000 : payload.size()));
    Bytes file;
    ASSERT_TRUE(EncodeDeflateContainer(part.data(), part.size(), 0, options, &file));
    const ReadOutcome r = ReadContainer(file);
    EXPECT_EQ(r.messages, "") << chunk_size;
    EXPECT_TRUE(r.payload == part) << chunk_size;
  }
}

// A stored block filling most of the window, then a match reaching back almost all of it.
TEST(OracleChunking, LongestDistanceInAFullWindow) {
  const Bytes head = RandomPayload(32765, 6);
  for (unsigned distance : {32765u, 32766u}) {
    BitWriter w;
    w.Bits(0, 1);
    w.Bits(0, 2);
    Bytes data = w.Finish();
    for (unsigned v : {32765u, ~32765u & 0xffffu}) {
      data.push_back(static_cast<unsigned char>(v));
      data.push_back(static_cast<unsigned char>(v >> 8));
    }
    data.insert(data.end(), head.begin(), head.end());
    BitWriter fixed;
    fixed.Bits(1, 1);
    fixed.Bits(1, 2);
    fixed.Code(1, 7);   // length 3: symbol 257
    fixed.Code(29, 5);  // distance code 29: base 24577, 13 extra bits
    fixed.Bits(distance - 24577, 13);
    fixed.Code(0, 7);  // end of block
    const Bytes tail = fixed.Finish();
    data.insert(data.end(), tail.begin(), tail.end());

    Bytes payload = head;
    payload.insert(payload.end(), head.begin(), head.begin() + 3);
    const ReadOutcome r = ReadContainer(Container({WithTrailer(data, payload)}));
    if (distance == 32765) {
      EXPECT_EQ(r.messages, "");
      EXPECT_TRUE(r.payload == payload);
    } else {  // one byte further back than the chunk's start
      EXPECT_NE(r.messages.find("invalid compressed data--format violated"), std::string::npos);
      EXPECT_TRUE(r.payload.empty());
    }
  }
}

}  // namespace
}  // namespace veltrane::test
