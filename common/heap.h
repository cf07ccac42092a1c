// Owners for buffers on the C heap. The system hands buffers to callers as malloc'd memory
// that they release with free(); inside a function such a buffer is held by a HeapPtr until it
// is handed over with release(), so that an early return or an unwinding fatal handler frees it.
#pragma once

#include <cstdlib>
#include <memory>

namespace veltrane {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

template <typename T>
using HeapPtr = std::unique_ptr<T, FreeDeleter>;

// malloc of count elements of T, or nullptr when count * sizeof(T) overflows or memory is short.
template <typename T>
T* HeapAlloc(size_t count) {
  if (count != 0 && count > static_cast<size_t>(-1) / sizeof(T)) return nullptr;
  return static_cast<T*>(std::malloc(count == 0 ? 1 : count * sizeof(T)));
}

}  // namespace veltrane
