// Circular delay line with a fractional, Hermite-interpolated read position
// and a feedback path. Process returns only the delayed signal.
#pragma once

#include <vector>

class TFastDelay {
public:
  // The line holds nearest-integer(SampleRate / 16) samples (at least 1), zeroed.
  explicit TFastDelay(float SampleRate);

  // Only on change: stores Samples clamped to 0 … Length. NaN becomes 0,
  // +infinity Length, so the read position never leaves the line.
  void SetDelay(float Samples);
  // Only on change: stores Value; above 0.99 it becomes 0.99, below 0 (or NaN) 0.
  void SetFeedback(float Value);
  void SetInvert(bool Value);
  // Zeroes the line unless it is already Cleared; the owner re-arms the flag.
  void Clear();
  float Process(float Input);
  // Two lines (left, right) over a stereo buffer in place, the same as
  // SetDelay(Delays[n]) (when Delays is given) and Process for each sample and
  // line. Lines of one length and write position run side by side in two
  // vector lanes, sharing their position arithmetic.
  static void ProcessStereo(TFastDelay& Left, TFastDelay& Right, float* SignalLeft,
                            float* SignalRight, const float* DelaysLeft, const float* DelaysRight,
                            int Count);

  void UpdateGain();

  std::vector<float> Buffer;
  float Delay = 2.5f;
  int WritePos = 0;
  int Length;
  float Feedback = 0;
  float FeedbackGain = 0;
  bool Cleared = false;
  bool Invert = false;
};
