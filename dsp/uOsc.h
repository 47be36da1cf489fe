// The shared wavetable, its lookup, shaper and reduction routines, and the
// table-lookup oscillator built on them.
#pragma once

#include "dsp/uOscLanes.h"
#include "lib/uGlobals.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace qvt {

inline constexpr int kWaveCount = 4;
inline constexpr int kWaveLength = 2048; // samples per single-cycle wave
inline constexpr std::size_t kWaveTableBytes = kWaveCount * kWaveLength * 4;
inline constexpr double kPhaseToIndex = 325.94932345220167; // 2048 / 2π
inline constexpr long double kTwoPi = 6.283185307179586476925286766559005768L;
// 2π at the precision of the phase arithmetic.
inline constexpr Extended kTwoPiX = static_cast<Extended>(kTwoPi);

// 2π in three parts whose sum is 2π to 100 bits. The high and middle parts
// carry 24 bits, so their products with an integer below 2^29 are exact and a
// reduction in double precision loses nothing to the product t·2π.
inline constexpr double kTwoPiHi = 0x1.921fb6p+2;
inline constexpr double kTwoPiMid = -0x1.777a5cp-23;
inline constexpr double kTwoPiLo = -0x1.ee59d9cceba40p-48;

// LoadWaveTable that never throws: records the outcome instead. It runs when
// the library is loaded; the plug-in's entry point refuses to create an
// instance when WaveTableLoaded() is false.
bool LoadWaveTableGuarded() noexcept;
bool LoadWaveTableGuarded(TResourceData Resource) noexcept;
bool WaveTableLoaded();
const char* WaveTableError(); // empty when loaded

// The oscillator's range reduction into [0, 2π]: p − trunc(p / 2π)·2π, then
// + 2π when negative, in Extended arithmetic; in double precision the products
// and the sum take 2π in its three parts.
double ReducePhaseExtended(double p);
// The double nearest below 2π: for a double p, p > kTwoPiX exactly when
// p > kTwoPiBelow, at either precision of Extended.
inline constexpr double kTwoPiBelow = static_cast<double>(kTwoPi);
static_assert(kTwoPiBelow < kTwoPi && kTwoPiBelow + 0x1p-50 > kTwoPi);

// ReducePhaseExtended's result; phases already in [0, 2π] pass untouched.
inline double ReducePhase(double p) {
  return std::fabs(p) > kTwoPiBelow || p < 0.0 ? ReducePhaseExtended(p) : p;
}

} // namespace qvt

// Four waves of 2048 samples, indexed by TOscType. Written once when the
// library is loaded, read-only afterwards.
extern float WaveTable[qvt::kWaveCount][qvt::kWaveLength];

// Fills WaveTable from the packed "WAVETABLE"/"WAVETABLE" resource.
// Throws std::runtime_error when the resource is missing, corrupt or short.
void LoadWaveTable();
// Fills WaveTable from the given stored bytes (zlib stream with the A4 48 tag).
// On failure it throws and leaves WaveTable as it was.
void LoadWaveTable(TResourceData Resource);

// Hermite-interpolated value of wave Wave at Phase radians.
float WaveLookup(std::uint8_t Wave, double Phase);
// The segment kernels' settings for wave Wave without shaper or reducer.
qvt::TOscVoice PlainVoice(std::uint8_t Wave);
// The stored sample at or below Phase, for drawing.
float WaveLookupRaw(std::uint8_t Wave, double Phase);
// Waveshaper: Amount −1 … +1 (0 passes X through).
float WaveShape(double Amount, float X);
// The shaper's k = 2a / (1 − a) for the Amount a, clamped to ±0.99.
double WaveShapeFactor(double Amount);
// Bit-depth reduction of X: nearest (ties to even) of Steps·X, times Inv.
float ReduceBits(double Steps, double Inv, float X);
// Quantisation steps per unit for a bit-depth reduction Amount 0 … 1.
void ReductionCoefs(float Amount, double& Steps, double& Inv);

// One table-lookup oscillator: an unwrapped phase accumulator in radians whose
// lookup phase the caller can scale and offset, then optional waveshaping and
// bit-depth reduction. Fields are public: the generator writes Shape directly.
class TOsc {
public:
  explicit TOsc(float SampleRate);
  virtual ~TOsc() = default;

  virtual void SetFrequency(float Value);
  // One sample; the lookup phase is Phase × PhaseScale + PhaseOffset.
  virtual float Process(float PhaseOffset, float PhaseScale);

  void SetWaveForm(std::uint8_t Value);
  void SetReduction(float Value);
  void Reset() { Phase = 0.0; }
  // The settings a segment kernel needs (uOscLanes.h).
  qvt::TOscVoice Voice() const;

  double PhaseInc = 0.0;  // radians per sample
  float Frequency = 0.0f; // Hz
  float Shape = 0.0f;     // −1 … +1, 0 = off
  float Reduction = 0.0f; // 0 … 1, 0 = off
  float SampleRate;       // Hz
  double Phase = 0.0;     // radians, never wrapped
  double ReductionSteps = 0.0;
  double ReductionInv = 0.0;
  std::uint8_t WaveForm = 0;
};
