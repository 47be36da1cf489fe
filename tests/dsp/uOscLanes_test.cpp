// The segment kernels of every instruction set this processor runs against TOsc::Process, bit
// for bit, with phases from 0 to far beyond the lanes' range (and not finite).
#include "dsp/uOsc.h"
#include "dsp/uOscLanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;

std::vector<qvt::TInstructionSet> InstructionSets() {
  std::vector<qvt::TInstructionSet> sets{qvt::TInstructionSet::Scalar};
  if (qvt::BestInstructionSet() != qvt::TInstructionSet::Scalar)
    sets.push_back(qvt::TInstructionSet::Sse2);
  if (qvt::BestInstructionSet() == qvt::TInstructionSet::Avx2)
    sets.push_back(qvt::TInstructionSet::Avx2);
  return sets;
}

TEST(OscLanes, EveryKernelGivesTheBitsOfTOscProcess) {
  std::mt19937 random(19);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double magnitudes[] = {1.0, 8.0, 1.0e3, 3.0e5, 2.0e9, 5.0e9, 1.0e15};
  const float shapes[] = {0.0f, 0.5f, -0.7f, 1.5f};
  const float reductions[] = {0.0f, 0.4f, 1.0f};
  constexpr int kCount = 61; // a partial group at the end
  for (const qvt::TInstructionSet set : InstructionSets()) {
    const qvt::TOscKernel kernel = qvt::OscKernel(set);
    for (int wave = 0; wave < qvt::kWaveCount; ++wave)
      for (const float shape : shapes)
        for (const float reduction : reductions) {
          TOsc osc(kRate);
          osc.SetWaveForm(static_cast<std::uint8_t>(wave));
          osc.Shape = shape;
          osc.SetReduction(reduction);
          std::vector<double> phase(kCount);
          std::vector<float> offset(kCount), scale(kCount), out(kCount);
          for (int n = 0; n < kCount; ++n) {
            phase[n] = unit(random) * magnitudes[n % 7];
            offset[n] = static_cast<float>(unit(random) * 20.0);
            scale[n] = static_cast<float>(unit(random) * 1.5);
          }
          phase[5] = std::numeric_limits<double>::quiet_NaN();
          phase[9] = std::numeric_limits<double>::infinity();
          phase[12] = -0.0;
          for (int form = 0; form < 4; ++form) {
            const float* o = form & 1 ? offset.data() : nullptr;
            const float* s = form & 2 ? scale.data() : nullptr;
            kernel(osc.Voice(), {phase.data(), o, s, out.data(), kCount});
            for (int n = 0; n < kCount; ++n) {
              osc.Phase = phase[n];
              const float expected = osc.Process(o ? o[n] : 0.0f, s ? s[n] : 1.0f);
              ASSERT_EQ(std::bit_cast<std::uint32_t>(out[n]),
                        std::bit_cast<std::uint32_t>(expected))
                  << qvt::InstructionSetName(set) << " wave " << wave << " shape " << shape
                  << " reduction " << reduction << " form " << form << " sample " << n << " phase "
                  << phase[n];
            }
          }
        }
  }
}

} // namespace
