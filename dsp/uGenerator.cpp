#include "dsp/uGenerator.h"

#include <algorithm>

namespace {

constexpr double K = 8.79645943; // peak phase deviation at level 1, radians
constexpr double S = 0.05;       // peak phase-scale deviation
constexpr double E = 0.0005;     // keeps a silent scaler's factor away from 0
using qvt::operator""_x;
constexpr qvt::Extended kMix = 0.33_x;

// Phase-modulation signal: output · level · K.
float OffsetSignal(float Output, float Level) {
  return static_cast<float>(static_cast<double>(Output) * Level * K);
}

// Phase-scale signal: output · (E + level) · S.
float ScaleSignal(float Output, float Level) {
  return static_cast<float>(static_cast<double>(Output) * (E + Level) * S);
}

} // namespace

TGenerator::TGenerator(float SampleRate)
    : SampleRate(SampleRate), Osc{TOsc(SampleRate), TOsc(SampleRate), TOsc(SampleRate),
                                  TOsc(SampleRate)} {}

void TGenerator::SetFrequency1(float Value) {
  if (Value == Frequency1) return;
  Frequency1 = Value;
  Osc[0].SetFrequency(Value);
}

void TGenerator::SetFrequency2(float Value) {
  if (Value == Frequency2) return;
  Frequency2 = Value;
  Osc[1].SetFrequency(Value);
}

void TGenerator::SetFrequency3(float Value) {
  if (Value == Frequency3) return;
  Frequency3 = Value;
  UpdatePair();
}

void TGenerator::SetDetune(float Value) {
  if (Value == Detune) return;
  Detune = Value;
  UpdatePair();
}

// Detune spans ±20 Hz around Frequency3, whatever the pitch.
void TGenerator::UpdatePair() {
  const double d = (Detune - 0.5) * 40.0;
  Osc[2].SetFrequency(static_cast<float>(Frequency3 - d));
  Osc[3].SetFrequency(static_cast<float>(Frequency3 + d));
}

void TGenerator::SetWaveForm1(std::uint8_t Value) {
  if (Value == WaveForm1) return;
  WaveForm1 = Value;
  Osc[0].SetWaveForm(Value);
}

void TGenerator::SetWaveForm2(std::uint8_t Value) {
  if (Value == WaveForm2) return;
  WaveForm2 = Value;
  Osc[1].SetWaveForm(Value);
}

void TGenerator::SetWaveForm3(std::uint8_t Value) {
  if (Value == WaveForm3) return;
  WaveForm3 = Value;
  Osc[2].SetWaveForm(Value);
  Osc[3].SetWaveForm(Value);
}

void TGenerator::SetReduction1(float Value) {
  if (Value == Reduction1) return;
  Reduction1 = Value;
  Osc[0].SetReduction(Value);
}

void TGenerator::SetReduction2(float Value) {
  if (Value == Reduction2) return;
  Reduction2 = Value;
  Osc[1].SetReduction(Value);
}

void TGenerator::SetReduction3(float Value) {
  if (Value == Reduction3) return;
  Reduction3 = Value;
  Osc[2].SetReduction(Value);
  Osc[3].SetReduction(Value);
}

void TGenerator::SetShape1(float Value) {
  if (Value == Shape1) return;
  Shape1 = Value;
  Osc[0].Shape = Value;
}

void TGenerator::SetShape2(float Value) {
  if (Value == Shape2) return;
  Shape2 = Value;
  Osc[1].Shape = Value;
}

void TGenerator::SetShape3(float Value) {
  if (Value == Shape3) return;
  Shape3 = Value;
  Osc[2].Shape = Value;
  Osc[3].Shape = Value;
}

void TGenerator::SetLevel1(float Value) { Level1 = Value * Value; }
void TGenerator::SetLevel2(float Value) { Level2 = Value * Value; }
void TGenerator::SetLevel3(float Value) { Level3 = Value * Value; }

void TGenerator::SetAlgorithm(int Value) {
  Algorithm = static_cast<std::uint8_t>(std::clamp(Value, 1, 9));
}

void TGenerator::ResetPhases() {
  for (TOsc& osc : Osc) osc.Reset();
}

void TGenerator::Process(float& Left, float& Right) {
  float a, b;
  switch (Algorithm) {
  case 1: { // three carriers mixed
    a = Osc[0].Process(0.0f, 1.0f) * Level1;
    b = Osc[1].Process(0.0f, 1.0f) * Level2;
    const qvt::Extended left = static_cast<qvt::Extended>(Osc[2].Process(0.0f, 1.0f)) * Level3;
    const qvt::Extended right = static_cast<qvt::Extended>(Osc[3].Process(0.0f, 1.0f)) * Level3;
    Left = static_cast<float>(kMix * left + kMix * a + kMix * b);
    Right = static_cast<float>(kMix * right + kMix * a + kMix * b);
    return;
  }
  case 2: // 1 and 2 offset 3, in parallel
    a = OffsetSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = OffsetSignal(Osc[1].Process(0.0f, 1.0f), Level2);
    Left = Osc[2].Process(a + b, 1.0f) * Level3;
    Right = Osc[3].Process(a + b, 1.0f) * Level3;
    return;
  case 3: // 1 offsets 3, 2 scales 3
    a = OffsetSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = ScaleSignal(Osc[1].Process(0.0f, 1.0f), Level2);
    Left = Osc[2].Process(a, b) * Level3;
    Right = Osc[3].Process(a, b) * Level3;
    return;
  case 4: // 1 and 2 scale 3, in parallel
    a = ScaleSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = ScaleSignal(Osc[1].Process(0.0f, 1.0f), Level2);
    Left = Osc[2].Process(0.0f, a + b) * Level3;
    Right = Osc[3].Process(0.0f, a + b) * Level3;
    return;
  case 5: // chain 1 → 2 → 3 by offsets
    a = OffsetSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = OffsetSignal(Osc[1].Process(a, 1.0f), Level2);
    Left = Osc[2].Process(b, 1.0f) * Level3;
    Right = Osc[3].Process(b, 1.0f) * Level3;
    return;
  case 6: // 1 scales 2, 2 offsets 3
    a = ScaleSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = OffsetSignal(Osc[1].Process(0.0f, a), Level2);
    Left = Osc[2].Process(b, 1.0f) * Level3;
    Right = Osc[3].Process(b, 1.0f) * Level3;
    return;
  case 7: // 1 offsets 2, 2 scales 3
    a = OffsetSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = ScaleSignal(Osc[1].Process(a, 1.0f), Level2);
    Left = Osc[2].Process(0.0f, b) * Level3;
    Right = Osc[3].Process(0.0f, b) * Level3;
    return;
  case 8: // chain 1 → 2 → 3 by scales
    a = ScaleSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = ScaleSignal(Osc[1].Process(0.0f, a), Level2);
    Left = Osc[2].Process(0.0f, b) * Level3;
    Right = Osc[3].Process(0.0f, b) * Level3;
    return;
  default: // 9: 1 scales 2 and 3; 2 and 3 mixed
    a = ScaleSignal(Osc[0].Process(0.0f, 1.0f), Level1);
    b = static_cast<float>(static_cast<double>(Osc[1].Process(0.0f, a)) * Level2 * 0.5);
    Left = static_cast<float>(static_cast<double>(Osc[2].Process(0.0f, a)) * Level3 * 0.5 + b);
    Right = static_cast<float>(static_cast<double>(Osc[3].Process(0.0f, a)) * Level3 * 0.5 + b);
    return;
  }
}

void TGenerator::ProcessSegment(float* Left, float* Right, int Count) {
  const qvt::TOscKernel kernel = qvt::OscKernel();
  float out[4][kMaxSegment], a[kMaxSegment], b[kMaxSegment];
  auto run = [&](int k, const float* offset, const float* scale) {
    kernel(Osc[k].Voice(), {SegmentPhase[k], offset, scale, out[k], Count});
  };
  // The carriers' outputs times Level3 (schemes 2 … 8).
  auto carriers = [&](const float* offset, const float* scale) {
    run(2, offset, scale);
    run(3, offset, scale);
    for (int n = 0; n < Count; ++n) {
      Left[n] = out[2][n] * Level3;
      Right[n] = out[3][n] * Level3;
    }
  };
  switch (Algorithm) {
  case 1:
    for (int k = 0; k < 4; ++k) run(k, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) {
      const float x = out[0][n] * Level1;
      const float y = out[1][n] * Level2;
      const qvt::Extended left = static_cast<qvt::Extended>(out[2][n]) * Level3;
      const qvt::Extended right = static_cast<qvt::Extended>(out[3][n]) * Level3;
      Left[n] = static_cast<float>(kMix * left + kMix * x + kMix * y);
      Right[n] = static_cast<float>(kMix * right + kMix * x + kMix * y);
    }
    return;
  case 2:
    run(0, nullptr, nullptr);
    run(1, nullptr, nullptr);
    for (int n = 0; n < Count; ++n)
      a[n] = OffsetSignal(out[0][n], Level1) + OffsetSignal(out[1][n], Level2);
    carriers(a, nullptr);
    return;
  case 3:
    run(0, nullptr, nullptr);
    run(1, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) {
      a[n] = OffsetSignal(out[0][n], Level1);
      b[n] = ScaleSignal(out[1][n], Level2);
    }
    carriers(a, b);
    return;
  case 4:
    run(0, nullptr, nullptr);
    run(1, nullptr, nullptr);
    for (int n = 0; n < Count; ++n)
      a[n] = ScaleSignal(out[0][n], Level1) + ScaleSignal(out[1][n], Level2);
    carriers(nullptr, a);
    return;
  case 5:
    run(0, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) a[n] = OffsetSignal(out[0][n], Level1);
    run(1, a, nullptr);
    for (int n = 0; n < Count; ++n) b[n] = OffsetSignal(out[1][n], Level2);
    carriers(b, nullptr);
    return;
  case 6:
    run(0, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) a[n] = ScaleSignal(out[0][n], Level1);
    run(1, nullptr, a);
    for (int n = 0; n < Count; ++n) b[n] = OffsetSignal(out[1][n], Level2);
    carriers(b, nullptr);
    return;
  case 7:
    run(0, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) a[n] = OffsetSignal(out[0][n], Level1);
    run(1, a, nullptr);
    for (int n = 0; n < Count; ++n) b[n] = ScaleSignal(out[1][n], Level2);
    carriers(nullptr, b);
    return;
  case 8:
    run(0, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) a[n] = ScaleSignal(out[0][n], Level1);
    run(1, nullptr, a);
    for (int n = 0; n < Count; ++n) b[n] = ScaleSignal(out[1][n], Level2);
    carriers(nullptr, b);
    return;
  default:
    run(0, nullptr, nullptr);
    for (int n = 0; n < Count; ++n) a[n] = ScaleSignal(out[0][n], Level1);
    for (int k = 1; k < 4; ++k) run(k, nullptr, a);
    for (int n = 0; n < Count; ++n) {
      const double y = static_cast<double>(out[1][n]) * Level2 * 0.5;
      const float half = static_cast<float>(y);
      Left[n] = static_cast<float>(static_cast<double>(out[2][n]) * Level3 * 0.5 + half);
      Right[n] = static_cast<float>(static_cast<double>(out[3][n]) * Level3 * 0.5 + half);
    }
    return;
  }
}
