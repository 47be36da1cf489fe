// Stereo flanger/chorus: per channel a Butterworth high-pass feeding a delay
// line whose delay a wavetable LFO sweeps; the wet signal is added to the dry.
#pragma once

#include "dsp/uFastDelay.h"
#include "dsp/uFilters.h"
#include "lib/uGlobals.h"

#include <cstdint>

class TChorus {
public:
  explicit TChorus(float SampleRate);

  // None of the setters tests for an unchanged value.
  void SetEnable(float Value);
  void SetLfoWave(float Value);
  void SetRate(float Hz);
  void SetDepth(float Value);
  void SetHighPassFreq(float Hz);
  void SetDelayTime(float Ms);
  void SetFeedback(float Value);
  void SetMix(float Value);
  void Process(float& Left, float& Right);
  // Process over a stereo buffer in place, module by module: the LFO's
  // delays in vector lanes, each high-pass over the buffer, the two delay
  // lines side by side.
  void ProcessBlock(float* Left, float* Right, int Count);

  void UpdateModAmount();

  float Enable = 0;
  float Rate = 2.0f;
  float HighPassFreq = 0; // the filters keep their own 1000 Hz until it is set
  float DelayTime = 20.0f;
  float Depth = 0;
  float Feedback = 0;
  float Mix = 0;
  float SampleRate;
  double PhaseInc = 0; // still LFO until SetRate
  double BaseDelay = 0;
  double ModAmount = 0;
  double Phase = 0; // radians, never wrapped in storage
  TFastDelay Delays[2];
  TButterworthHP HighPass[2];
  bool Active = false;
  std::uint8_t LfoWave = otTri;
};
