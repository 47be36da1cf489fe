// The latest value of every parameter, left by any thread for the UI thread:
// one atomic per index and a dirty mask. Storing never blocks or allocates;
// draining hands each changed index to the UI once, in index order, with the
// value stored last.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "lib/uGlobals.h"

namespace qvt {

class TParamSlots {
public:
  // Any thread. Indices outside 0…80 are ignored.
  void Store(int index, float value) {
    if (index < 0 || index >= kNumParams) return;
    FValues[static_cast<std::size_t>(index)].store(value);
    FDirty[static_cast<std::size_t>(index / 64)].fetch_or(std::uint64_t{1} << (index % 64));
  }

  // The consumer's thread. A value stored while this runs is handed over now
  // or at the next drain, never lost.
  template <class Apply> void Drain(Apply&& apply) {
    for (std::size_t word = 0; word < FDirty.size(); ++word) {
      std::uint64_t bits = FDirty[word].exchange(0);
      while (bits) {
        const int bit = __builtin_ctzll(bits);
        bits &= bits - 1;
        const int index = static_cast<int>(word) * 64 + bit;
        apply(index, FValues[static_cast<std::size_t>(index)].load());
      }
    }
  }

private:
  std::array<std::atomic<float>, kNumParams> FValues{};
  std::array<std::atomic<std::uint64_t>, (kNumParams + 63) / 64> FDirty{};
};

} // namespace qvt
