// Closing a C stream when its owner goes out of scope. For streams that are only read, or
// whose writer checks nothing at close: a writer that must report a failed fclose closes by
// hand instead.
#pragma once

#include <cstdio>
#include <memory>

namespace veltrane {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

using FilePtr = std::unique_ptr<FILE, FileCloser>;

}  // namespace veltrane
