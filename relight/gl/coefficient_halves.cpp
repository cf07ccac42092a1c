#include "relight/gl/coefficient_halves.h"

#include <sys/mman.h>

#include <algorithm>
#include <utility>
#include <cstdio>
#include <cstring>
#include <vector>

#include "codec/dct_image.h"
#include "codec/dct_transform.h"
#include "codec/half_float.h"
#include "common/fatal.h"
#include "common/file_closer.h"
#include "common/heap.h"
#include "common/parallel_for.h"
#include "relight/gl/coefficient_maps.h"

namespace {

using veltrane::FilePtr;
using veltrane::HeapAlloc;
using veltrane::HeapPtr;

[[noreturn]] void Fail(const char* message) {
  std::fputs(message, stderr);
  veltrane::FatalExit(1);
}

// The raw file holds little-endian floats; turn them into host order.
void LittleEndianToHost(float* values, size_t count) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  unsigned char* bytes = reinterpret_cast<unsigned char*>(values);
  for (size_t i = 0; i < count; ++i, bytes += 4) {
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
  }
#else
  (void)values;
  (void)count;
#endif
}

size_t SamplesNeeded(const HalfCoefficientMaps& maps) {
  return 3 * static_cast<size_t>(maps.count() > 0 ? maps.count() : 0) * maps.MapTexels();
}

// A decoding thread's working arrays: the indices and coefficients of one row of blocks and the
// eight sample rows they make.
struct RowWork {
  HeapPtr<int32_t> index;
  HeapPtr<float> coefficients;
  HeapPtr<float> strip;
};

// Decodes block rows [first, last) of image into maps.
void DecodeBlockRows(const DctImage& image, const float scale[64], int first, int last, const RowWork& work,
                     const HalfCoefficientMaps& maps) {
  const size_t row_blocks = static_cast<size_t>(image.padwidth / 8);
  const size_t width = static_cast<size_t>(image.width);
  for (int by = first; by < last; ++by) {
    image.UnPackBit(static_cast<size_t>(by) * row_blocks, row_blocks, work.index.get());
    image.RecoverDCTCoeff(work.index.get(), row_blocks, work.coefficients.get());
    image.ReconstructBlockRow(work.coefficients.get(), scale, 0, work.strip.get());
    for (int r = 0; r < 8 && 8 * by + r < image.height; ++r) {
      const size_t y = static_cast<size_t>(8 * by + r);
      StoreCoefficientSamples(work.strip.get() + static_cast<size_t>(r) * static_cast<size_t>(image.padwidth),
                              y * width, width, maps);
    }
  }
}

}  // namespace

HalfCoefficientMaps::~HalfCoefficientMaps() { Release(); }

bool HalfCoefficientMaps::Allocate(int count, int width, int height, bool shared) {
  Release();
  count_ = count > 0 ? count : 0;
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
  bytes_ = 3 * sizeof(uint16_t) * MapTexels() * static_cast<size_t>(count_);
  if (bytes_ == 0) return true;
  void* memory = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, (shared ? MAP_SHARED : MAP_PRIVATE) | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    bytes_ = 0;
    return false;
  }
  texels_ = static_cast<uint16_t*>(memory);
  return true;
}

void HalfCoefficientMaps::Release() {
  if (texels_ != nullptr) munmap(texels_, bytes_);
  texels_ = nullptr;
  bytes_ = 0;
}

void HalfCoefficientMaps::TakeFrom(HalfCoefficientMaps* other) {
  if (other == this) return;
  Release();
  std::swap(texels_, other->texels_);
  std::swap(bytes_, other->bytes_);
  count_ = other->count_;
  width_ = other->width_;
  height_ = other->height_;
}

void StoreCoefficientSamples(const float* samples, size_t first, size_t run, const HalfCoefficientMaps& maps) {
  const size_t plane = maps.MapTexels();
  const size_t width = static_cast<size_t>(maps.width());
  const size_t total = SamplesNeeded(maps);
  const size_t count = static_cast<size_t>(maps.count());
  while (run > 0 && first < total) {
    const size_t p = first / plane;
    const size_t j = first % plane;
    const size_t y = j / width;
    const size_t x = j % width;
    const size_t n = std::min(run, width - x);  // within one row of one map
    const size_t channel = p / count;
    const size_t row = static_cast<size_t>(maps.height()) - 1 - y;  // rows bottom first
    uint16_t* out = maps.Map(static_cast<int>(p % count)) + 3 * (row * width + x) + channel;
    veltrane::FloatsToHalfBits(samples, n, out, 3);
    samples += n;
    first += n;
    run -= n;
  }
}

void DecodeRawCoefficients(const char* path, const HalfCoefficientMaps& maps) {
  FilePtr file(std::fopen(path, "rb"));
  if (!file) {
    std::fprintf(stderr, "[LoadUncompressRbfData] Cannot open %s\n", path);
    veltrane::FatalExit(1);
  }
  RefuseShortRawFile(file.get(), path, RbfChannelPlanes(maps.count(), maps.width(), maps.height()));

  constexpr size_t kBatch = size_t{1} << 18;
  HeapPtr<float> batch(HeapAlloc<float>(kBatch));
  if (!batch) Fail("[LoadUncompressRbfData]: No memory for the RBF planes\n");
  const size_t total = SamplesNeeded(maps);
  for (size_t done = 0; done < total;) {
    const size_t n = std::min(kBatch, total - done);
    if (std::fread(batch.get(), sizeof(float), n, file.get()) != n) {
      std::fprintf(stderr, "[LoadUncompressRbfData] Cannot read %s\n", path);
      veltrane::FatalExit(1);
    }
    LittleEndianToHost(batch.get(), n);
    StoreCoefficientSamples(batch.get(), done, n, maps);
    done += n;
  }
}

void DecodeDctCoefficients(const char* path, const HalfCoefficientMaps& maps, int threads) {
  FilePtr file(std::fopen(path, "rb"));
  if (!file) {
    std::printf("can't out the dct_compressed file\n");
    veltrane::FatalExit(-1);
  }
  DctImage image;
  image.Load(file.get());
  file.reset();
  if (image.totalbits % 8 != 0) std::fputs("[DctImage::UnPackBit]: Warning! total no of bits are not 8-multiple\n", stderr);
  const size_t needed = SamplesNeeded(maps);
  const size_t samples = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  RefuseFewSamples(path, samples, needed);
  if (needed == 0) return;

  // Only the block rows that hold needed samples are decoded.
  const size_t last_row = (needed - 1) / static_cast<size_t>(image.width);
  const int block_rows = static_cast<int>(last_row / 8) + 1;
  threads = std::max(1, std::min(veltrane::ResolveThreadCount(threads), block_rows));
  const size_t row_blocks = static_cast<size_t>(image.padwidth / 8);
  std::vector<RowWork> work(static_cast<size_t>(threads));
  for (RowWork& w : work) {
    w.index.reset(HeapAlloc<int32_t>(64 * row_blocks));
    if (!w.index) Fail("[DctImage::UnPackBit]: No memory for index\n");
    w.coefficients.reset(HeapAlloc<float>(64 * row_blocks));
    if (!w.coefficients) Fail("[DctImage::RecoverDCTCoeff]: No memory for dctcoeff\n");
    w.strip.reset(HeapAlloc<float>(8 * static_cast<size_t>(image.padwidth)));
    if (!w.strip) Fail("[DctImage::Decode]: No enough memory for fbuf\n");
  }
  float scale[64];
  veltrane::BuildDctScaleTable(scale);

  // Chunks of eight block rows (a row of blocks is a few hundred microseconds of work).
  veltrane::ParallelChunks(static_cast<size_t>(block_rows), 8, threads, [&](size_t begin, size_t end, int worker) {
    DecodeBlockRows(image, scale, static_cast<int>(begin), static_cast<int>(end), work[static_cast<size_t>(worker)],
                    maps);
  });
}
