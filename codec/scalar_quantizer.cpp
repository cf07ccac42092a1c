#include "codec/scalar_quantizer.h"

#include <algorithm>
#include <cmath>

namespace veltrane {
namespace {

constexpr int kMaxIterations = 40;

}  // namespace

SortedSample::SortedSample(std::vector<float> values) : values_(std::move(values)) {
  std::sort(values_.begin(), values_.end());
  double total = 0;
  for (float v : values_) total += v;
  mean_ = values_.empty() ? 0.0 : total / static_cast<double>(values_.size());
  sum_.assign(values_.size() + 1, 0.0);
  sum_sq_.assign(values_.size() + 1, 0.0);
  for (size_t i = 0; i < values_.size(); ++i) {
    const double d = values_[i] - mean_;
    sum_[i + 1] = sum_[i] + d;
    sum_sq_[i + 1] = sum_sq_[i] + d * d;
  }
  for (size_t i = 0; i < values_.size(); ++i) {
    if (distinct_.empty() || values_[i] != distinct_.back()) distinct_.push_back(values_[i]);
  }
}

double SortedSample::CellError(size_t lo, size_t hi, double c) const {
  const double n = static_cast<double>(hi - lo);
  const double d = c - mean_;
  const double error = (sum_sq_[hi] - sum_sq_[lo]) - 2 * d * (sum_[hi] - sum_[lo]) + n * d * d;
  return error > 0 ? error : 0.0;
}

double SortedSample::Fit(int levels, std::vector<float>* codebook) const {
  const size_t k_count = static_cast<size_t>(std::max(levels, 1));
  codebook->clear();
  if (distinct_.size() <= k_count) {
    *codebook = distinct_;
    codebook->resize(k_count, distinct_.empty() ? 0.0f : distinct_.back());
    return 0.0;
  }

  const size_t n = values_.size();
  std::vector<double> c(k_count);
  for (size_t j = 0; j < k_count; ++j) c[j] = values_[std::min(n - 1, (2 * j + 1) * n / (2 * k_count))];
  std::vector<size_t> bound(k_count + 1);
  auto assign = [&](const auto& centres) {
    bound[0] = 0;
    bound[k_count] = n;
    for (size_t j = 1; j < k_count; ++j) {
      const double mid = 0.5 * (static_cast<double>(centres[j - 1]) + static_cast<double>(centres[j]));
      bound[j] = static_cast<size_t>(std::lower_bound(values_.begin(), values_.end(), mid) - values_.begin());
    }
  };
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    assign(c);
    bool moved = false;
    for (size_t j = 0; j < k_count; ++j) {
      const size_t lo = bound[j], hi = bound[j + 1];
      if (hi <= lo) continue;  // an empty cell keeps its centre
      const double mean = mean_ + (sum_[hi] - sum_[lo]) / static_cast<double>(hi - lo);
      if (mean != c[j]) moved = true;
      c[j] = mean;
    }
    std::sort(c.begin(), c.end());
    if (!moved) break;
  }

  codebook->resize(k_count);
  for (size_t j = 0; j < k_count; ++j) (*codebook)[j] = static_cast<float>(c[j]);
  std::sort(codebook->begin(), codebook->end());
  assign(*codebook);
  double error = 0;
  for (size_t j = 0; j < k_count; ++j) error += CellError(bound[j], bound[j + 1], (*codebook)[j]);
  return error;
}

NearestEntry::NearestEntry(const std::vector<float>& codebook) {
  for (size_t j = 1; j < codebook.size(); ++j) {
    thresholds_.push_back(0.5 * (static_cast<double>(codebook[j - 1]) + static_cast<double>(codebook[j])));
  }
}

uint32_t NearestEntry::operator()(float value) const {
  return static_cast<uint32_t>(std::upper_bound(thresholds_.begin(), thresholds_.end(), static_cast<double>(value)) -
                               thresholds_.begin());
}

}  // namespace veltrane
