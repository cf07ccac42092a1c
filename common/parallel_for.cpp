#include "common/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace veltrane {

int ResolveThreadCount(int threads) {
  if (threads > 0) return threads;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

void ParallelChunks(size_t count, size_t grain, int threads,
                    const std::function<void(size_t begin, size_t end, int worker)>& body) {
  if (count == 0) return;
  grain = std::max<size_t>(1, grain);
  const size_t chunks = count / grain + (count % grain != 0 ? 1 : 0);
  const int workers = static_cast<int>(std::min(chunks, static_cast<size_t>(ResolveThreadCount(threads))));
  std::atomic<size_t> next{0};
  auto work = [&](int worker) {
    for (size_t chunk = next++; chunk < chunks; chunk = next++) {
      const size_t begin = chunk * grain;
      body(begin, std::min(count, begin + grain), worker);
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<size_t>(workers - 1));
  for (int w = 1; w < workers; ++w) pool.emplace_back(work, w);
  work(0);
  for (std::thread& t : pool) t.join();
}

void ParallelFor(size_t count, int threads, const std::function<void(size_t)>& task) {
  ParallelChunks(count, 1, threads, [&](size_t begin, size_t end, int) {
    for (size_t i = begin; i < end; ++i) task(i);
  });
}

}  // namespace veltrane
