#include "dsp/uChorus.h"

#include "dsp/uOsc.h"

#include <algorithm>
#include <cmath>

TChorus::TChorus(float SampleRate)
    : SampleRate(SampleRate), Delays{TFastDelay(SampleRate), TFastDelay(SampleRate)},
      HighPass{TButterworthHP(SampleRate), TButterworthHP(SampleRate)} {
  SetDelayTime(20);
}

void TChorus::SetEnable(float Value) {
  Enable = Value;
  Active = Value > 0.5f;
}

void TChorus::SetLfoWave(float Value) { LfoWave = Value > 0.5f ? otSin : otTri; }

void TChorus::SetRate(float Hz) {
  Rate = Hz;
  PhaseInc = static_cast<double>(qvt::kTwoPiX * Rate / SampleRate);
  UpdateModAmount();
}

void TChorus::SetDepth(float Value) {
  Depth = Value;
  UpdateModAmount();
}

void TChorus::SetHighPassFreq(float Hz) {
  HighPassFreq = Hz;
  HighPass[0].SetFrequency(Hz);
  HighPass[1].SetFrequency(Hz);
}

void TChorus::SetDelayTime(float Ms) {
  DelayTime = Ms;
  BaseDelay = double(SampleRate) * Ms / 1000;
  UpdateModAmount();
}

void TChorus::SetFeedback(float Value) {
  Feedback = Value;
  Delays[0].SetFeedback(Value);
  Delays[1].SetFeedback(Value);
}

void TChorus::SetMix(float Value) { Mix = Value; }

void TChorus::UpdateModAmount() {
  // The root maps the rate back to its parameter position 0 … 1, so the sweep
  // at the fastest rate is half as wide as at the slowest. Rates below the
  // parameter's 0.25 Hz count as 0.25 Hz instead of giving NaN.
  const double position = std::sqrt(std::fmax((double(Rate) - 0.25) / 9.75, 0.0));
  ModAmount = 0.25 * BaseDelay * Depth / (position + 1);
}

void TChorus::Process(float& Left, float& Right) {
  if (!Active) return;
  const double p = qvt::ReducePhase(Phase);

  const double l = WaveLookup(LfoWave, p);
  const float d = static_cast<float>((l + 1) / 2 * ModAmount + BaseDelay);
  Delays[0].SetDelay(d);
  Delays[1].SetDelay(d);

  const float wetL = Delays[0].Process(static_cast<float>(HighPass[0].ProcessSample(Left)));
  const float wetR = Delays[1].Process(static_cast<float>(HighPass[1].ProcessSample(Right)));
  Left = static_cast<float>(double(wetL) * Mix + Left);
  Right = static_cast<float>(double(wetR) * Mix + Right);
  Phase += PhaseInc;
}

void TChorus::ProcessBlock(float* Left, float* Right, int Count) {
  if (!Active) return;
  constexpr int kChunk = 64;
  const qvt::TOscVoice lfo = PlainVoice(LfoWave);
  const qvt::TOscKernel kernel = qvt::OscKernel();
  double phase[kChunk];
  float wave[kChunk], delay[kChunk], wetL[kChunk], wetR[kChunk];
  for (int start = 0; start < Count; start += kChunk) {
    const int count = std::min(kChunk, Count - start);
    float* left = Left + start;
    float* right = Right + start;
    for (int n = 0; n < count; ++n) {
      phase[n] = Phase;
      Phase += PhaseInc;
    }
    kernel(lfo, {phase, nullptr, nullptr, wave, count});
    for (int n = 0; n < count; ++n)
      delay[n] = static_cast<float>((double(wave[n]) + 1) / 2 * ModAmount + BaseDelay);
    double highL[kChunk], highR[kChunk];
    std::copy_n(left, count, highL);
    std::copy_n(right, count, highR);
    TButterworthFilter::ProcessStereo(HighPass[0], HighPass[1], true, highL, highR, count);
    std::copy_n(highL, count, wetL);
    std::copy_n(highR, count, wetR);
    TFastDelay::ProcessStereo(Delays[0], Delays[1], wetL, wetR, delay, delay, count);
    for (int n = 0; n < count; ++n) {
      left[n] = static_cast<float>(double(wetL[n]) * Mix + left[n]);
      right[n] = static_cast<float>(double(wetR[n]) * Mix + right[n]);
    }
  }
}
