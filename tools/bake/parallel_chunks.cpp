#include "tools/bake/parallel_chunks.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace veltrane {

int HardwareJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

void ParallelChunks(int count, int grain, int jobs,
                 const std::function<void(int begin, int end, int worker)>& body) {
  if (count <= 0) return;
  grain = std::max(1, grain);
  const int chunks = (count + grain - 1) / grain;
  jobs = std::max(1, std::min(jobs, chunks));
  std::atomic<int> next{0};
  auto work = [&](int worker) {
    for (;;) {
      const int chunk = next.fetch_add(1);
      if (chunk >= chunks) return;
      const int begin = chunk * grain;
      body(begin, std::min(count, begin + grain), worker);
    }
  };
  std::vector<std::thread> threads;
  for (int w = 1; w < jobs; ++w) threads.emplace_back(work, w);
  work(0);
  for (std::thread& t : threads) t.join();
}

}  // namespace veltrane
