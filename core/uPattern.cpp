// Pattern operations: the step table as a whole, and the pattern on the clipboard.
#include <algorithm>
#include <array>
#include <cmath>

#include "core/uParamTable.h"
#include "core/uPatternText.h"
#include "core/uPlugin.h"
#include "lib/uFunctions.h"
#include "platform/core/uClipboard.h"

namespace {

// The 73 semitones from three octaves down to three octaves up.
const std::array<double, 73> kSemitoneRatios = [] {
  std::array<double, 73> table{};
  for (int k = 0; k < 73; ++k) table[k] = std::pow(2.0, (k - 36) / 12.0);
  return table;
}();

double NearestSemitone(double ratio) {
  const double semitones = std::nearbyint(std::log2(ratio) * 12.0);
  // log2 of 0 is −∞: such a ratio lands on the lowest entry.
  const double k = std::clamp(std::isnan(semitones) ? 0.0 : semitones + 36.0, 0.0, 72.0);
  return kSemitoneRatios[static_cast<int>(k)];
}

} // namespace

void TPlugin::RandomiseSteps(bool quantise) {
  for (auto& step : Steps) {
    double ratio = Random.Real() + Random.Real() + Random.Real();
    if (quantise) ratio = NearestSemitone(ratio);
    step.store(static_cast<float>(ratio), std::memory_order_relaxed);
  }
}

void TPlugin::ShuffleSteps() {
  for (int i = 0; i < qvt::kNumSteps; ++i) {
    const int j = Random.Integer(qvt::kNumSteps);
    const float a = Steps[i].load(std::memory_order_relaxed);
    Steps[i].store(Steps[j].load(std::memory_order_relaxed), std::memory_order_relaxed);
    Steps[j].store(a, std::memory_order_relaxed);
  }
}

void TPlugin::RotateStepsLeft() {
  const float first = Steps[0].load(std::memory_order_relaxed);
  for (int i = 0; i < qvt::kNumSteps - 1; ++i)
    Steps[i].store(Steps[i + 1].load(std::memory_order_relaxed), std::memory_order_relaxed);
  Steps[qvt::kNumSteps - 1].store(first, std::memory_order_relaxed);
}

void TPlugin::RotateStepsRight() {
  const float last = Steps[qvt::kNumSteps - 1].load(std::memory_order_relaxed);
  for (int i = qvt::kNumSteps - 1; i > 0; --i)
    Steps[i].store(Steps[i - 1].load(std::memory_order_relaxed), std::memory_order_relaxed);
  Steps[0].store(last, std::memory_order_relaxed);
}

void TPlugin::ReverseSteps() {
  for (int i = 0; i < qvt::kNumSteps / 2; ++i) {
    const float a = Steps[i].load(std::memory_order_relaxed);
    Steps[i].store(Steps[15 - i].load(std::memory_order_relaxed), std::memory_order_relaxed);
    Steps[15 - i].store(a, std::memory_order_relaxed);
  }
}

void TPlugin::TransposeSteps(double semitones) {
  const double factor = std::pow(2.0, semitones / 12.0);
  for (auto& step : Steps)
    step.store(static_cast<float>(step.load(std::memory_order_relaxed) * factor),
               std::memory_order_relaxed);
}

void TPlugin::CopyPattern() {
  float values[qvt::kPatternValueCount];
  for (int i = 0; i < qvt::kPatternValueCount; ++i) values[i] = EditBuffer.Value(piPatternSpeed + i);
  SetClipboardText(qvt::FormatPatternText(values));
}

void TPlugin::PastePattern() {
  if (!ClipboardHasText()) return;
  const std::vector<double> values = qvt::ParsePatternText(GetClipboardText());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int index = piPatternSpeed + static_cast<int>(i);
    EditBuffer.SetValue(index, static_cast<float>(values[i]));
    if (index >= piStep1)
      Steps[index - piStep1].store(static_cast<float>(qvt::StepRatioFromValue(values[i])),
                              std::memory_order_relaxed);
  }
}

bool TPlugin::ClipboardHasPattern() {
  return ClipboardHasText() && qvt::ContainsPatternHeader(GetClipboardText());
}
