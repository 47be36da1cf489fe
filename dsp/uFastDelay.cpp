#include "dsp/uFastDelay.h"

#include "dsp/uDspClassesCommon.h"
#include "lib/uGlobals.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void TFastDelay::ProcessStereo(TFastDelay& Left, TFastDelay& Right, float* SignalLeft,
                               float* SignalRight, const float* DelaysLeft,
                               const float* DelaysRight, int Count) {
  int n = 0;
#if defined(__SSE2__)
  if (Left.Length == Right.Length && Left.WritePos == Right.WritePos) {
    const int length = Left.Length;
    const __m128d lengthD = _mm_set1_pd(length), half = _mm_set1_pd(0.5);
    const __m128i lengthI = _mm_set1_epi32(length), one = _mm_set1_epi32(1);
    const __m128d gain = _mm_set_pd(Right.FeedbackGain, Left.FeedbackGain);
    float* const bufferL = Left.Buffer.data();
    float* const bufferR = Right.Buffer.data();
    for (; n < Count; ++n) {
      if (DelaysLeft) {
        Left.SetDelay(DelaysLeft[n]);
        Right.SetDelay(DelaysRight[n]);
      }
      if (!(Left.Delay >= kExactInDouble && Right.Delay >= kExactInDouble)) {
        SignalLeft[n] = Left.Process(SignalLeft[n]);
        SignalRight[n] = Right.Process(SignalRight[n]);
        continue;
      }
      const int w = Left.WritePos;
      // The read position in (0, Length], its index and fraction (see Process).
      __m128d r = _mm_sub_pd(_mm_set1_pd(w), _mm_set_pd(Right.Delay, Left.Delay));
      r = _mm_add_pd(r, _mm_and_pd(_mm_cmple_pd(r, _mm_setzero_pd()), lengthD));
      const __m128i i = _mm_cvtpd_epi32(_mm_sub_pd(r, half));
      const __m128d frac = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_sub_pd(r, _mm_cvtepi32_pd(i))));
      // Taps i − 1 … i + 2 modulo Length.
      __m128i k = _mm_sub_epi32(i, one);
      k = _mm_add_epi32(k, _mm_and_si128(_mm_cmplt_epi32(k, _mm_setzero_si128()), lengthI));
      k = _mm_sub_epi32(k, _mm_andnot_si128(_mm_cmplt_epi32(k, lengthI), lengthI));
      __m128d tap[4];
      for (int j = 0; j < 4; ++j) {
        const int kl = _mm_cvtsi128_si32(k), kr = _mm_cvtsi128_si32(_mm_srli_si128(k, 4));
        tap[j] = _mm_set_pd(bufferR[kr], bufferL[kl]);
        k = _mm_add_epi32(k, one);
        k = _mm_andnot_si128(_mm_cmpeq_epi32(k, lengthI), k);
      }
      const __m128d c = _mm_mul_pd(half, _mm_sub_pd(tap[2], tap[0]));
      const __m128d v = _mm_sub_pd(tap[1], tap[2]);
      const __m128d wv = _mm_add_pd(c, v);
      const __m128d a = _mm_add_pd(_mm_add_pd(wv, v), _mm_mul_pd(half, _mm_sub_pd(tap[3], tap[1])));
      const __m128d b = _mm_add_pd(wv, a);
      const __m128d y = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_add_pd(
          _mm_mul_pd(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(_mm_mul_pd(a, frac), b), frac), c), frac),
          tap[1])));
      const __m128d in = _mm_set_pd(SignalRight[n], SignalLeft[n]);
      const __m128 fed = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(y, gain), in));
      bufferL[w] = qvt::FlushDenormal(_mm_cvtss_f32(fed));
      bufferR[w] = qvt::FlushDenormal(_mm_cvtss_f32(_mm_shuffle_ps(fed, fed, 1)));
      const int next = w + 1 >= length ? 0 : w + 1;
      Left.WritePos = next;
      Right.WritePos = next;
      SignalLeft[n] = static_cast<float>(_mm_cvtsd_f64(y));
      SignalRight[n] = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(y, y)));
    }
    return;
  }
#endif
  for (; n < Count; ++n) {
    if (DelaysLeft) {
      Left.SetDelay(DelaysLeft[n]);
      Right.SetDelay(DelaysRight[n]);
    }
    SignalLeft[n] = Left.Process(SignalLeft[n]);
    SignalRight[n] = Right.Process(SignalRight[n]);
  }
}
