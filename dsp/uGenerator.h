// The three-operator phase-modulation generator: four oscillators (operator 3
// is a detunable stereo pair) wired by one of nine algorithms.
#pragma once

#include "dsp/uOsc.h"

#include <cstdint>

class TGenerator {
public:
  explicit TGenerator(float SampleRate);

  void SetFrequency1(float Value);
  void SetFrequency2(float Value);
  void SetFrequency3(float Value);
  void SetDetune(float Value);
  void SetWaveForm1(std::uint8_t Value);
  void SetWaveForm2(std::uint8_t Value);
  void SetWaveForm3(std::uint8_t Value);
  void SetReduction1(float Value);
  void SetReduction2(float Value);
  void SetReduction3(float Value);
  void SetShape1(float Value);
  void SetShape2(float Value);
  void SetShape3(float Value);
  // Levels are given as the control value and stored squared.
  void SetLevel1(float Value);
  void SetLevel2(float Value);
  void SetLevel3(float Value);
  // Clamped to 1 … 9.
  void SetAlgorithm(int Value);
  void ResetPhases();

  // One stereo sample; every oscillator advances exactly one sample.
  void Process(float& Left, float& Right);

  // A segment of up to kMaxSegment samples, the same as Count calls of
  // Process: AdvancePhases(n) for n = 0 … Count − 1 records each oscillator's
  // stored phase for sample n and advances it (frequencies may change between
  // the calls), then ProcessSegment computes the samples oscillator by
  // oscillator down the algorithm, each in vector lanes.
  static constexpr int kMaxSegment = 64;
  void AdvancePhases(int n) {
    for (int k = 0; k < 4; ++k) {
      SegmentPhase[k][n] = Osc[k].Phase;
      Osc[k].Phase += Osc[k].PhaseInc;
    }
  }
  void ProcessSegment(float* Left, float* Right, int Count);

  float SampleRate;
  float Frequency1 = 0.0f, Frequency2 = 0.0f, Frequency3 = 0.0f;
  float Level1 = 1.0f, Level2 = 1.0f, Level3 = 1.0f;
  float Shape1 = 0.0f, Shape2 = 0.0f, Shape3 = 0.0f;
  float Reduction1 = 0.0f, Reduction2 = 0.0f, Reduction3 = 0.0f;
  // 0: operator 1, 1: operator 2, 2 and 3: operator 3 left and right.
  TOsc Osc[4];
  std::uint8_t WaveForm1 = 0, WaveForm2 = 0, WaveForm3 = 0;
  float Detune = 0.0f; // 0 … 1, 0.5 = none
  std::uint8_t Algorithm = 1;

private:
  void UpdatePair();
  double SegmentPhase[4][kMaxSegment];
};
