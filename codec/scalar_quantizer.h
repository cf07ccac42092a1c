// Scalar quantisers fitted to a sample of values: Lloyd-Max (1-D k-means) codebooks and the
// nearest-entry lookup that goes with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veltrane {

// A sample of values, sorted, with running sums so that one k-means step costs
// O(levels * log(size)) instead of O(size).
class SortedSample {
 public:
  explicit SortedSample(std::vector<float> values);

  size_t size() const { return values_.size(); }

  // Fits a codebook of `levels` entries (ascending) by k-means started from the sample's
  // quantiles; with no more distinct values than levels the codebook holds them all, padded
  // with the largest. Returns the sum of squared errors of the sample against the codebook.
  double Fit(int levels, std::vector<float>* codebook) const;

 private:
  // Sum of squared errors of values [lo, hi) against c.
  double CellError(size_t lo, size_t hi, double c) const;

  std::vector<float> values_;
  std::vector<float> distinct_;
  double mean_ = 0;
  std::vector<double> sum_;     // sum_[i]: sum of (values_[j] - mean_) for j < i
  std::vector<double> sum_sq_;  // the same for the squares
};

// Nearest codebook entry for a value, for an ascending codebook.
class NearestEntry {
 public:
  explicit NearestEntry(const std::vector<float>& codebook);
  uint32_t operator()(float value) const;

 private:
  std::vector<double> thresholds_;  // midpoints between neighbouring entries
};

}  // namespace veltrane
