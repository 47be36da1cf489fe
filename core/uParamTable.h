// The 81 host parameters: their indices by name, and one record each that says
// how the parameter is named, shown, written in bank text and drawn at random.
#pragma once

#include <cstdint>

// The host's parameter indices. 0…71 are stored in programs; 72…80 exist only
// for the host: the random buttons and the three XY-pads shown as one text.
enum TParamIndex : int {
  piGenerationScheme,
  piOsc1Level,
  piOsc2Level,
  piOsc3Level,
  piOsc1Offset,
  piOsc2Offset,
  piOsc3Offset,
  piOsc1Ratio,
  piOsc2Ratio,
  piOsc3Ratio,
  piOsc1Waveform,
  piOsc2Waveform,
  piOsc3Waveform,
  piOsc1Seq, // the operator follows the pattern's step ratios
  piOsc2Seq,
  piOsc3Seq,
  piOsc1Reduction, // the XY-pad's X: bit reduction
  piOsc2Reduction,
  piOsc3Reduction,
  piOsc1Shape, // the XY-pad's Y: wave shaping
  piOsc2Shape,
  piOsc3Shape,
  piStereoWidth, // "Space 3D Depth"
  piDetune,      // "Space Unison"
  piFilterLowpassCutoff,
  piFilterHighpassCutoff,
  piFilterLowpassType,
  piFilterHighpassType,
  piAttackTime,
  piReleaseTime,
  piPipe,
  piPipeFeedback,
  piPipeFeedbackInvert,
  piPipeSeq, // "Pipe Mode": the pipe follows the pattern's step ratios
  piPipeOffset,
  piPipeRatio,
  piPipeSpread, // "Pipe Space Unison"
  piFlanger,
  piFlangerLfoWaveform,
  piFlangerLfoRate,
  piFlangerLfoDepth,
  piFlangerHighpassCutoff, // named "Flanger Lowpass Cuttoff"; it filters the flanger's input
  piFlangerTime,
  piFlangerFeedback,
  piFlangerLevel,
  piReverb,
  piReverbTime,
  piReverbWidth,
  piReverbDryLevel,
  piReverbWetLevel,
  piReverbLowpassCutoff,  // named "Reverberator Highpass Cuttoff"
  piReverbHighpassCutoff, // named "Reverberator Lowpass Cuttoff"
  piPatternSpeed,
  piPortamento,
  piStep1,
  piStep16 = piStep1 + 15,
  piRootA4,
  piLoop,
  piRandomAll,
  piRandomSequencer,
  piRandomFrequency,
  piRandomWaveform,
  piRandomFilter,
  piRandomFx,
  piOsc1XyPad,
  piOsc2XyPad,
  piOsc3XyPad,
  piCount
};

// How the host text of a value is formed.
enum class TParamDisplay : std::uint8_t {
  Scheme,        // 10·v, whole
  Percent,       // 100·v, whole
  PlusMinus,     // 200·v − 100, truncated
  OffsetHz,      // two decimals
  Ratio,         // four decimals
  StepRatio,     // four decimals
  Waveform,      // the oscillator type's name
  OnOff,         // "on" / "off"
  FilterType,    // "Filter Off", "Biquad", "Butterworth", "Chebyshev"
  FlangerWave,   // "Sine" / "Triangle"
  LowPassHz,     // whole hertz
  HighPassHz,    // whole hertz
  FlangerCutoff, // whole hertz
  FlangerRate,   // one decimal
  FlangerTime,   // one decimal
  Milliseconds,  // 12000·v, whole
  XyReduction,   // the pad's text, from this value and the shape three above
  XyShape,       // the pad's text, from the reduction three below and this value
  XyPad,         // the pad's text, from the two stored values
  Random,        // the button's caption
  Blank          // " "
};

// The curve between a stored value and the unit written in bank text
// ("440 Hz", "7 st", "50 %"); the words of the choices come from the display kind.
enum class TParamCurve : std::uint8_t {
  None,
  Percent,         // n % = 100·v
  PlusMinus,       // n % = 200·v − 100
  OffsetHz,        // 10999.98·v − 999.99
  Ratio,           // n x = 64·v
  StepRatio,       // n x = 0.02·1000^v, or n semitones
  LowPassHz,       // 320·62.5^v
  HighPassHz,      // 20·150^v
  FlangerCutoffHz, // 20·1000^v
  FlangerRateHz,   // 9.75·v² + 0.25
  EnvelopeMs,      // 12000·v
  FlangerTimeMs,   // 25·v + 5
  Scheme,          // "scheme n" = n/10
  Steps            // "n steps" = n/100
};

// How the random buttons draw a value.
enum class TRandomRule : std::uint8_t {
  Uniform,    // anywhere in [0, 1)
  LowRatio,   // 0.3 × the mean of three draws: ratios up to 19.2, mostly low
  Waveform,   // one of the four oscillator types
  FilterType, // one of the four filter types
  Speed       // 0…7 steps per beat
};

// The random buttons that draw a parameter (bits).
enum TRandomGroup : std::uint8_t {
  rgNone = 0,
  rgAll = 1,
  rgFrequency = 2,
  rgWaveform = 4,
  rgFilter = 8,
  rgFx = 16
};

struct TParamInfo {
  const char* Name;  // the host's name, duplicates and typos included
  const char* Label; // the unit shown beside the display text
  TParamDisplay Display;
  TParamCurve Curve;
  TRandomRule Random;
  std::uint8_t Groups; // TRandomGroup bits
};

namespace qvt {

// The record of parameter `index`; a blank record outside 0…80.
const TParamInfo& ParamInfo(int index);

// The group of a random button (piRandomAll … piRandomFx); rgNone for the pattern's button.
std::uint8_t RandomGroupOf(int buttonIndex);

} // namespace qvt
