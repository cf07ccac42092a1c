// A buffer whose last byte lies directly in front of an inaccessible page, so that a read or
// a write even one byte past its end faults in every build, not only under AddressSanitizer.
#pragma once

#include <cstddef>

namespace veltrane::test {

class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t size);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  unsigned char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void* map_ = nullptr;
  size_t map_size_ = 0;
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace veltrane::test
