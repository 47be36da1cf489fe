// The plug-in's one pseudo-random generator, seeded once from a high-resolution clock.
#pragma once

#include <cstdint>
#include <random>

namespace qvt {

class TRandom {
public:
  TRandom(); // seeded from the clock
  explicit TRandom(std::uint64_t seed);

  double Real();          // uniform in [0, 1)
  int Integer(int count); // uniform in 0…count − 1; 0 for count < 1

private:
  std::mt19937_64 Engine;
};

} // namespace qvt
