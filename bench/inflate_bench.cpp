// Chunk decoding against zlib's inflate on the same raw DEFLATE chunks (32768 bytes of payload
// each, as a container holds them), for text-like and binary payloads of several megabytes.
// Both sides check each chunk's CRC-32. At the end the ratio of the throughputs is printed.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "codec/container_writer.h"
#include "codec/deflate_container.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr size_t kPayloadSize = 8 << 20;

Bytes TextPayload() {
  static const char* const kWords[] = {"float4 ", "relight", "(", "coefficient", " * ", "kernel",
                                       "[i]", ");\n", "  ", "uniform ", "sampler2D ", "light_dir",
                                       ", ", "texRECT", "return ", "centre", "0.5", "}\n"};
  std::mt19937 rng(1);
  Bytes out;
  while (out.size() < kPayloadSize) {
    const std::string w = kWords[rng() % 18];
    out.insert(out.end(), w.begin(), w.end());
    if (rng() % 7 == 0) out.push_back(static_cast<unsigned char>('a' + rng() % 26));
  }
  out.resize(kPayloadSize);
  return out;
}

Bytes BinaryPayload() {  // a smooth float field with noise, like a coefficient map
  std::mt19937 rng(2);
  std::normal_distribution<float> noise(0.0f, 0.01f);
  Bytes out(kPayloadSize);
  float* f = reinterpret_cast<float*>(out.data());
  for (size_t i = 0; i < kPayloadSize / 4; ++i) {
    const float x = static_cast<float>(i % 512) / 512.0f, y = static_cast<float>(i / 512) / 512.0f;
    f[i] = std::floor((std::sin(6 * x) * std::cos(4 * y) + noise(rng)) * 256.0f) / 256.0f;
  }
  return out;
}

struct Stream {
  Bytes payload;
  Bytes container;            // the whole container, for ReadDeflateZip
  std::vector<Bytes> chunks;  // each chunk's stored data: DEFLATE and trailer
};

const Stream& GetStream(int kind) {
  static std::map<int, Stream> streams;
  auto it = streams.find(kind);
  if (it != streams.end()) return it->second;
  Stream s;
  s.payload = kind == 0 ? TextPayload() : BinaryPayload();
  veltrane::ContainerOptions options;
  options.level = 6;
  if (!veltrane::EncodeDeflateContainer(s.payload.data(), s.payload.size(), 0, options, &s.container)) std::abort();
  auto be32 = [&](size_t at) {
    return (size_t{s.container[at]} << 24) | (size_t{s.container[at + 1]} << 16) |
           (size_t{s.container[at + 2]} << 8) | s.container[at + 3];
  };
  const size_t n = be32(2);
  for (size_t i = 0; i < n; ++i) {
    const size_t offset = be32(6 + 4 * i), size = be32(6 + 4 * n + 4 * i);
    s.chunks.emplace_back(s.container.begin() + offset, s.container.begin() + offset + size);
  }
  return streams.emplace(kind, std::move(s)).first->second;
}

const char* KindName(int kind) { return kind == 0 ? "text" : "binary"; }

void BM_InflateChunk(benchmark::State& state) {
  const Stream& s = GetStream(static_cast<int>(state.range(0)));
  Bytes out(s.chunks.size() * kDeflateChunkWindow);
  for (auto _ : state) {
    size_t total = 0;
    for (const Bytes& c : s.chunks) total += InflateChunk(c.data(), c.size(), out.data() + total, out.size() - total);
    if (total != s.payload.size()) state.SkipWithError("wrong length");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.payload.size()));
  state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

void BM_ZlibInflate(benchmark::State& state) {
  const Stream& s = GetStream(static_cast<int>(state.range(0)));
  Bytes out(s.chunks.size() * kDeflateChunkWindow);
  z_stream zs{};
  inflateInit2(&zs, -15);
  for (auto _ : state) {
    size_t total = 0;
    for (const Bytes& c : s.chunks) {
      inflateReset(&zs);
      zs.next_in = const_cast<Bytef*>(c.data());
      zs.avail_in = static_cast<uInt>(c.size() - 8);
      zs.next_out = out.data() + total;
      zs.avail_out = static_cast<uInt>(kDeflateChunkWindow);
      if (inflate(&zs, Z_FINISH) != Z_STREAM_END) state.SkipWithError("zlib failed");
      const size_t n = kDeflateChunkWindow - zs.avail_out;
      const uLong crc = crc32(crc32(0, Z_NULL, 0), out.data() + total, static_cast<uInt>(n));
      if (crc != (c[c.size() - 8] | (uLong{c[c.size() - 7]} << 8) | (uLong{c[c.size() - 6]} << 16) |
                  (uLong{c[c.size() - 5]} << 24))) {
        state.SkipWithError("crc");
      }
      total += n;
    }
    if (total != s.payload.size()) state.SkipWithError("wrong length");
    benchmark::DoNotOptimize(out.data());
  }
  inflateEnd(&zs);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.payload.size()));
  state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

void BM_ReadDeflateZip(benchmark::State& state) {
  const Stream& s = GetStream(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FILE* f = fmemopen(const_cast<unsigned char*>(s.container.data()), s.container.size(), "rb");
    unsigned char* buffer = nullptr;
    int length = 0;
    ReadDeflateZip(f, &buffer, &length);
    std::fclose(f);
    if (static_cast<size_t>(length) != s.payload.size()) state.SkipWithError("wrong length");
    std::free(buffer);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.payload.size()));
  state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

BENCHMARK(BM_InflateChunk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDeflateZip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The console report, then our throughput as a share of zlib's for each payload.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto it = run.counters.find("bytes_per_second");
      if (run.error_occurred || it == run.counters.end()) continue;
      rates_[run.benchmark_name()] = it->second.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const char* arg : {"0", "1"}) {
      double a = 0, b = 0;
      for (const auto& [name, rate] : rates_) {
        if (name.rfind(std::string("BM_InflateChunk/") + arg, 0) == 0) a = rate;
        if (name.rfind(std::string("BM_ZlibInflate/") + arg, 0) == 0) b = rate;
      }
      if (a > 0 && b > 0) {
        std::printf("%-7s InflateChunk %.0f MB/s, zlib inflate %.0f MB/s, ratio %.2f\n",
                    KindName(arg[0] - '0'), a / 1e6, b / 1e6, a / b);
      }
    }
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
