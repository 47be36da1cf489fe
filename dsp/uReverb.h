// Stereo reverberator: eight parallel feedback combs and four series allpasses
// per channel behind a mono tone filter, cross-mixed by a width control.
#pragma once

#include "dsp/uToneFilter.h"

#include <cstdint>
#include <vector>

namespace qvt {

// The line shared by combs and allpasses: Step returns the sample leaving the
// line (denormals flushed) and stores it scaled by Feedback plus the input.
class TFeedbackLine {
public:
  // Only on change; lengths below 1 become 1. The read/write index restarts.
  void SetLength(int Samples);
  void Clear();

  float Feedback = 0;
  std::vector<float> Buffer = std::vector<float>(1, 0.0f);
  int Length = 1;
  int Pos = 0;

protected:
  float Step(float Input);
  // Step over a buffer in contiguous runs: Use(n, run, step) is called for
  // each run of In[n …], where step(k) steps the line with In[n + k] and
  // returns the sample leaving it. The caller's buffers must not be the line's.
  template <class TUse> void StepBlock(const float* In, int Count, TUse Use);
};

} // namespace qvt

// Feedback comb without damping: returns the line's output.
class TComb : public qvt::TFeedbackLine {
public:
  float Process(float Input) { return Step(Input); }
  // Process over a buffer, adding each output to Sum[n].
  void ProcessAdd(const float* Input, float* Sum, int Count);
};

// Schroeder allpass: returns the line's output minus the input.
class TAllpass : public qvt::TFeedbackLine {
public:
  float Process(float Input) { return Step(Input) - Input; }
  // Process over a buffer in place.
  void ProcessInPlace(float* Signal, int Count);
};

class TReverb {
public:
  static constexpr int kCombCount = 8;
  static constexpr int kAllpassCount = 4;

  // Throws "Sample Rate Error!" from the tone filter when SampleRate <= 0.
  explicit TReverb(float SampleRate);

  void SetEnable(float Value);
  void SetRoomSize(float Value);
  void SetWidth(float Value);
  void SetWet(float Value);
  void SetLowPass(float Value);
  void SetHighPass(float Value);
  void Process(float& Left, float& Right);
  // Process over a stereo buffer in place; the same result as sample by sample.
  void ProcessBlock(float* Left, float* Right, int Count);

  void SetupTuning();
  void UpdateWet();
  void UpdateRoom();
  void ClearAll();

  float InputGain = 0.015f;
  float Enable = 1.0f;
  bool Active = true;
  float RoomSize = 0;
  float CombFeedback = 0;
  float Wet = 0.5f;
  float Wet1 = 0.25f;
  float Wet2 = 0.25f;
  float Dry = 0.5f; // written directly by the engine
  float Width = 0;
  float LowPassValue = 0;
  float HighPassValue = 0;
  float SampleRate;
  std::uint16_t AllpassLengthL[kAllpassCount] = {};
  std::uint16_t AllpassLengthR[kAllpassCount] = {};
  std::uint16_t CombLengthL[kCombCount] = {};
  std::uint16_t CombLengthR[kCombCount] = {};
  TAllpass AllpassL[kAllpassCount];
  TAllpass AllpassR[kAllpassCount];
  TComb CombL[kCombCount];
  TComb CombR[kCombCount];
  TLHPassFilter ToneFilter;
};
