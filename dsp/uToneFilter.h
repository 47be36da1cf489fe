// The reverb's tone filter: a resonant one-pole-cascade high-pass followed by
// a gliding fourth-order low-pass, both mono.
#pragma once

#include <cstdint>

// Fourth-order low-pass designed by the bilinear transform. SetFrequency only
// sets a target; Process glides the cutoff towards it by 1 % per sample and
// recomputes the coefficients until it is within 1 Hz.
class TFlt4Pole {
public:
  explicit TFlt4Pole(float SampleRate);

  void SetFrequency(double Hz) { TargetFrequency = Hz; }
  float Process(float Input);
  void CalcCoefficients();

  double Frequency = 1000;
  double TargetFrequency = 1000;
  double Smoothing = 0.01;
  double SmoothingInv = 1 - 0.01;
  float SampleRate;
  double B[5] = {}; // b0 … b4
  double A[4] = {}; // a1 … a4, added in the recurrence
  double State[4] = {};
};

// Four one-pole stages with smoothed resonant feedback from the last stage,
// run Oversampling times per sample. The base class only advances the stages.
class TKFilter {
public:
  // Throws std::invalid_argument("Sample Rate Error!") when SampleRate <= 0.
  explicit TKFilter(float SampleRate);
  virtual ~TKFilter() = default;
  TKFilter(const TKFilter&) = delete;
  TKFilter& operator=(const TKFilter&) = delete;

  void SetFrequency(float Hz);
  void SetResonance(float Value);
  virtual float Process(float Input);

  // Frequency and Resonance hold 0 until the constructor's first Set calls, so
  // that those calls see a change and compute Coef.
  float Resonance = 0;
  float Coef = 0;
  float Frequency = 0;
  float CoefInv = 1;
  float SampleRate;
  double Feedback = 0;
  std::uint8_t Oversampling = 2;
  float Stage[4] = {};
};

// High-pass from the cascade: the input minus its first and last stage.
class TKHPFilter final : public TKFilter {
public:
  using TKFilter::TKFilter;
  float Process(float Input) override;
};

// High-pass then low-pass; starts wide open (20 Hz … 20 kHz).
class TLHPassFilter {
public:
  explicit TLHPassFilter(float SampleRate);

  void SetLowPass(float Hz) { LowPass.SetFrequency(Hz); }
  void SetHighPass(float Hz) { HighPass.SetFrequency(Hz); }
  float Process(float Input) { return LowPass.Process(HighPass.Process(Input)); }

  TFlt4Pole LowPass;
  TKHPFilter HighPass;
};
