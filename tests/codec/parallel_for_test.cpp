// The thread loop shared by the encoder and the baker.
#include "common/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace veltrane {
namespace {

TEST(ParallelChunks, CoversTheRangeOnceInChunksWithWorkerNumbersInRange) {
  for (int threads : {1, 3, 0, -2}) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{100}}) {
      for (size_t grain : {size_t{0}, size_t{1}, size_t{16}, size_t{200}}) {
        std::vector<std::atomic<int>> seen(count);
        std::mutex mutex;
        std::vector<std::pair<size_t, size_t>> chunks;
        bool workers_in_range = true;
        ParallelChunks(count, grain, threads, [&](size_t begin, size_t end, int worker) {
          for (size_t i = begin; i < end; ++i) ++seen[i];
          std::lock_guard<std::mutex> lock(mutex);
          chunks.emplace_back(begin, end);
          if (worker < 0 || worker >= ResolveThreadCount(threads)) workers_in_range = false;
        });
        for (size_t i = 0; i < count; ++i) ASSERT_EQ(seen[i], 1) << i << " of " << count;
        EXPECT_TRUE(workers_in_range);
        const size_t step = grain < 1 ? 1 : grain;
        for (const auto& c : chunks) {
          EXPECT_EQ(c.first % step, 0u);
          EXPECT_EQ(c.second, std::min(count, c.first + step));
        }
      }
    }
  }
  EXPECT_EQ(ResolveThreadCount(5), 5);
  EXPECT_GE(ResolveThreadCount(0), 1);
}

TEST(ParallelFor, RunsEveryTaskOnceAndWaitsForAll) {
  std::vector<int> done(1000, 0);
  ParallelFor(done.size(), 4, [&](size_t i) { done[i] += static_cast<int>(i); });
  for (size_t i = 0; i < done.size(); ++i) ASSERT_EQ(done[i], static_cast<int>(i));
}

}  // namespace
}  // namespace veltrane
