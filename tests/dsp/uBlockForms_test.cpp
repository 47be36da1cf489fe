// The block forms of the stereo modules must give, sample for sample, what
// the per-sample Process calls give: the engine renders with the block forms.
#include "dsp/uDspClasses.h"
#include "dsp/uSynthFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct TStereoSignal {
  std::vector<float> Left, Right;
};

// Noisy tone bursts with gaps: attacks, tails and near-silence for lines and filters.
TStereoSignal TestSignal(int Frames) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  TStereoSignal s{std::vector<float>(Frames), std::vector<float>(Frames)};
  for (int n = 0; n < Frames; ++n) {
    const bool gap = (n / 3000) % 3 == 2;
    const float tone = static_cast<float>(std::sin(n * 0.031) * std::exp(-(n % 3000) / 900.0));
    s.Left[n] = gap ? 0.0f : tone + 0.2f * noise(random);
    s.Right[n] = gap ? 0.0f : 0.5f * tone - 0.1f * noise(random);
  }
  return s;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Module by sample and in blocks of the cycled sizes, changed at the same frame; Spike, if
// given, alters the test signal first.
template <class TModule, class TSetup, class TChange>
void ExpectBlockFormMatches(float SampleRate, TSetup Setup, TChange Change,
                            std::vector<int> BlockSizes, void (*Spike)(TStereoSignal&) = nullptr) {
  TModule bySample(SampleRate), byBlock(SampleRate);
  Setup(bySample);
  Setup(byBlock);
  const int frames = 20000, changeAt = 9000;
  TStereoSignal expected = TestSignal(frames);
  if (Spike) Spike(expected);
  TStereoSignal actual = expected;
  for (int n = 0; n < frames; ++n) {
    if (n == changeAt) Change(bySample);
    bySample.Process(expected.Left[n], expected.Right[n]);
  }
  int n = 0;
  for (std::size_t k = 0; n < frames; ++k) {
    int count = std::min(BlockSizes[k % BlockSizes.size()], frames - n);
    if (n < changeAt && n + count > changeAt) count = changeAt - n; // change between blocks
    if (n == changeAt) Change(byBlock);
    byBlock.ProcessBlock(actual.Left.data() + n, actual.Right.data() + n, count);
    n += count;
  }
  EXPECT_TRUE(SameBits(expected.Left, actual.Left));
  EXPECT_TRUE(SameBits(expected.Right, actual.Right));
}

} // namespace

TEST(BlockForms, ReverbBlocksMatchSampleBySampleAcrossLineWrapsAndChanges) {
  auto setup = [](TReverb& r) {
    r.SetRoomSize(0.9f);
    r.SetWidth(0.3f);
    r.SetWet(0.7f);
    r.SetLowPass(0.6f);
    r.SetHighPass(0.2f);
  };
  auto change = [](TReverb& r) {
    r.SetRoomSize(0.2f);
    r.SetLowPass(0.1f);
  };
  // Blocks longer than the shortest allpass (225 samples) and odd sizes.
  ExpectBlockFormMatches<TReverb>(44100, setup, change, {1, 64, 333, 1000, 7});
  // At 8 kHz the lines are a fifth as long, so blocks span several wraps.
  ExpectBlockFormMatches<TReverb>(8000, setup, change, {512, 3, 129});
  // Switched off, and on again with the change.
  ExpectBlockFormMatches<TReverb>(
      44100, [](TReverb& r) { r.SetEnable(0.0f); }, [](TReverb& r) { r.SetEnable(1.0f); }, {64});
}

TEST(BlockForms, ChorusBlocksMatchSampleBySample) {
  auto setup = [](TChorus& c) {
    c.SetEnable(1.0f);
    c.SetRate(3.0f);
    c.SetDepth(0.8f);
    c.SetFeedback(0.6f);
    c.SetMix(0.5f);
    c.SetHighPassFreq(200.0f);
    c.SetDelayTime(5.0f);
  };
  auto change = [](TChorus& c) {
    c.SetLfoWave(1.0f);
    c.SetDelayTime(0.0002f); // delays below 1/32 sample take the extended-precision path
  };
  ExpectBlockFormMatches<TChorus>(48000, setup, change, {64, 17});
}

TEST(BlockForms, StereoDelayLinesMatchTwoSingleLines) {
  // Delays over the whole range with feedback and inversion; in the second case the
  // right line starts one sample later, so the two never share a position.
  for (const bool aligned : {true, false}) {
    TFastDelay singleL(44100), singleR(44100), pairL(44100), pairR(44100);
    for (TFastDelay* d : {&singleL, &pairL}) d->SetFeedback(0.7f);
    for (TFastDelay* d : {&singleR, &pairR}) {
      d->SetFeedback(0.5f);
      d->SetInvert(true);
      if (!aligned) d->Process(0.25f);
    }
    const int frames = 12000;
    TStereoSignal expected = TestSignal(frames), actual = TestSignal(frames);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> delayL(frames), delayR(frames);
    for (int n = 0; n < frames; ++n) {
      const float u = unit(random);
      delayL[n] = n % 500 < 20 ? u * 0.05f : 2.0f + 200.0f * u + 0.001f * n;
      delayR[n] = n % 777 == 0 ? 5000.0f : (n % 900 < 30 ? -1.0f : 1.5f + 2700.0f * u);
    }
    for (int n = 0; n < frames; ++n) {
      singleL.SetDelay(delayL[n]);
      singleR.SetDelay(delayR[n]);
      expected.Left[n] = singleL.Process(expected.Left[n]);
      expected.Right[n] = singleR.Process(expected.Right[n]);
    }
    for (int n = 0; n < frames; n += 64)
      TFastDelay::ProcessStereo(pairL, pairR, actual.Left.data() + n, actual.Right.data() + n,
                                delayL.data() + n, delayR.data() + n, std::min(64, frames - n));
    EXPECT_TRUE(SameBits(expected.Left, actual.Left)) << aligned;
    EXPECT_TRUE(SameBits(expected.Right, actual.Right)) << aligned;
  }
}

TEST(BlockForms, SynthFilterBlocksMatchForEveryPairOfKindsThroughChangesAndOverflow) {
  const float kinds[] = {0.0f, 0.01f, 0.02f, 0.03f};
  for (const float high : kinds)
    for (const float low : kinds) {
      SCOPED_TRACE("kinds " + std::to_string(high) + " / " + std::to_string(low));
      auto setup = [&](TSynthFilter& f) {
        f.SetHighPassKind(high);
        f.SetLowPassKind(low);
        f.SetLowPassCutoff(0.3f);
        f.SetHighPassCutoff(0.1f);
      };
      auto change = [&](TSynthFilter& f) { // another low-pass kind and a new cutoff
        f.SetLowPassKind(low == 0.01f ? 0.03f : 0.01f);
        f.SetHighPassCutoff(0.5f);
      };
      ExpectBlockFormMatches<TSynthFilter>(44100, setup, change, {64, 1, 500, 13});
      // Spikes overflow the filters, which are renewed while the channel keeps its input.
      ExpectBlockFormMatches<TSynthFilter>(44100, setup, change, {64}, [](TStereoSignal& s) {
        for (int n = 0; n < 20000; n += 97) s.Left[n] = n % 2 ? 3.0e38f : -3.0e38f;
        for (int n = 50; n < 20000; n += 131) s.Right[n] = n % 3 ? 3.3e38f : INFINITY;
        for (int n = 20; n < 20000; n += 577) s.Left[n] = -INFINITY;
      });
    }
}
