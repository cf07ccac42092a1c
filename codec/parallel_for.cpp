#include "codec/parallel_for.h"

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

void ParallelFor(size_t count, int threads, const std::function<void(size_t)>& task) {
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i = next++; i < count; i = next++) task(i);
  };
  const size_t helpers = std::min(count, static_cast<size_t>(ResolveThreadCount(threads))) - (count > 0 ? 1 : 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (size_t t = 0; t < helpers; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
}

}  // namespace veltrane
