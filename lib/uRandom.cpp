#include "lib/uRandom.h"

#include <chrono>

namespace qvt {

TRandom::TRandom()
    : Engine(static_cast<std::uint64_t>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count())) {}

TRandom::TRandom(std::uint64_t seed) : Engine(seed) {}

double TRandom::Real() {
  // 53 random bits scaled by 2^−53: never reaches 1.0.
  return static_cast<double>(Engine() >> 11) * 0x1.0p-53;
}

int TRandom::Integer(int count) {
  if (count < 1) return 0;
  return std::uniform_int_distribution<int>(0, count - 1)(Engine);
}

} // namespace qvt
