// Progress of the bake's stages: on a terminal a bar that fills while a stage runs; otherwise
// one plain line per finished stage. Advance may be called from any thread.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace veltrane {

class StageProgress {
 public:
  // out == nullptr prints nothing.
  StageProgress(FILE* out, bool bar);

  void Begin(const std::string& name, long total);
  void Advance(long amount);
  // Ends the stage: prints its line and returns its wall-clock seconds.
  double End();

 private:
  void DrawBar(long done);

  FILE* out_;
  bool bar_;
  std::string name_;
  long total_ = 0;
  long done_ = 0;
  int drawn_ = -1;
  std::mutex mutex_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace veltrane
