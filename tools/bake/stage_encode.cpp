// The encode stage: the raw and DCT coefficient files, and what the DCT adds.
#include "tools/bake/bake_stages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/dct_encoder.h"
#include "common/heap.h"
#include "tools/bake/fit_errors.h"
#include "tools/bake/map_algebra.h"
#include "tools/bake/quiet_decode.h"
#include "tools/bake/run_files.h"

namespace veltrane {
namespace {

// Light maps relit from the decoded coefficients against those from the raw ones, over the
// held-out hemisphere directions and all three channels.
double DctAddedError(Bake& b, const float* decoded) {
  const size_t n = b.centres.size();
  const std::vector<float> kernels(b.heldout_kernels.begin(),
                                   b.heldout_kernels.begin() + b.heldout_directions.size() * n);
  ErrorSums all;
  for (size_t c = 0; c < 3; ++c) {
    for (const ErrorSums& s : CompareTwoCombinations(
             ConstMaps(decoded + c * n * b.texels, n, b.texels), kernels,
             ConstMaps(b.coefficients.get() + c * n * b.texels, n, b.texels), kernels, b.texels,
             b.jobs)) {
      all.Add(s);
    }
  }
  return all.Relative();
}


}  // namespace

bool Encode(Bake& b) {
  const BakeOptions& o = b.options;
  const size_t n = b.centres.size();
  const size_t values = 3 * n * b.texels;
  const std::string raw_path = b.data_dir + "/" + kEncodedFile + ".rbf";
  const std::string dct_path = raw_path + ".dct";
  const bool raw = o.format != BakeFormat::kDct, dct = o.format != BakeFormat::kRaw;
  b.figures.raw_bytes = 4 * values;
  b.progress.Begin("encode", 1 + (dct ? 2 : 0));
  // A coefficient file of a format not written now, left from an earlier bake, would be loaded
  // instead of the new one (the viewer prefers the raw file) or lie beside it: remove it.
  if (!raw) std::remove(raw_path.c_str());
  if (!dct) std::remove(dct_path.c_str());
  if (raw) {
    if (!WriteFloatsLittleEndian(raw_path, b.coefficients.get(), values)) {
      std::fprintf(stderr, "bake: cannot write %s: %s\n", raw_path.c_str(), std::strerror(errno));
      return false;
    }
    b.figures.raw_written = true;
  }
  b.progress.Advance(1);
  if (dct) {
    DctEncodeOptions encode_options;
    encode_options.bits_per_pixel = o.bits_per_pixel;
    encode_options.threads = b.jobs;
    std::vector<unsigned char> bytes;
    DctEncodeStats stats{};
    if (!EncodeDctImage(b.coefficients.get(), o.width, static_cast<int>(3 * n * o.height),
                        encode_options, &bytes, &stats)) {
      std::fprintf(stderr, "bake: the DCT encoder refused the coefficients\n");
      return false;
    }
    b.progress.Advance(1);
    if (!WriteFileOrSay(dct_path, bytes.data(), bytes.size())) return false;
    b.figures.dct_bytes = bytes.size();
    b.figures.dct_written = true;
    // Decode what was written, as the viewer will.
    HeapPtr<float> decoded;
    int width = 0, height = 0;
    std::string damage;
    if (!DecodeDctFileQuietly(dct_path, &decoded, &width, &height, &damage)) {
      if (damage.empty()) {
        std::fprintf(stderr, "bake: cannot read back %s: %s\n", dct_path.c_str(), std::strerror(errno));
      } else {
        std::fprintf(stderr, "bake: %s\n", damage.c_str());
      }
      return false;
    }
    if (width != o.width || static_cast<size_t>(height) != 3 * n * o.height) {
      std::fprintf(stderr, "bake: %s decodes to %d x %d samples, not %d x %zu\n", dct_path.c_str(), width,
                   height, o.width, 3 * n * o.height);
      return false;
    }
    b.figures.dct_added = DctAddedError(b, decoded.get());
    b.progress.Advance(1);
  }
  b.EndStage("encode");
  return true;
}


}  // namespace veltrane
