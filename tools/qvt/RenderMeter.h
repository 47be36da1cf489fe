// Peak and RMS level of rendered samples, with a count of non-finite ones.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

namespace qvt {

class TLevelMeter {
public:
  void Add(std::span<const float> samples) {
    for (const float sample : samples) {
      if (!std::isfinite(sample)) {
        ++NonFinite_;
        continue;
      }
      const double value = sample;
      Peak_ = std::max(Peak_, std::fabs(value));
      SquareSum += value * value;
      ++Count;
    }
  }
  double Peak() const { return Peak_; }
  double Rms() const { return Count ? std::sqrt(SquareSum / static_cast<double>(Count)) : 0.0; }
  std::int64_t NonFinite() const { return NonFinite_; }

private:
  double Peak_ = 0.0;
  double SquareSum = 0.0;
  std::int64_t Count = 0;
  std::int64_t NonFinite_ = 0;
};

} // namespace qvt
