// Splitting work over threads: the range [0, count) is handed out in chunks of grain items to
// jobs threads (the calling thread is one of them) until it is used up.
#pragma once

#include <functional>

namespace veltrane {

// The number of hardware threads (at least 1).
int HardwareJobs();

// Calls body(begin, end, worker) for consecutive chunks of at most grain items; worker is the
// thread's number, 0 .. jobs - 1, so that bodies can keep per-thread scratch memory. Returns
// when every chunk is done.
void ParallelChunks(int count, int grain, int jobs,
                 const std::function<void(int begin, int end, int worker)>& body);

}  // namespace veltrane
