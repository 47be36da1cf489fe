#include "dsp/uReverb.h"

#include "dsp/uDspClassesCommon.h"
#include "dsp/uSynthFilter.h" // the tone filter takes the synth filter's cutoff curves

#include <algorithm>
#include <cmath>

namespace {

// Line lengths in samples at 44100 Hz; other rates scale them.
constexpr double kTuningRate = 44100;
constexpr int kCombTuningL[TReverb::kCombCount] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kCombTuningR[TReverb::kCombCount] = {1139, 1211, 1300, 1379, 1445, 1514, 1580, 1640};
constexpr int kAllpassTuningL[TReverb::kAllpassCount] = {556, 441, 341, 225};
constexpr int kAllpassTuningR[TReverb::kAllpassCount] = {579, 464, 364, 248};
constexpr float kAllpassFeedback = 0.5f;

// The sign of (the double nearest Samples/44100) − Samples/44100, found with
// integers: binary long division gives the quotient's leading 53 bits and the
// remainder, and the double is that quotient rounded (ties to even).
int DurationRoundingSign(int Samples) {
  std::uint64_t q = 0, r = static_cast<std::uint64_t>(Samples);
  while (q < (std::uint64_t{1} << 52)) {
    r <<= 1;
    q <<= 1;
    if (r >= 44100) {
      r -= 44100;
      q |= 1;
    }
  }
  if (2 * r > 44100 || (2 * r == 44100 && (q & 1))) return 1; // rounded up
  return r > 0 ? -1 : 0;
}

// Length of a line tuned to Samples at 44100 Hz: the exact product of its
// duration (the double nearest Samples/44100) and the rate, rounded to the
// nearest integer, ties to even. For a rate of 1 Hz or more, below 2^24 Hz,
// the product is Samples·rate/44100 (exact in integers) plus the duration's
// rounding error times the rate; that error is too small to cross a half, so
// it only decides when Samples·rate/44100 is a half exactly (at 22050 Hz, for
// odd counts), where a double product would just round to even. Absurd sample
// rates saturate at the 16-bit field's range.
std::uint16_t ScaledLength(int Samples, float SampleRate) {
  double length;
  if (SampleRate >= 1.0f && SampleRate < 16777216.0f) {
    // SampleRate = rate / 2^shift with both integers (a float has 24 bits).
    int shift = 0;
    double scaled = SampleRate;
    while (scaled != std::floor(scaled)) {
      scaled *= 2;
      ++shift;
    }
    const auto numerator = static_cast<std::uint64_t>(Samples) * static_cast<std::uint64_t>(scaled);
    const std::uint64_t denominator = std::uint64_t{44100} << shift;
    const std::uint64_t whole = numerator / denominator;
    const std::uint64_t twiceRest = 2 * (numerator % denominator);
    std::uint64_t rounded = whole + (twiceRest > denominator ? 1 : 0);
    if (twiceRest == denominator) {
      const int sign = DurationRoundingSign(Samples);
      rounded = whole + (sign > 0 || (sign == 0 && (whole & 1)) ? 1 : 0);
    }
    length = static_cast<double>(rounded);
  } else {
    length = std::nearbyint(Samples / kTuningRate * SampleRate);
  }
  return static_cast<std::uint16_t>(std::clamp(length, 0.0, 65535.0));
}

} // namespace

namespace qvt {

void TFeedbackLine::SetLength(int Samples) {
  if (Samples == Length) return;
  Length = std::max(Samples, 1);
  Buffer.resize(static_cast<std::size_t>(Length));
  Pos = 0;
}

void TFeedbackLine::Clear() { std::fill(Buffer.begin(), Buffer.end(), 0.0f); }

float TFeedbackLine::Step(float Input) {
  float& slot = Buffer[static_cast<std::size_t>(Pos)];
  const float b = FlushDenormal(slot);
  slot = static_cast<float>(double(b) * Feedback + Input);
  if (++Pos >= Length) Pos = 0;
  return b;
}

// Walks the line in contiguous runs up to its end; within a run no slot is
// visited twice, so each slot is read before it is rewritten, exactly as in
// sample-by-sample stepping, and the loop carries no dependency (it vectorises).
template <class TUse> void TFeedbackLine::StepBlock(const float* In, int Count, TUse Use) {
  const double feedback = Feedback;
  int n = 0;
  while (n < Count) {
    const int run = std::min(Count - n, Length - Pos);
    float* __restrict slot = Buffer.data() + Pos;
    const float* __restrict in = In + n;
    Use(n, run, [slot, in, feedback](int k) {
      const float b = FlushDenormal(slot[k]);
      slot[k] = static_cast<float>(double(b) * feedback + in[k]);
      return b;
    });
    n += run;
    Pos += run;
    if (Pos >= Length) Pos = 0;
  }
}

} // namespace qvt

void TComb::ProcessAdd(const float* Input, float* Sum, int Count) {
  StepBlock(Input, Count, [Sum](int n, int run, auto step) {
    float* __restrict sum = Sum + n;
    for (int k = 0; k < run; ++k) sum[k] += step(k);
  });
}

void TAllpass::ProcessInPlace(float* Signal, int Count) {
  StepBlock(Signal, Count, [Signal](int n, int run, auto step) {
    float* __restrict signal = Signal + n;
    for (int k = 0; k < run; ++k) {
      const float in = signal[k];
      signal[k] = step(k) - in;
    }
  });
}

TReverb::TReverb(float SampleRate) : SampleRate(SampleRate), ToneFilter(SampleRate) {
  ToneFilter.SetLowPass(4000);
  ToneFilter.SetHighPass(400);
  SetupTuning();
  Active = true;
  Enable = 1.0f;
  Wet = 0.5f;
  Dry = 0.5f;
  InputGain = 0.015f;
  UpdateWet();
  UpdateRoom();
}

void TReverb::SetupTuning() {
  for (int i = 0; i < kAllpassCount; ++i) {
    AllpassLengthL[i] = ScaledLength(kAllpassTuningL[i], SampleRate);
    AllpassLengthR[i] = ScaledLength(kAllpassTuningR[i], SampleRate);
    AllpassL[i].SetLength(AllpassLengthL[i]);
    AllpassR[i].SetLength(AllpassLengthR[i]);
    AllpassL[i].Feedback = kAllpassFeedback;
    AllpassR[i].Feedback = kAllpassFeedback;
    AllpassL[i].Clear();
    AllpassR[i].Clear();
  }
  for (int i = 0; i < kCombCount; ++i) {
    CombLengthL[i] = ScaledLength(kCombTuningL[i], SampleRate);
    CombLengthR[i] = ScaledLength(kCombTuningR[i], SampleRate);
    CombL[i].SetLength(CombLengthL[i]);
    CombR[i].SetLength(CombLengthR[i]);
    CombL[i].Clear();
    CombR[i].Clear();
  }
}

void TReverb::SetEnable(float Value) {
  if (Value == Enable) return;
  Enable = Value;
  Active = Value > 0.5f;
  if (!Active) ClearAll();
}

void TReverb::SetRoomSize(float Value) {
  // Outside 0 … 1 the power law would give NaN or a comb gain of 1 or more.
  const double v = Value > 1 ? 1.0 : (Value >= 0 ? Value : 0.0);
  RoomSize = static_cast<float>(std::pow(v, 0.25) * 0.28 + 0.7);
  UpdateRoom();
}

void TReverb::SetWidth(float Value) {
  if (Value == Width) return;
  Width = Value;
  UpdateWet();
}

void TReverb::SetWet(float Value) {
  if (Value == Wet) return;
  Wet = Value;
  UpdateWet();
}

void TReverb::SetLowPass(float Value) {
  if (Value == LowPassValue) return;
  LowPassValue = Value;
  ToneFilter.SetLowPass(qvt::LowPassCutoffHz(Value));
}

void TReverb::SetHighPass(float Value) {
  if (Value == HighPassValue) return;
  HighPassValue = Value;
  ToneFilter.SetHighPass(qvt::HighPassCutoffHz(Value));
}

void TReverb::UpdateWet() {
  Wet1 = static_cast<float>((double(Width) * 0.5 + 0.5) * Wet);
  Wet2 = static_cast<float>((1 - double(Width)) * 0.5 * Wet);
}

void TReverb::UpdateRoom() {
  CombFeedback = RoomSize;
  for (int i = 0; i < kCombCount; ++i) {
    CombL[i].Feedback = CombFeedback;
    CombR[i].Feedback = CombFeedback;
  }
}

void TReverb::ClearAll() {
  for (int i = 0; i < kAllpassCount; ++i) {
    AllpassL[i].Clear();
    AllpassR[i].Clear();
  }
  for (int i = 0; i < kCombCount; ++i) {
    CombL[i].Clear();
    CombR[i].Clear();
  }
}

void TReverb::Process(float& Left, float& Right) {
  if (!Active) return;
  float in = static_cast<float>((double(Left) + Right) * InputGain);
  in = ToneFilter.Process(in);

  float accL = 0;
  float accR = 0;
  for (int i = 0; i < kCombCount; ++i) {
    accL += CombL[i].Process(in);
    accR += CombR[i].Process(in);
  }
  for (int i = 0; i < kAllpassCount; ++i) {
    accL = AllpassL[i].Process(accL);
    accR = AllpassR[i].Process(accR);
  }

  const double dryL = Left;
  const double dryR = Right;
  Left = static_cast<float>(double(accL) * Wet1 + double(accR) * Wet2 + dryL * Dry);
  Right = static_cast<float>(double(accR) * Wet1 + double(accL) * Wet2 + dryR * Dry);
}

void TReverb::ProcessBlock(float* Left, float* Right, int Count) {
  if (!Active) return;
  constexpr int kChunk = 128;
  float in[kChunk], accL[kChunk], accR[kChunk];
  for (int start = 0; start < Count; start += kChunk) {
    const int count = std::min(kChunk, Count - start);
    float* left = Left + start;
    float* right = Right + start;
    for (int n = 0; n < count; ++n)
      in[n] = ToneFilter.Process(static_cast<float>((double(left[n]) + right[n]) * InputGain));
    std::fill_n(accL, count, 0.0f);
    std::fill_n(accR, count, 0.0f);
    for (int i = 0; i < kCombCount; ++i) {
      CombL[i].ProcessAdd(in, accL, count);
      CombR[i].ProcessAdd(in, accR, count);
    }
    for (int i = 0; i < kAllpassCount; ++i) {
      AllpassL[i].ProcessInPlace(accL, count);
      AllpassR[i].ProcessInPlace(accR, count);
    }
    for (int n = 0; n < count; ++n) {
      const double dryL = left[n];
      const double dryR = right[n];
      left[n] = static_cast<float>(double(accL[n]) * Wet1 + double(accR[n]) * Wet2 + dryL * Dry);
      right[n] = static_cast<float>(double(accR[n]) * Wet1 + double(accL[n]) * Wet2 + dryR * Dry);
    }
  }
}
