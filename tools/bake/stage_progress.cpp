#include "tools/bake/stage_progress.h"

namespace veltrane {
namespace {
constexpr int kBarWidth = 30;
}

StageProgress::StageProgress(FILE* out, bool bar) : out_(out), bar_(bar) {}

void StageProgress::Begin(const std::string& name, long total) {
  std::lock_guard<std::mutex> lock(mutex_);
  name_ = name;
  total_ = total > 0 ? total : 1;
  done_ = 0;
  drawn_ = -1;
  start_ = std::chrono::steady_clock::now();
  if (bar_) DrawBar(0);
}

void StageProgress::Advance(long amount) {
  std::lock_guard<std::mutex> lock(mutex_);
  done_ += amount;
  if (bar_) DrawBar(done_);
}

void StageProgress::DrawBar(long done) {
  if (out_ == nullptr) return;
  const int percent = static_cast<int>(100 * (done < total_ ? done : total_) / total_);
  if (percent == drawn_) return;
  drawn_ = percent;
  const int filled = percent * kBarWidth / 100;
  std::fprintf(out_, "\r  %-10s [", name_.c_str());
  for (int i = 0; i < kBarWidth; ++i) std::fputc(i < filled ? '#' : '.', out_);
  std::fprintf(out_, "] %3d%%", percent);
  std::fflush(out_);
}

double StageProgress::End() {
  std::lock_guard<std::mutex> lock(mutex_);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (out_ != nullptr) {
    if (bar_) {
      drawn_ = -1;
      DrawBar(total_);
      std::fprintf(out_, " %7.2f s\n", seconds);
    } else {
      std::fprintf(out_, "bake: %s done in %.2f s\n", name_.c_str(), seconds);
    }
    std::fflush(out_);
  }
  return seconds;
}

}  // namespace veltrane
