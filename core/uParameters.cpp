#include "core/uParameters.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "lib/uFunctions.h"
#include "lib/uGlobals.h"

namespace qvt {

namespace {

constexpr std::array<const char*, 72> kStoredNames = {"Generation Scheme",
                                                      "Osc1 Level",
                                                      "Osc2 Level",
                                                      "Osc3 Level",
                                                      "Osc1 Offset",
                                                      "Osc2 Offset",
                                                      "Osc3 Offset",
                                                      "Osc1 Ratio",
                                                      "Osc2 Ratio",
                                                      "Osc3 Ratio",
                                                      "Osc1 Waveform",
                                                      "Osc2 Waveform",
                                                      "Osc3 Waveform",
                                                      "Osc1 Seq",
                                                      "Osc2 Seq",
                                                      "Osc3 Seq",
                                                      "Osc1 XY-pad",
                                                      "Osc2 XY-pad",
                                                      "Osc3 XY-pad",
                                                      "Osc1 XY-pad",
                                                      "Osc2 XY-pad",
                                                      "Osc3 XY-pad",
                                                      "Space 3D Depth",
                                                      "Space Unison",
                                                      "Filter Lowpass Cuttoff",
                                                      "Filter Highpass Cuttoff",
                                                      "Filter Lowpass Type",
                                                      "Filter Highpass Type",
                                                      "MainOsc Attack Time",
                                                      "MainOsc Release Time",
                                                      "Pipe Filter",
                                                      "Pipe Filter Feedback",
                                                      "Pipe Feedback Invert",
                                                      "Pipe Mode",
                                                      "Pipe Offset",
                                                      "Pipe Ratio",
                                                      "Pipe Space Unison",
                                                      "Flanger",
                                                      "Flanger LFO Waveform",
                                                      "Flanger LFO Rate",
                                                      "Flanger LFO Depth",
                                                      "Flanger Lowpass Cuttoff",
                                                      "Flanger Time",
                                                      "Flanger Feedback",
                                                      "Flanger Level",
                                                      "Reverberator",
                                                      "Reverberator Time",
                                                      "Reverberator Stereo Width",
                                                      "Reverberator Dry Level",
                                                      "Reverberator Wet Level",
                                                      "Reverberator Highpass Cuttoff",
                                                      "Reverberator Lowpass Cuttoff",
                                                      "Pattern Speed",
                                                      "Pattern Portamento",
                                                      "Pattern Step1",
                                                      "Pattern Step2",
                                                      "Pattern Step3",
                                                      "Pattern Step4",
                                                      "Pattern Step5",
                                                      "Pattern Step6",
                                                      "Pattern Step7",
                                                      "Pattern Step8",
                                                      "Pattern Step9",
                                                      "Pattern Step10",
                                                      "Pattern Step11",
                                                      "Pattern Step12",
                                                      "Pattern Step13",
                                                      "Pattern Step14",
                                                      "Pattern Step15",
                                                      "Pattern Step16",
                                                      "Use root note A4",
                                                      "Loop"};

constexpr std::array<const char*, 6> kRandomTexts = {"All",      "Sequencer", "Frequency",
                                                     "Waveform", "Filter",    "Fx"};
constexpr std::array<const char*, 4> kFilterTypeTexts = {"Filter Off", "Biquad", "Butterworth",
                                                         "Chebyshev"};

enum class Kind {
  Scheme,
  Percent,
  OffsetHz,
  Ratio,
  Waveform,
  OnOff,
  XyReduction,
  XyShape,
  PlusMinus,
  LowPassCurve,
  HighPassCurve,
  FilterType,
  Milliseconds,
  Blank,
  FlangerWave,
  FlangerRate,
  FlangerCutoff,
  FlangerTime,
  StepRatio,
  Random,
  XyEditor
};

Kind KindOf(int index) {
  switch (index) {
  case 0: return Kind::Scheme;
  case 4:
  case 5:
  case 6:
  case 34: return Kind::OffsetHz;
  case 7:
  case 8:
  case 9: return Kind::Ratio;
  case 10:
  case 11:
  case 12: return Kind::Waveform;
  case 13:
  case 14:
  case 15:
  case 30:
  case 32:
  case 33:
  case 37:
  case 45:
  case 70:
  case 71: return Kind::OnOff;
  case 16:
  case 17:
  case 18: return Kind::XyReduction;
  case 19:
  case 20:
  case 21: return Kind::XyShape;
  case 23:
  case 36: return Kind::PlusMinus;
  case 24:
  case 50: return Kind::LowPassCurve;
  case 25:
  case 51: return Kind::HighPassCurve;
  case 26:
  case 27: return Kind::FilterType;
  case 28:
  case 29: return Kind::Milliseconds;
  case 35:
  case 52: return Kind::Blank;
  case 38: return Kind::FlangerWave;
  case 39: return Kind::FlangerRate;
  case 41: return Kind::FlangerCutoff;
  case 42: return Kind::FlangerTime;
  default: break;
  }
  if (index >= 54 && index <= 69) return Kind::StepRatio;
  if (index >= 72 && index <= 77) return Kind::Random;
  if (index >= 78 && index <= 80) return Kind::XyEditor;
  return Kind::Percent; // 1–3, 22, 31, 40, 43, 44, 46–49, 53
}

std::string Integer(long long value) { return std::to_string(value); }

long long Truncated(long double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<long long>(std::trunc(std::clamp(value, -1.0e15L, 1.0e15L)));
}

std::string XyText(long double reduction, long double shape) {
  return "Reductor " + Integer(Truncated(reduction * 100)) + " %; Shaper " +
         Integer(Truncated(shape * 200 - 100)) + " %";
}

long long RoundedClamped(long double value, long long low, long long high) {
  return std::clamp(RoundHalfEven(value), low, high);
}

} // namespace

long long RoundHalfEven(long double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<long long>(std::nearbyint(std::clamp(value, -1.0e15L, 1.0e15L)));
}

std::string FormatFixed(long double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buffer[128];
  const auto result =
      std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "?";
  return std::string(buffer, result.ptr);
}

std::string ParameterName(int index) {
  if (index >= 0 && index < kNumStoredParams) return kStoredNames[index];
  if (index >= 72 && index <= 77) return "Random parametrs";
  if (index >= 78 && index <= 80) return kStoredNames[index - 62];
  return "unknown";
}

bool IsOnOffParameter(int index) { return KindOf(index) == Kind::OnOff; }

std::string ParameterLabel(int index) {
  switch (index) {
  case 1:
  case 2:
  case 3:
  case 22:
  case 23:
  case 31:
  case 36:
  case 40:
  case 43:
  case 44:
  case 46:
  case 47:
  case 48:
  case 49:
  case 53: return "%";
  case 4:
  case 5:
  case 6:
  case 24:
  case 25:
  case 34:
  case 39:
  case 41:
  case 50:
  case 51: return "Hz";
  case 28:
  case 29:
  case 42: return "Ms";
  default: return "";
  }
}

std::string ParameterDisplay(int index, float value, const std::function<float(int)>& valueOf) {
  if (index < 0 || index >= kNumParams) return " ";
  const long double v = value;
  switch (KindOf(index)) {
  case Kind::Scheme: return Integer(RoundHalfEven(v * 10));
  case Kind::Percent: return Integer(RoundHalfEven(v * 100));
  case Kind::OffsetHz: return FormatFixed(10999.98L * v - 999.99L, 2);
  case Kind::Ratio: return FormatFixed(64 * v, 4);
  case Kind::Waveform: return kOscTypeText[RoundedClamped(v * 10, 0, 3)];
  case Kind::OnOff: return v > 0.5L ? "on" : "off";
  case Kind::XyReduction: return XyText(v, valueOf(index + 3));
  case Kind::XyShape: return XyText(valueOf(index - 3), v);
  case Kind::PlusMinus: return Integer(Truncated(v * 200 - 100));
  case Kind::LowPassCurve: return FormatFixed(LowPassCurveHz(value), 0);
  case Kind::HighPassCurve: return FormatFixed(HighPassCurveHz(value), 0);
  case Kind::FilterType: return kFilterTypeTexts[RoundedClamped(v * 100, 0, 3)];
  case Kind::Milliseconds: return FormatFixed(12000 * v, 0);
  case Kind::Blank: return " ";
  case Kind::FlangerWave: return v > 0.5L ? "Sine" : "Triangle";
  case Kind::FlangerRate: return FormatFixed(9.75L * v * v + 0.25L, 1);
  case Kind::FlangerCutoff: return FormatFixed(FlangerCutoffHz(value), 0);
  case Kind::FlangerTime: return FormatFixed(25 * v + 5, 1);
  case Kind::StepRatio: return FormatFixed(StepRatioFromValue(value), 4);
  case Kind::Random: return kRandomTexts[index - 72];
  case Kind::XyEditor: return XyText(valueOf(index - 62), valueOf(index - 59));
  }
  return " ";
}

} // namespace qvt
