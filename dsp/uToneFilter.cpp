#include "dsp/uToneFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

// The bilinear design turns unstable once the cutoff reaches half the sample
// rate (the warped frequency changes sign) and loses precision near 0 Hz, so
// the design angle pi·F/SampleRate is kept inside this range.
constexpr double kMinDesignAngle = std::numbers::pi * 0.0002;
constexpr double kMaxDesignAngle = 1.55; // about 0.493 × the sample rate

} // namespace

TFlt4Pole::TFlt4Pole(float SampleRate) : SampleRate(SampleRate == 0 ? 44100.0f : SampleRate) {
  CalcCoefficients();
}

void TFlt4Pole::CalcCoefficients() {
  constexpr double r = 0.5;
  constexpr double q = (1 - 0.25 * r) * (1 - 0.25 * r);
  double angle = std::numbers::pi * Frequency / SampleRate;
  if (!(angle >= kMinDesignAngle)) angle = kMinDesignAngle;
  if (angle > kMaxDesignAngle) angle = kMaxDesignAngle;

  const double w = 1 / (std::tan(angle) * (1 + q));
  const double p = 1 + w;
  const double m = 1 - w;
  const double p2 = p * p;
  const double m2 = m * m;
  const double d0 = 1 / (p2 * p2 + r);
  const double d1 = 4 * (r + p2 * p * m);
  const double d2 = 6 * (p2 * m2 + r);
  const double d3 = 4 * (r + p * m2 * m);
  const double d4 = m2 * m2 + r;

  const double g = (r + 1) * d0;
  B[0] = g;
  B[1] = 4 * g;
  B[2] = 6 * g;
  B[3] = 4 * g;
  B[4] = g;
  A[0] = -d1 * d0;
  A[1] = -d2 * d0;
  A[2] = -d3 * d0;
  A[3] = -d4 * d0;
}

float TFlt4Pole::Process(float Input) {
  if (std::fabs(Frequency - TargetFrequency) > 1) {
    Frequency = TargetFrequency * Smoothing + Frequency * SmoothingInv;
    CalcCoefficients();
  }
  const double x = Input;
  const float y = static_cast<float>(B[0] * x + State[0]);
  State[0] = B[1] * x + A[0] * y + State[1];
  State[1] = B[2] * x + A[1] * y + State[2];
  State[2] = B[3] * x + A[2] * y + State[3];
  State[3] = B[4] * x + A[3] * y;
  return y;
}

TKFilter::TKFilter(float SampleRate) : SampleRate(SampleRate) {
  SetFrequency(1000);
  Oversampling = 2;
  SetResonance(1.0f);
  std::fill(std::begin(Stage), std::end(Stage), 0.0f);
}

void TKFilter::SetFrequency(float Hz) {
  if (!(SampleRate > 0)) throw std::invalid_argument("Sample Rate Error!");
  if (Hz == Frequency) return;
  Frequency = Hz;
  const double c = 2 * std::sin(std::numbers::pi * Hz / SampleRate);
  Coef = static_cast<float>(std::min(c, 1.0));
  CoefInv = 1 - Coef;
}

void TKFilter::SetResonance(float Value) {
  if (Value == Resonance) return;
  Resonance = Value > 50 ? 50.0f : (Value >= 0 ? Value : 0.0f); // NaN counts as below 0
}

float TKFilter::Process(float Input) {
  // Stages are stored as 32-bit floats; each update is evaluated in 64-bit.
  const double x = Input;
  const double c = Coef;
  const double ci = CoefInv;
  for (int pass = 0; pass < Oversampling; ++pass) {
    const float fb = std::min(static_cast<float>(Feedback), 1.0f);
    Feedback = double(Resonance) * Stage[3] * 0.582 + 0.418 * Feedback;
    const float k = static_cast<float>(0.36 * Feedback + 0.64 * fb);
    Stage[0] = static_cast<float>((1e-24 + x - k) * c + Stage[0] * ci);
    Stage[0] = std::clamp(Stage[0], -1.0f, 1.0f);
    Stage[1] = static_cast<float>(Stage[0] * c + Stage[1] * ci);
    Stage[2] = static_cast<float>(Stage[1] * c + Stage[2] * ci);
    Stage[3] = static_cast<float>(Stage[2] * c + Stage[3] * ci);
  }
  return 0;
}

float TKHPFilter::Process(float Input) {
  TKFilter::Process(Input);
  return static_cast<float>(double(Input) - Stage[3] - Stage[0]);
}

TLHPassFilter::TLHPassFilter(float SampleRate) : LowPass(SampleRate), HighPass(SampleRate) {
  LowPass.SetFrequency(20000);
  HighPass.SetFrequency(20);
}
