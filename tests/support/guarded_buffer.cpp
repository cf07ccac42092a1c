#include "support/guarded_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace veltrane::test {

GuardedBuffer::GuardedBuffer(size_t size) : size_(size) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t body = (size + page - 1) / page * page;
  map_size_ = body + page;
  map_ = mmap(nullptr, map_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map_ == MAP_FAILED || mprotect(static_cast<unsigned char*>(map_) + body, page, PROT_NONE) != 0) std::abort();
  data_ = static_cast<unsigned char*>(map_) + body - size;
}

GuardedBuffer::~GuardedBuffer() { munmap(map_, map_size_); }

}  // namespace veltrane::test
