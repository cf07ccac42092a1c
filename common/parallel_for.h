// Running independent pieces of work on a few threads; the calling thread is one of them.
#pragma once

#include <cstddef>
#include <functional>

namespace veltrane {

// threads, or one per hardware thread (at least 1) when it is 0 or less.
int ResolveThreadCount(int threads);

// Hands [0, count) out in consecutive chunks of at most grain items (at least 1) to up to
// ResolveThreadCount(threads) threads until it is used up, calling body(begin, end, worker)
// for each chunk. worker is the thread's number, below ResolveThreadCount(threads), so that
// bodies can keep per-thread scratch memory. Returns when every chunk is done.
void ParallelChunks(size_t count, size_t grain, int threads,
                    const std::function<void(size_t begin, size_t end, int worker)>& body);

// task(0) .. task(count - 1), each once, in chunks of one item.
void ParallelFor(size_t count, int threads, const std::function<void(size_t)>& task);

}  // namespace veltrane
