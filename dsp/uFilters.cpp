#include "dsp/uFilters.h"

#include "lib/uGlobals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using qvt::Extended;
using qvt::operator""_x;
using Ext = Extended; // coefficient mathematics runs in extended precision

constexpr Ext kPi = std::numbers::pi_v<Ext>;
constexpr double kDenormalOffset = 1e-32; // keeps the cascade recursion out of denormals
constexpr double kMaxW0 = 3.1;            // radians per sample
constexpr int kMinOrder = 1;
constexpr int kMaxOrder = 2 * kMaxFilterSections;

// (ln 2)/2, used by the bandwidth-to-alpha conversion.
const double kLn22 = std::log(2.0_x) * 0.5_x;

Ext Sinh(Ext x) { return x == 0.0_x ? 0.0_x : (std::exp(x) - std::exp(-x)) * 0.5_x; }
Ext Cosh(Ext x) { return (std::exp(x) + std::exp(-x)) * 0.5_x; }
Ext ArcSinh(Ext x) { return std::log(x + std::sqrt(x * x + 1.0_x)); }

// One second-order section of a cascade (see the recurrence in the header).
inline double RunSection(const double* c, double* s, double x) {
  const double y = c[0] * x + s[0];
  s[0] = c[2] * y + s[1] + c[1] * x;
  s[1] = c[3] * y + c[0] * x;
  return y;
}

// The biquad's pole radius term (1 − α)/(1 + α); an infinite α (a cutoff on
// the Nyquist frequency, where sin W0 vanishes) takes its limit −1 instead of
// NaN.
double PoleTerm(double alpha, double k) {
  return std::isinf(alpha) ? -1.0 : static_cast<double>((1.0_x - alpha) * k);
}

} // namespace

namespace qvt {
double FilterDbToGain(double x) { return x < -144.0 ? 0.0 : std::exp(0.115129254_x * x); }
} // namespace qvt

// ---------------------------------------------------------------- TFilter

TFilter::TFilter(float /*SampleRate*/) { Ready = false; }

void TFilter::SetBandwidth(double /*Value*/) {}
void TFilter::SetFrequency(double /*Value*/) { Ready = true; }
void TFilter::SetGain(double /*Value*/) {}
void TFilter::SetOrder(int /*Value*/) {}
void TFilter::SetSampleRate(float /*Value*/) {}
double TFilter::ProcessSample(double Input) { return Input; }

// ------------------------------------------------------------ TBaseFilter

TBaseFilter::TBaseFilter(float SampleRate) : TFilter(SampleRate) {
  SetSampleRate(SampleRate == 0.0f ? 44100.0f : SampleRate);
  GainDB = 0.0;
  GainFactor = 1.0;
  Frequency = 1000.0;
  Bandwidth = 1.0;
  Order = 2;
  CalcW0();
}

void TBaseFilter::SetSampleRate(float Value) {
  if (Value == SampleRate) return;
  SampleRate = Value;
  SampleRateInv = static_cast<double>(1.0_x / Value);
}

void TBaseFilter::SetFrequency(double Value) {
  if (Value != Frequency) Frequency = Value <= 0.0 ? 1.0 : Value;
  CalcW0();
  CalcCoefficients();
  Ready = true;
}

void TBaseFilter::SetBandwidth(double Value) {
  Bandwidth = Value <= 0.0 ? 0.01 : Value;
  CalcAlpha();
  CalcCoefficients();
}

void TBaseFilter::SetGain(double Value) {
  GainDB = Value;
  GainFactor = qvt::FilterDbToGain(0.5 * Value);
  CalcCoefficients();
}

void TBaseFilter::CalcW0() {
  W0 = static_cast<double>(2.0_x * kPi * Frequency * SampleRateInv);
  SinW0 = std::sin(W0);
  if (W0 > kMaxW0) W0 = kMaxW0;
  CalcAlpha();
}

void TBaseFilter::CalcAlpha() {
  if (SinW0 == 0.0) {
    Alpha = SinW0 / (2.0 * Bandwidth);
    return;
  }
  const Ext x = std::cos(W0 * 0.5_x) * kLn22 * Bandwidth * W0 / SinW0;
  Alpha = static_cast<double>(Sinh(x) * SinW0);
}

double TBaseFilter::ProcessSample(double Input) {
  const double y = B[0] * Input + State[0];
  State[0] = B[1] * Input - A[0] * y + State[1];
  State[1] = B[2] * Input - A[1] * y;
  return y;
}

void TBiquadLP::CalcCoefficients() {
  const double k = static_cast<double>(1.0_x / (1.0_x + Alpha));
  const Ext c = std::cos(static_cast<Ext>(W0));
  const Ext G2 = static_cast<Ext>(GainFactor) * GainFactor;
  B[0] = static_cast<double>(G2 * (1.0_x - c) * 0.5_x * k);
  B[1] = 2.0 * B[0];
  B[2] = B[0];
  A[0] = static_cast<double>(-2.0_x * c * k);
  A[1] = PoleTerm(Alpha, k);
}

void TBiquadHP::CalcCoefficients() {
  const double k = static_cast<double>(1.0_x / (1.0_x + Alpha));
  const Ext c = std::cos(static_cast<Ext>(W0));
  const Ext G2 = static_cast<Ext>(GainFactor) * GainFactor;
  B[0] = static_cast<double>(G2 * (1.0_x + c) * 0.5_x * k);
  B[1] = -2.0 * B[0];
  B[2] = B[0];
  A[0] = static_cast<double>(-2.0_x * c * k);
  A[1] = PoleTerm(Alpha, k);
}

// ----------------------------------------------------- TButterworthFilter

TButterworthFilter::TButterworthFilter(float SampleRate) : TBaseFilter(SampleRate) {
  Order = 10;
  for (auto& s : SectionState) s[0] = s[1] = 0.0;
  // The coefficients are computed by the concrete low-pass or high-pass
  // constructor, once its CalcCoefficients is in effect.
}

void TButterworthFilter::SetOrder(int Value) {
  if (Value == Order) return;
  Order = std::clamp(Value, kMinOrder, kMaxOrder);
  CalcCoefficients();
}

void TButterworthFilter::SetGain(double Value) {
  GainDB = Value;
  GainFactor = static_cast<double>(std::exp(Value * 0.057564627325_x));
  CalcCoefficients();
}

double TButterworthFilter::RunCascade(double Input, bool Highpass) {
  const int h = Order / 2;
  double x = Input + kDenormalOffset;
  for (int k = h - 1; k >= 0; --k) x = RunSection(SectionCoefs[k], SectionState[k], x);
  if (Order % 2 != 0) {
    const double* c = SectionCoefs[h];
    double& s0 = SectionState[h][0];
    const double u = c[0] * x;
    const double y = u + s0;
    s0 = Highpass ? c[2] * y - u : u + c[2] * y;
    x = y;
  }
  return x - kDenormalOffset;
}

void TButterworthFilter::ProcessStereo(TButterworthFilter& Left, TButterworthFilter& Right,
                                       bool Highpass, double* SignalLeft, double* SignalRight,
                                       int Count) {
#if defined(__SSE2__)
  if (Left.Order == Right.Order) {
    const int h = Left.Order / 2;
    const bool odd = Left.Order % 2 != 0;
    const int sections = h + (odd ? 1 : 0);
    __m128d c[kMaxFilterSections][4], s[kMaxFilterSections][2];
    for (int k = 0; k < sections; ++k) {
      for (int j = 0; j < 4; ++j)
        c[k][j] = _mm_set_pd(Right.SectionCoefs[k][j], Left.SectionCoefs[k][j]);
      for (int j = 0; j < 2; ++j)
        s[k][j] = _mm_set_pd(Right.SectionState[k][j], Left.SectionState[k][j]);
    }
    const __m128d offset = _mm_set1_pd(kDenormalOffset);
    for (int n = 0; n < Count; ++n) {
      __m128d x = _mm_add_pd(_mm_set_pd(SignalRight[n], SignalLeft[n]), offset);
      for (int k = h - 1; k >= 0; --k) { // RunSection in two lanes
        const __m128d y = _mm_add_pd(_mm_mul_pd(c[k][0], x), s[k][0]);
        s[k][0] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(c[k][2], y), s[k][1]), _mm_mul_pd(c[k][1], x));
        s[k][1] = _mm_add_pd(_mm_mul_pd(c[k][3], y), _mm_mul_pd(c[k][0], x));
        x = y;
      }
      if (odd) {
        const __m128d u = _mm_mul_pd(c[h][0], x);
        const __m128d y = _mm_add_pd(u, s[h][0]);
        const __m128d cy = _mm_mul_pd(c[h][2], y);
        s[h][0] = Highpass ? _mm_sub_pd(cy, u) : _mm_add_pd(u, cy);
        x = y;
      }
      x = _mm_sub_pd(x, offset);
      _mm_storel_pd(SignalLeft + n, x);
      _mm_storeh_pd(SignalRight + n, x);
    }
    for (int k = 0; k < sections; ++k)
      for (int j = 0; j < 2; ++j) {
        _mm_storel_pd(&Left.SectionState[k][j], s[k][j]);
        _mm_storeh_pd(&Right.SectionState[k][j], s[k][j]);
      }
    return;
  }
#endif
  for (int n = 0; n < Count; ++n) SignalLeft[n] = Left.RunCascade(SignalLeft[n], Highpass);
  for (int n = 0; n < Count; ++n) SignalRight[n] = Right.RunCascade(SignalRight[n], Highpass);
}

TButterworthLP::TButterworthLP(float SampleRate) : TButterworthFilter(SampleRate) {
  CalcCoefficients();
}

double TButterworthLP::ProcessSample(double Input) { return RunCascade(Input, false); }

void TButterworthLP::CalcCoefficients() {
  const int n = Order;
  const int h = n / 2;
  const Ext K = std::tan(W0 * 0.5_x);
  const Ext K2 = K * K;
  for (int i = 0; i < h; ++i) {
    double* c = SectionCoefs[i];
    const Ext t = -2.0_x * std::cos(kPi * (2 * i + n + 1) / (2 * n)) * K;
    const Ext g = 1.0_x / (K2 + t + 1.0_x);
    c[0] = static_cast<double>(g * K2);
    c[1] = 2.0 * c[0];
    c[2] = static_cast<double>(-2.0_x * (K2 - 1.0_x) * g);
    c[3] = static_cast<double>((t - K2 - 1.0_x) * g);
  }
  if (n % 2 != 0) {
    double* c = SectionCoefs[h];
    const Ext g = 1.0_x / (K + 1.0_x);
    c[0] = static_cast<double>(K * g);
    c[1] = c[0];
    c[2] = static_cast<double>((1.0_x - K) * g);
  }
  const Ext G2 = static_cast<Ext>(GainFactor) * GainFactor;
  SectionCoefs[0][0] = static_cast<double>(SectionCoefs[0][0] * G2);
  SectionCoefs[0][1] = static_cast<double>(SectionCoefs[0][1] * G2);
}

TButterworthHP::TButterworthHP(float SampleRate) : TButterworthFilter(SampleRate) {
  CalcCoefficients();
}

double TButterworthHP::ProcessSample(double Input) { return RunCascade(Input, true); }

void TButterworthHP::CalcCoefficients() {
  const int n = Order;
  const int h = n / 2;
  const Ext K = std::tan(W0 * 0.5_x);
  const Ext K2 = K * K;
  for (int i = 0; i < h; ++i) {
    double* c = SectionCoefs[i];
    const Ext t = -2.0_x * std::cos(kPi * (2 * i + n + 1) / (2 * n)) * K;
    const Ext g = 1.0_x / (K2 + t + 1.0_x);
    c[0] = static_cast<double>(g);
    c[1] = static_cast<double>(-2.0_x * g);
    c[2] = static_cast<double>(-2.0_x * (K2 - 1.0_x) * g);
    c[3] = static_cast<double>((t - K2 - 1.0_x) * g);
  }
  if (n % 2 != 0) {
    double* c = SectionCoefs[h];
    const Ext g = 1.0_x / (K + 1.0_x);
    c[0] = static_cast<double>(g);
    c[1] = c[0];
    c[2] = static_cast<double>((1.0_x - K) * g);
  }
  const Ext G2 = static_cast<Ext>(GainFactor) * GainFactor;
  SectionCoefs[0][0] = static_cast<double>(SectionCoefs[0][0] * G2);
  SectionCoefs[0][1] = static_cast<double>(SectionCoefs[0][1] * G2);
}

// ------------------------------------------------------ TChebyshev1Filter

TChebyshev1Filter::TChebyshev1Filter(float SampleRate) : TBaseFilter(SampleRate) {
  Order = 10;
  Ripple = 1.0;
  State[0] = State[1] = 0.0;
  // CalcRipple does not run here: CoshSq and SinhV stay 0 until the first
  // effective SetFrequency or SetRipple, and the filter is not Ready until
  // then. The concrete class computes the coefficients.
}

void TChebyshev1Filter::SetFrequency(double Value) {
  if (Value == Frequency) return;
  // A cutoff at or below 0 would put the poles outside the unit circle.
  Frequency = Value <= 0.0 ? 1.0 : Value;
  CalcW0();
  CalcRipple();
  CalcCoefficients();
  Ready = true;
}

void TChebyshev1Filter::SetRipple(double Value) {
  // The design needs ε > 0; anything else would leave NaN coefficients.
  if (Value == Ripple || !(Value > 0.0) || std::isinf(Value)) return;
  Ripple = Value;
  CalcRipple();
  CalcCoefficients();
}

void TChebyshev1Filter::CalcRipple() {
  const Ext v = ArcSinh(1.0_x / Ripple) / Order;
  SinhV = static_cast<double>(Sinh(v));
  const Ext ch = Cosh(v);
  CoshSq = static_cast<double>(ch * ch);
  for (int i = 0; i < Order; ++i) SectionState[i / 2][i % 2] = 0.0;
}

double TChebyshev1Filter::ProcessSample(double Input) {
  double x = Input;
  for (int k = Order / 2 - 1; k >= 0; --k) x = RunSection(SectionCoefs[k], SectionState[k], x);
  return x;
}

TChebyshev1LP::TChebyshev1LP(float SampleRate) : TChebyshev1Filter(SampleRate) {
  CalcCoefficients();
}

void TChebyshev1LP::CalcCoefficients() {
  const int n = Order;
  const Ext h = 1.0_x / (2 * n);
  const Ext K = std::tan(W0 * 0.5_x);
  const Ext K2 = K * K;
  for (int i = n / 2; i >= 1; --i) {
    double* c = SectionCoefs[i - 1];
    const Ext cs = std::cos((2 * i - 1) * kPi * h);
    const Ext t = 1.0_x / (CoshSq - cs * cs);
    const Ext u = 2.0_x * cs * t * SinhV * K;
    const Ext g = 1.0_x / (u + t + K2);
    c[0] = static_cast<double>(g * K2);
    c[1] = static_cast<double>(2.0_x * g * K2);
    c[2] = static_cast<double>(2.0_x * (t - K2) * g);
    c[3] = static_cast<double>((u - t - K2) * g);
  }
  SectionCoefs[0][0] = static_cast<double>(SectionCoefs[0][0] * static_cast<Ext>(GainFactor));
  SectionCoefs[0][1] = static_cast<double>(SectionCoefs[0][1] * static_cast<Ext>(GainFactor));
}

TChebyshev1HP::TChebyshev1HP(float SampleRate) : TChebyshev1Filter(SampleRate) {
  CalcCoefficients();
}

void TChebyshev1HP::CalcCoefficients() {
  const int n = Order;
  const Ext h = 1.0_x / (4 * n);
  const Ext K = std::tan(W0 * 0.5_x);
  const Ext K2 = K * K;
  for (int i = n; i >= 2; i -= 2) {
    double* c = SectionCoefs[(i - 2) / 2];
    const Ext sn = std::sin((i - 1) * kPi * h);
    const Ext s2 = sn * sn;
    const Ext t = 1.0_x / (4.0_x * (s2 - s2 * s2) + CoshSq - 1.0_x);
    const Ext u2 = 2.0_x * (1.0_x - 2.0_x * s2) * SinhV * K * t;
    const Ext g = 1.0_x / (t * K2 + 1.0_x + u2);
    c[0] = static_cast<double>(g);
    c[1] = static_cast<double>(-2.0_x * g);
    c[2] = static_cast<double>(2.0_x * (1.0_x - t * K2) * g);
    c[3] = static_cast<double>((u2 - t * K2 - 1.0_x) * g);
  }
  SectionCoefs[0][0] = static_cast<double>(SectionCoefs[0][0] * static_cast<Ext>(GainFactor));
  SectionCoefs[0][1] = static_cast<double>(SectionCoefs[0][1] * static_cast<Ext>(GainFactor));
}
