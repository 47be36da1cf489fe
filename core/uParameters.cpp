#include "core/uParameters.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "core/uParamTable.h"
#include "dsp/uSynthFilter.h"
#include "lib/uFunctions.h"
#include "lib/uGlobals.h"

namespace qvt {

namespace {

constexpr std::array<const char*, 6> kRandomTexts = {"All",      "Sequencer", "Frequency",
                                                     "Waveform", "Filter",    "Fx"};

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

// The pad's pair of stored values: the reduction and, three above it, the shape.
constexpr int kShapeAfterReduction = piOsc1Shape - piOsc1Reduction;

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

std::string ParameterName(int index) { return ParamInfo(index).Name; }

bool IsOnOffParameter(int index) { return ParamInfo(index).Display == TParamDisplay::OnOff; }

std::string ParameterLabel(int index) { return ParamInfo(index).Label; }

std::string ParameterDisplay(int index, float value, const std::function<float(int)>& valueOf) {
  if (index < 0 || index >= kNumParams) return " ";
  const long double v = value;
  switch (ParamInfo(index).Display) {
  case TParamDisplay::Scheme: return Integer(RoundHalfEven(v * 10));
  case TParamDisplay::Percent: return Integer(RoundHalfEven(v * 100));
  case TParamDisplay::PlusMinus: return Integer(Truncated(v * 200 - 100));
  case TParamDisplay::OffsetHz: return FormatFixed(OffsetFromValue(v), 2);
  case TParamDisplay::Ratio: return FormatFixed(RatioFromValue(value), 4);
  case TParamDisplay::StepRatio: return FormatFixed(StepRatioFromValue(value), 4);
  case TParamDisplay::Waveform: return kOscTypeText[RoundedClamped(v * 10, 0, 3)];
  case TParamDisplay::OnOff: return v > 0.5L ? "on" : "off";
  case TParamDisplay::FilterType: return kFilterKindText[RoundedClamped(v * 100, 0, kFilterKindCount - 1)];
  case TParamDisplay::FlangerWave: return v > 0.5L ? "Sine" : "Triangle";
  case TParamDisplay::LowPassHz: return FormatFixed(LowPassCurveHz(value), 0);
  case TParamDisplay::HighPassHz: return FormatFixed(HighPassCurveHz(value), 0);
  case TParamDisplay::FlangerCutoff: return FormatFixed(FlangerCutoffHz(value), 0);
  case TParamDisplay::FlangerRate: return FormatFixed(FlangerRateHz(v), 1);
  case TParamDisplay::FlangerTime: return FormatFixed(FlangerTimeMs(value), 1);
  case TParamDisplay::Milliseconds: return FormatFixed(12000 * v, 0);
  case TParamDisplay::XyReduction: return XyText(v, valueOf(index + kShapeAfterReduction));
  case TParamDisplay::XyShape: return XyText(valueOf(index - kShapeAfterReduction), v);
  case TParamDisplay::XyPad: {
    const int reduction = piOsc1Reduction + (index - piOsc1XyPad);
    return XyText(valueOf(reduction), valueOf(reduction + kShapeAfterReduction));
  }
  case TParamDisplay::Random: return kRandomTexts[static_cast<std::size_t>(index - piRandomAll)];
  case TParamDisplay::Blank: return " ";
  }
  return " ";
}

} // namespace qvt
