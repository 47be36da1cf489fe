// Small helpers shared by the delay lines of the effects.
#pragma once

#include <bit>
#include <cstdint>

namespace qvt {

// Zero and denormal values (all-zero exponent) become +0, so that decaying
// feedback lines never fall into slow denormal arithmetic.
inline float FlushDenormal(float x) {
  return (std::bit_cast<std::uint32_t>(x) & 0x7F800000u) == 0 ? 0.0f : x;
}

} // namespace qvt
