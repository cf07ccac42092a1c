// Reading the codec's files from the tools with the codec's own messages held back.
//
// The codec reports the faults of a damaged file as the viewer does: one or two lines per
// damaged chunk (hundreds for a truncated coefficient file), each naming the input "stdin",
// and some faults end the process. A tool says it once instead: which file, what is wrong, and
// what to do. DecodeQuietly runs a read with standard error captured and fatal faults turned
// into a failed result.
#pragma once

#include <functional>
#include <string>

#include "common/heap.h"

namespace veltrane {

struct DecodeFaults {
  int lines = 0;      // fault lines the codec wrote
  std::string first;  // the first of them, without its "[Function]: " or "NAME: stdin: " prefix
  bool fatal = false; // the read ended through FatalExit
};

// Runs read; true when it ran to its end without a fault line. Warnings (lines with
// "Warning") are not faults and pass through to standard error. Not for concurrent use: it
// redirects the process's standard error while read runs.
bool DecodeQuietly(const std::function<void()>& read, DecodeFaults* faults);

// "FILE is damaged (FIRST FAULT, and N more faults)": the start of a tool's one message.
std::string DescribeDamage(const std::string& path, const DecodeFaults& faults);

// Decodes the DCT coefficient file at path into *plane (width x height values) with the codec's
// messages held back. False when the file cannot be opened (errno says why, *damage is empty) or
// is damaged (*damage from DescribeDamage).
bool DecodeDctFileQuietly(const std::string& path, HeapPtr<float>* plane, int* width, int* height,
                          std::string* damage);

}  // namespace veltrane
