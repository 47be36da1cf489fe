#include "dsp/uSynthFilter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

namespace {

template <class T> bool Is(const TFilter& f) { return dynamic_cast<const T*>(&f) != nullptr; }

struct TLastValues {
  float LowKind = 0, HighKind = 0, LowCutoff = 0, HighCutoff = 0;
};

// Hammers every setter with random kinds and cutoffs.
TLastValues Automate(TSynthFilter& f, unsigned seed, int changes) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> kind(0, 4);
  std::uniform_real_distribution<float> cutoff(0.0f, 1.0f);
  TLastValues last;
  for (int i = 0; i < changes; ++i) {
    switch (i % 4) {
    case 0: f.SetLowPassKind(last.LowKind = 0.01f * kind(rng)); break;
    case 1: f.SetHighPassKind(last.HighKind = 0.01f * kind(rng)); break;
    case 2: f.SetLowPassCutoff(last.LowCutoff = cutoff(rng)); break;
    default: f.SetHighPassCutoff(last.HighCutoff = cutoff(rng)); break;
    }
    if (i % 64 == 0) std::this_thread::yield();
  }
  return last;
}

} // namespace

TEST(SynthFilterThreads,
     RenderStaysFiniteWhileTwoThreadsSwitchKindsAndCutoffsAndTheLastValuesApply) {
  TSynthFilter f(44100.0f);
  std::atomic<bool> done{false};
  std::atomic<long> frames{0};
  std::atomic<bool> allFinite{true};

  std::thread render([&] {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    long n = 0;
    while (!done.load(std::memory_order_acquire) || n < 1000) {
      float l = noise(rng), r = noise(rng);
      f.Process(l, r);
      if (!std::isfinite(l) || !std::isfinite(r)) allFinite = false;
      ++n;
    }
    frames = n;
  });
  std::thread editor([&] { Automate(f, 21, 20000); });
  Automate(f, 22, 20000);
  editor.join();
  const TLastValues last = Automate(f, 5, 20000); // the only setter now: its values are the last
  done.store(true, std::memory_order_release);
  render.join();

  EXPECT_TRUE(allFinite);
  EXPECT_GE(frames.load(), 1000);

  // Once the render thread has gone, the last values are what the next frame
  // uses.
  float l = 0.0f, r = 0.0f;
  f.Process(l, r);
  const int lowKind = qvt::FilterKindIndex(last.LowKind);
  const int highKind = qvt::FilterKindIndex(last.HighKind);
  const bool lowMatches[] = {!Is<TBaseFilter>(f.LowPass(0)), Is<TBiquadLP>(f.LowPass(0)),
                             Is<TButterworthLP>(f.LowPass(0)), Is<TChebyshev1LP>(f.LowPass(0))};
  const bool highMatches[] = {!Is<TBaseFilter>(f.HighPass(1)), Is<TBiquadHP>(f.HighPass(1)),
                              Is<TButterworthHP>(f.HighPass(1)), Is<TChebyshev1HP>(f.HighPass(1))};
  EXPECT_TRUE(lowMatches[lowKind]) << "low-pass kind " << lowKind;
  EXPECT_TRUE(highMatches[highKind]) << "high-pass kind " << highKind;
  if (lowKind != 0) {
    EXPECT_EQ(f.LowPass(0).Frequency, qvt::LowPassCutoffHz(last.LowCutoff));
  }
  if (highKind != 0) {
    EXPECT_EQ(f.HighPass(1).Frequency, qvt::HighPassCutoffHz(last.HighCutoff));
  }
}
