#include "core/uParamTable.h"

#include <array>

#include "lib/uGlobals.h"

namespace qvt {

namespace {

using D = TParamDisplay;
using C = TParamCurve;
using R = TRandomRule;

constexpr std::uint8_t kFreq = rgAll | rgFrequency;
constexpr std::uint8_t kWave = rgAll | rgWaveform;
constexpr std::uint8_t kFilter = rgAll | rgFilter;
constexpr std::uint8_t kFx = rgAll | rgFx;

constexpr TParamInfo Step(const char* name) {
  return {name, "", D::StepRatio, C::StepRatio, R::Uniform, rgNone};
}
constexpr TParamInfo kRandomButton = {"Random parametrs", "", D::Random, C::None, R::Uniform,
                                      rgNone};

// Index order. A stored value's random draw, and the buttons that draw it, are
// the last two columns; the pattern's steps are drawn by the pattern operations.
constexpr std::array<TParamInfo, kNumParams> kParams = {{
    {"Generation Scheme", "", D::Scheme, C::Scheme, R::Uniform, rgAll},
    {"Osc1 Level", "%", D::Percent, C::Percent, R::Uniform, kFreq},
    {"Osc2 Level", "%", D::Percent, C::Percent, R::Uniform, kFreq},
    {"Osc3 Level", "%", D::Percent, C::Percent, R::Uniform, rgAll},
    {"Osc1 Offset", "Hz", D::OffsetHz, C::OffsetHz, R::Uniform, kFreq},
    {"Osc2 Offset", "Hz", D::OffsetHz, C::OffsetHz, R::Uniform, kFreq},
    {"Osc3 Offset", "Hz", D::OffsetHz, C::OffsetHz, R::Uniform, kFreq},
    {"Osc1 Ratio", "", D::Ratio, C::Ratio, R::LowRatio, kFreq},
    {"Osc2 Ratio", "", D::Ratio, C::Ratio, R::LowRatio, kFreq},
    {"Osc3 Ratio", "", D::Ratio, C::Ratio, R::LowRatio, kFreq},
    {"Osc1 Waveform", "", D::Waveform, C::None, R::Waveform, kWave},
    {"Osc2 Waveform", "", D::Waveform, C::None, R::Waveform, kWave},
    {"Osc3 Waveform", "", D::Waveform, C::None, R::Waveform, kWave},
    {"Osc1 Seq", "", D::OnOff, C::None, R::Uniform, rgAll},
    {"Osc2 Seq", "", D::OnOff, C::None, R::Uniform, rgAll},
    {"Osc3 Seq", "", D::OnOff, C::None, R::Uniform, rgAll},
    {"Osc1 XY-pad", "", D::XyReduction, C::Percent, R::Uniform, kWave},
    {"Osc2 XY-pad", "", D::XyReduction, C::Percent, R::Uniform, kWave},
    {"Osc3 XY-pad", "", D::XyReduction, C::Percent, R::Uniform, kWave},
    {"Osc1 XY-pad", "", D::XyShape, C::PlusMinus, R::Uniform, kWave},
    {"Osc2 XY-pad", "", D::XyShape, C::PlusMinus, R::Uniform, kWave},
    {"Osc3 XY-pad", "", D::XyShape, C::PlusMinus, R::Uniform, kWave},
    {"Space 3D Depth", "%", D::Percent, C::Percent, R::Uniform, rgAll},
    {"Space Unison", "%", D::PlusMinus, C::PlusMinus, R::Uniform, rgAll},
    {"Filter Lowpass Cuttoff", "Hz", D::LowPassHz, C::LowPassHz, R::Uniform, kFilter},
    {"Filter Highpass Cuttoff", "Hz", D::HighPassHz, C::HighPassHz, R::Uniform, kFilter},
    {"Filter Lowpass Type", "", D::FilterType, C::None, R::FilterType, kFilter},
    {"Filter Highpass Type", "", D::FilterType, C::None, R::FilterType, kFilter},
    {"MainOsc Attack Time", "Ms", D::Milliseconds, C::EnvelopeMs, R::Uniform, rgAll},
    {"MainOsc Release Time", "Ms", D::Milliseconds, C::EnvelopeMs, R::Uniform, rgAll},
    {"Pipe Filter", "", D::OnOff, C::None, R::Uniform, rgAll},
    {"Pipe Filter Feedback", "%", D::Percent, C::Percent, R::Uniform, rgAll},
    {"Pipe Feedback Invert", "", D::OnOff, C::None, R::Uniform, rgAll},
    {"Pipe Mode", "", D::OnOff, C::None, R::Uniform, rgAll},
    {"Pipe Offset", "Hz", D::OffsetHz, C::OffsetHz, R::Uniform, kFreq},
    {"Pipe Ratio", "", D::Blank, C::Ratio, R::LowRatio, kFreq},
    {"Pipe Space Unison", "%", D::PlusMinus, C::PlusMinus, R::Uniform, rgAll},
    {"Flanger", "", D::OnOff, C::None, R::Uniform, kFx},
    {"Flanger LFO Waveform", "", D::FlangerWave, C::None, R::Uniform, kFx},
    {"Flanger LFO Rate", "Hz", D::FlangerRate, C::FlangerRateHz, R::Uniform, kFx},
    {"Flanger LFO Depth", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Flanger Lowpass Cuttoff", "Hz", D::FlangerCutoff, C::FlangerCutoffHz, R::Uniform, kFx},
    {"Flanger Time", "Ms", D::FlangerTime, C::FlangerTimeMs, R::Uniform, kFx},
    {"Flanger Feedback", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Flanger Level", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Reverberator", "", D::OnOff, C::None, R::Uniform, kFx},
    {"Reverberator Time", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Reverberator Stereo Width", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Reverberator Dry Level", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Reverberator Wet Level", "%", D::Percent, C::Percent, R::Uniform, kFx},
    {"Reverberator Highpass Cuttoff", "Hz", D::LowPassHz, C::LowPassHz, R::Uniform, kFx},
    {"Reverberator Lowpass Cuttoff", "Hz", D::HighPassHz, C::HighPassHz, R::Uniform, kFx},
    {"Pattern Speed", "", D::Blank, C::Steps, R::Speed, rgAll},
    {"Pattern Portamento", "%", D::Percent, C::Percent, R::Uniform, rgAll},
    Step("Pattern Step1"),
    Step("Pattern Step2"),
    Step("Pattern Step3"),
    Step("Pattern Step4"),
    Step("Pattern Step5"),
    Step("Pattern Step6"),
    Step("Pattern Step7"),
    Step("Pattern Step8"),
    Step("Pattern Step9"),
    Step("Pattern Step10"),
    Step("Pattern Step11"),
    Step("Pattern Step12"),
    Step("Pattern Step13"),
    Step("Pattern Step14"),
    Step("Pattern Step15"),
    Step("Pattern Step16"),
    {"Use root note A4", "", D::OnOff, C::None, R::Uniform, rgNone},
    {"Loop", "", D::OnOff, C::None, R::Uniform, rgNone},
    kRandomButton,
    kRandomButton,
    kRandomButton,
    kRandomButton,
    kRandomButton,
    kRandomButton,
    {"Osc1 XY-pad", "", D::XyPad, C::None, R::Uniform, rgNone},
    {"Osc2 XY-pad", "", D::XyPad, C::None, R::Uniform, rgNone},
    {"Osc3 XY-pad", "", D::XyPad, C::None, R::Uniform, rgNone},
}};

static_assert(kParams.size() == piCount);

constexpr TParamInfo kUnknown = {"unknown", "", D::Blank, C::None, R::Uniform, rgNone};

} // namespace

const TParamInfo& ParamInfo(int index) {
  return index >= 0 && index < kNumParams ? kParams[static_cast<std::size_t>(index)] : kUnknown;
}

std::uint8_t RandomGroupOf(int buttonIndex) {
  switch (buttonIndex) {
  case piRandomAll: return rgAll;
  case piRandomFrequency: return rgFrequency;
  case piRandomWaveform: return rgWaveform;
  case piRandomFilter: return rgFilter;
  case piRandomFx: return rgFx;
  default: return rgNone;
  }
}

} // namespace qvt
