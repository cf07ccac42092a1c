// Raw DEFLATE decoding (RFC 1951): stored, fixed-code and dynamic-code blocks up to and
// including the final block, into a bounded output buffer. Reports what went wrong instead of
// printing it; the chunk decoder turns the outcome into its messages.
#pragma once

#include <cstddef>

namespace veltrane {

enum class InflateStatus {
  kDone,                    // the final block ended
  kFormatViolated,          // block type 3, bad stored length, bad code lengths or codes, ...
  kIncompleteLiteralTree,   // a dynamic block's literal/length code does not fill its space
  kIncompleteDistanceTree,  // a dynamic block's distance code does not fill its space
  kEndOfInput,              // the data ended before the final block did
  kOutputFull,              // the data decodes to more than out_limit bytes
};

struct InflateResult {
  InflateStatus status;
  size_t produced;  // bytes written to out (all of out_limit when the output ran full)
  size_t consumed;  // input bytes up to the first whole byte that decoding left unused
};

// Decodes [in, in + in_size) into [out, out + out_limit). Reads nothing outside the input
// and writes nothing outside the output. The decoding tables live in process-wide storage.
InflateResult InflateRaw(const unsigned char* in, size_t in_size, unsigned char* out,
                         size_t out_limit);

}  // namespace veltrane
