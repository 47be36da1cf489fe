#include "dsp/uFastDelay.h"

#include "dsp/uDspClassesCommon.h"
#include "lib/uGlobals.h"

#include <algorithm>
#include <cmath>

namespace {

// Delays from here up keep the read position exact in 64-bit arithmetic.
constexpr float kExactInDouble = 1.0f / 32.0f;

int LineLength(float SampleRate) {
  const double samples = std::nearbyint(double(SampleRate) / 16);
  return samples >= 1 ? static_cast<int>(std::min(samples, 16777216.0)) : 1;
}

} // namespace

TFastDelay::TFastDelay(float SampleRate)
    : Buffer(static_cast<std::size_t>(LineLength(SampleRate)), 0.0f),
      Length(LineLength(SampleRate)) {
  // At rates below 40 Hz the line is shorter than the initial delay.
  if (Delay > static_cast<float>(Length)) Delay = static_cast<float>(Length);
  Clear();
}

void TFastDelay::SetDelay(float Samples) {
  if (Samples == Delay) return;
  if (!(Samples >= 0)) // negative, −infinity and NaN
    Delay = 0;
  else if (Samples > static_cast<float>(Length))
    Delay = static_cast<float>(Length);
  else
    Delay = Samples;
}

void TFastDelay::SetFeedback(float Value) {
  if (Value == Feedback) return;
  Feedback = Value > 0.99f ? 0.99f : (Value >= 0 ? Value : 0.0f);
  UpdateGain();
}

void TFastDelay::SetInvert(bool Value) {
  if (Value == Invert) return;
  Invert = Value;
  UpdateGain();
}

void TFastDelay::UpdateGain() {
  FeedbackGain = Feedback == 0 ? 0.0f : static_cast<float>(std::pow(double(Feedback), 0.3));
  if (Invert) FeedbackGain = -FeedbackGain;
}

void TFastDelay::Clear() {
  if (Cleared) return;
  std::fill(Buffer.begin(), Buffer.end(), 0.0f);
  Cleared = true;
}

float TFastDelay::Process(float Input) {
  // Read position in (0, Length]; Delay is kept within 0 … Length.
  long long i;
  float frac;
  if (Delay >= kExactInDouble) {
    // WritePos and Length are below 2^24 and this Delay's last bit is no finer
    // than 2^-28, so the position is exact in 64 bits, exactly as it is in
    // extended precision, and the same index and fraction follow.
    double r = static_cast<double>(WritePos) - Delay;
    if (r <= 0) r += Length;
    i = std::llrint(r - 0.5);
    frac = static_cast<float>(r - static_cast<double>(i));
  } else {
    qvt::Extended r = static_cast<qvt::Extended>(WritePos) - Delay;
    if (r <= 0) r += Length;
    i = std::llrint(r - qvt::Extended(0.5));
    frac = static_cast<float>(r - static_cast<qvt::Extended>(i));
  }

  // Taps i − 1 … i + 2 modulo Length; i lies in 0 … Length.
  int k = static_cast<int>(i) - 1;
  if (k < 0) k += Length;
  if (k >= Length) k -= Length;
  const double ym1 = Buffer[static_cast<std::size_t>(k)];
  if (++k == Length) k = 0;
  const double y0 = Buffer[static_cast<std::size_t>(k)];
  if (++k == Length) k = 0;
  const double y1 = Buffer[static_cast<std::size_t>(k)];
  if (++k == Length) k = 0;
  const double y2 = Buffer[static_cast<std::size_t>(k)];

  const double c = 0.5 * (y1 - ym1);
  const double v = y0 - y1;
  const double w = c + v;
  const double a = w + v + 0.5 * (y2 - y0);
  const double b = w + a;
  const float y = static_cast<float>(((a * frac - b) * frac + c) * frac + y0);

  Buffer[static_cast<std::size_t>(WritePos)] =
      qvt::FlushDenormal(static_cast<float>(double(y) * FeedbackGain + Input));
  if (++WritePos >= Length) WritePos = 0;
  return y;
}
