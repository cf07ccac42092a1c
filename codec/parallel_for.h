// Running independent tasks on a few threads.
#pragma once

#include <cstddef>
#include <functional>

namespace veltrane {

// threads, or one per core when it is 0 or less.
int ResolveThreadCount(int threads);

// Runs task(0) .. task(count - 1), each once, on up to `threads` threads (the caller's
// included), and returns when all are done.
void ParallelFor(size_t count, int threads, const std::function<void(size_t)>& task);

}  // namespace veltrane
