// Whatever values arrive, the engine keeps rendering finite, bounded audio.
#include <limits>
#include <random>

#include "tests/core/EngineFixture.h"

using namespace engine_test;

namespace {
bool AllFinite(const TStereo& out) {
  for (std::size_t i = 0; i < out.Left.size(); ++i)
    if (!std::isfinite(out.Left[i]) || !std::isfinite(out.Right[i])) return false;
  return true;
}
} // namespace

TEST_F(Engine, ExtremeParameterValuesNeverProduceNonFiniteSamples) {
  const float extremes[] = {0.0f,
                            1.0f,
                            -1.0f,
                            2.0f,
                            1e6f,
                            -1e6f,
                            1e30f,
                            -1e30f,
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min()};
  for (float extreme : extremes) {
    for (int index = 0; index < 81; ++index) {
      SCOPED_TRACE("index " + std::to_string(index) + " value " + std::to_string(extreme));
      TSynth synth(Host);
      synth.setParameter(30, 1.0f);
      synth.setParameter(37, 1.0f);
      synth.setParameter(45, 1.0f);
      synth.setParameter(index, extreme);
      SendMidi(synth, 0x90, 60, 100);
      std::vector<float> left(2048), right(2048);
      float* outputs[2] = {left.data(), right.data()};
      bool finite = true;
      for (int block = 0; block < 4 && finite; ++block) {
        synth.processReplacing(nullptr, outputs, 2048);
        for (int i = 0; i < 2048; ++i)
          finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
      }
      EXPECT_TRUE(finite);
    }
  }
}

TEST_F(Engine, RandomAutomationOfEveryParameterStaysFinite) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int block = 0; block < 400; ++block) {
    for (int index = 0; index < 81; ++index) Synth.setParameter(index, unit(random));
    if (block % 7 == 0) NoteOn(36 + block % 48, block % 300);
    if (block % 11 == 0) NoteOff(36 + (block - 7) % 48);
    const TStereo out = Render(300, 300);
    ASSERT_TRUE(AllFinite(out)) << "block " << block;
  }
}
