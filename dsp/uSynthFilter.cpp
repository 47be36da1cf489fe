#include "dsp/uSynthFilter.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/uGlobals.h"

using qvt::operator""_x;

namespace {

// Added before and removed after each filter so that silence does not decay
// into denormal numbers.
constexpr qvt::Extended kDenormalOffset = 1e-24_x;

constexpr qvt::Extended kLn62_5 = 4.135166556742356_x;
constexpr qvt::Extended kLn150 = 5.010635294_x;

// Bits of TSynthFilter::PendingChanges.
constexpr std::uint32_t kLowPassCutoffChanged = 1u << 0;
constexpr std::uint32_t kHighPassCutoffChanged = 1u << 1;
constexpr std::uint32_t kLowPassKindChanged = 1u << 2;
constexpr std::uint32_t kHighPassKindChanged = 1u << 3;

// Stores Value and tells whether it differs from the value stored before.
bool Exchange(std::atomic<float>& Field, float Value) {
  return Field.exchange(Value, std::memory_order_relaxed) != Value;
}

// One filter with the offset around it; the result is held as 32-bit float.
float RunFilter(TFilter& Filter, float Input) {
  const double x = static_cast<double>(kDenormalOffset + Input);
  return static_cast<float>(Filter.ProcessSample(x) - kDenormalOffset);
}

} // namespace

namespace qvt {

int FilterKindIndex(float Value) {
  const qvt::Extended k = std::nearbyint(100.0_x * Value);
  if (!(k > 0.0_x)) return 0; // negative kinds (and NaN) mean no filter
  return k >= 3.0_x ? 3 : static_cast<int>(k);
}

float LowPassCutoffHz(float Value) {
  return static_cast<float>(320.0_x * std::exp(kLn62_5 * Value));
}

float HighPassCutoffHz(float Value) {
  return static_cast<float>(20.0_x * std::exp(kLn150 * Value));
}

} // namespace qvt

TSynthFilter::TSynthFilter(float SampleRate) : LowPassStage(SampleRate), HighPassStage(SampleRate) {
  // The stages start with biquads while the stored kinds are 0, so a later
  // kind value of 0 counts as unchanged and keeps them.
  HighPassStage.Tune(HighPassHz());
  LowPassStage.Tune(LowPassHz());
}

void TSynthFilter::SetLowPassCutoff(float Value) {
  if (Exchange(LowPassCutoff, Value))
    PendingChanges.fetch_or(kLowPassCutoffChanged, std::memory_order_release);
}

void TSynthFilter::SetHighPassCutoff(float Value) {
  if (Exchange(HighPassCutoff, Value))
    PendingChanges.fetch_or(kHighPassCutoffChanged, std::memory_order_release);
}

void TSynthFilter::SetLowPassKind(float Value) {
  if (Exchange(LowPassKind, Value))
    PendingChanges.fetch_or(kLowPassKindChanged, std::memory_order_release);
}

void TSynthFilter::SetHighPassKind(float Value) {
  if (Exchange(HighPassKind, Value))
    PendingChanges.fetch_or(kHighPassKindChanged, std::memory_order_release);
}

double TSynthFilter::LowPassHz() const {
  return qvt::LowPassCutoffHz(LowPassCutoff.load(std::memory_order_relaxed));
}

double TSynthFilter::HighPassHz() const {
  return qvt::HighPassCutoffHz(HighPassCutoff.load(std::memory_order_relaxed));
}

void TSynthFilter::ApplyPendingChanges() noexcept {
  if (PendingChanges.load(std::memory_order_relaxed) == 0) return;
  const std::uint32_t changes = PendingChanges.exchange(0, std::memory_order_acquire);
  // A kind change tunes the new filters from the latest cutoff, which makes a
  // cutoff change pending at the same time redundant.
  if (changes & kHighPassKindChanged)
    HighPassStage.Select(qvt::FilterKindIndex(HighPassKind.load(std::memory_order_relaxed)),
                         HighPassHz());
  else if (changes & kHighPassCutoffChanged)
    HighPassStage.Tune(HighPassHz());
  if (changes & kLowPassKindChanged)
    LowPassStage.Select(qvt::FilterKindIndex(LowPassKind.load(std::memory_order_relaxed)),
                        LowPassHz());
  else if (changes & kLowPassCutoffChanged)
    LowPassStage.Tune(LowPassHz());
}

float TSynthFilter::FilterChannel(int Channel, float Input) {
  float high = Input;
  TFilter& highPass = HighPassStage.Channel(Channel);
  if (highPass.Ready) {
    high = RunFilter(highPass, Input);
    if (!std::isfinite(high)) {
      HighPassStage.Renew(Channel, HighPassHz());
      return Input;
    }
  }
  TFilter& lowPass = LowPassStage.Channel(Channel);
  if (!lowPass.Ready) return Input;
  const float low = RunFilter(lowPass, high);
  if (!std::isfinite(low)) {
    LowPassStage.Renew(Channel, LowPassHz());
    return Input;
  }
  return low;
}

void TSynthFilter::Process(float& Left, float& Right) noexcept {
  ApplyPendingChanges();
  Left = FilterChannel(0, Left);
  Right = FilterChannel(1, Right);
}

void TSynthFilter::ProcessBlock(float* Left, float* Right, int Count) noexcept {
  ApplyPendingChanges();
  int done = 0;
  while (done < Count) {
    const int lanes = ProcessLanes(Left + done, Right + done, Count - done);
    if (lanes == 0) break;
    done += lanes;
  }
  for (int n = done; n < Count; ++n) Left[n] = FilterChannel(0, Left[n]);
  for (int n = done; n < Count; ++n) Right[n] = FilterChannel(1, Right[n]);
}

#if defined(__SSE2__)
namespace {

// One filter kind's per-sample recurrence for a left and a right filter in two
// lanes, with the filters' coefficients and state held in registers;
// Store writes the state back. Each is the filter's ProcessSample, operation
// for operation.
struct TPassLanes {
  TPassLanes(TFilter&, TFilter&) {}
  __m128d Step(__m128d x) { return x; }
  void Store() {}
};

struct TBiquadLanes {
  TBiquadLanes(TBaseFilter& L, TBaseFilter& R) : Left(L), Right(R) {
    for (int j = 0; j < 3; ++j) B[j] = _mm_set_pd(R.B[j], L.B[j]);
    for (int j = 0; j < 2; ++j) {
      A[j] = _mm_set_pd(R.A[j], L.A[j]);
      S[j] = _mm_set_pd(R.State[j], L.State[j]);
    }
  }
  __m128d Step(__m128d x) {
    const __m128d y = _mm_add_pd(_mm_mul_pd(B[0], x), S[0]);
    S[0] = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(B[1], x), _mm_mul_pd(A[0], y)), S[1]);
    S[1] = _mm_sub_pd(_mm_mul_pd(B[2], x), _mm_mul_pd(A[1], y));
    return y;
  }
  void Store() {
    for (int j = 0; j < 2; ++j) {
      _mm_storel_pd(&Left.State[j], S[j]);
      _mm_storeh_pd(&Right.State[j], S[j]);
    }
  }
  TBaseFilter &Left, &Right;
  __m128d B[3], A[2], S[2];
};

// A cascade of second-order sections (TButterworthFilter::RunCascade,
// TChebyshev1Filter::ProcessSample): Sections full sections from the last
// down, then for a Butterworth of odd order the first-order section; a
// Butterworth adds and removes its denormal offset around them.
template <class TCascade> struct TCascadeLanes {
  TCascadeLanes(TCascade& L, TCascade& R, bool Butterworth, bool Highpass)
      : Left(L), Right(R), Sections(L.Order / 2), Odd(Butterworth && L.Order % 2 != 0),
        Offset(_mm_set1_pd(Butterworth ? 1e-32 : 0.0)), Butterworth(Butterworth),
        Highpass(Highpass) {
    for (int k = 0; k < Sections + (Odd ? 1 : 0); ++k) {
      for (int j = 0; j < 4; ++j) C[k][j] = _mm_set_pd(R.SectionCoefs[k][j], L.SectionCoefs[k][j]);
      for (int j = 0; j < 2; ++j) S[k][j] = _mm_set_pd(R.SectionState[k][j], L.SectionState[k][j]);
    }
  }
  __m128d Step(__m128d x) {
    if (Butterworth) x = _mm_add_pd(x, Offset);
    for (int k = Sections - 1; k >= 0; --k) {
      const __m128d y = _mm_add_pd(_mm_mul_pd(C[k][0], x), S[k][0]);
      S[k][0] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(C[k][2], y), S[k][1]), _mm_mul_pd(C[k][1], x));
      S[k][1] = _mm_add_pd(_mm_mul_pd(C[k][3], y), _mm_mul_pd(C[k][0], x));
      x = y;
    }
    if (Odd) {
      const int h = Sections;
      const __m128d u = _mm_mul_pd(C[h][0], x);
      const __m128d y = _mm_add_pd(u, S[h][0]);
      const __m128d cy = _mm_mul_pd(C[h][2], y);
      S[h][0] = Highpass ? _mm_sub_pd(cy, u) : _mm_add_pd(u, cy);
      x = y;
    }
    return Butterworth ? _mm_sub_pd(x, Offset) : x;
  }
  void Store() {
    for (int k = 0; k < Sections + (Odd ? 1 : 0); ++k)
      for (int j = 0; j < 2; ++j) {
        _mm_storel_pd(&Left.SectionState[k][j], S[k][j]);
        _mm_storeh_pd(&Right.SectionState[k][j], S[k][j]);
      }
  }
  TCascade &Left, &Right;
  int Sections;
  bool Odd;
  __m128d Offset;
  bool Butterworth, Highpass;
  __m128d C[kMaxFilterSections][4], S[kMaxFilterSections][2];
};

// Lanes whose 32-bit values are finite, as a two-bit mask.
int FiniteLanes(__m128 x) {
  const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), x);
  return _mm_movemask_ps(_mm_cmplt_ps(magnitude, _mm_set1_ps(INFINITY))) & 3;
}

} // namespace

template <class THigh, class TLow>
int TSynthFilter::RunLanes(THigh High, TLow Low, float* Left, float* Right, int Count) noexcept {
  const __m128d offset = _mm_set1_pd(static_cast<double>(kDenormalOffset));
  for (int n = 0; n < Count; ++n) {
    // RunFilter in two lanes: (offset + input) in 64 bits, the filter, minus
    // the offset, held as 32-bit float.
    const __m128 input = _mm_setr_ps(Left[n], Right[n], 0.0f, 0.0f);
    const __m128 high =
        _mm_cvtpd_ps(_mm_sub_pd(High.Step(_mm_add_pd(offset, _mm_cvtps_pd(input))), offset));
    const int highFinite = FiniteLanes(high);
    float highValue[4], lowValue[4];
    _mm_storeu_ps(highValue, high);
    if (highFinite != 3) {
      High.Store();
      Low.Store();
      for (int c = 0; c < 2; ++c) {
        float& out = c == 0 ? Left[n] : Right[n];
        if (!(highFinite >> c & 1)) {
          HighPassStage.Renew(c, HighPassHz());
          continue; // the channel keeps its input
        }
        const float low = RunFilter(LowPassStage.Channel(c), highValue[c]);
        if (std::isfinite(low)) {
          out = low;
        } else {
          LowPassStage.Renew(c, LowPassHz());
        }
      }
      return n + 1;
    }
    const __m128 low =
        _mm_cvtpd_ps(_mm_sub_pd(Low.Step(_mm_add_pd(offset, _mm_cvtps_pd(high))), offset));
    const int lowFinite = FiniteLanes(low);
    _mm_storeu_ps(lowValue, low);
    if (lowFinite != 3) {
      High.Store();
      Low.Store();
      for (int c = 0; c < 2; ++c) {
        if (lowFinite >> c & 1)
          (c == 0 ? Left[n] : Right[n]) = lowValue[c];
        else
          LowPassStage.Renew(c, LowPassHz());
      }
      return n + 1;
    }
    Left[n] = lowValue[0];
    Right[n] = lowValue[1];
  }
  High.Store();
  Low.Store();
  return Count;
}

int TSynthFilter::ProcessLanes(float* Left, float* Right, int Count) noexcept {
  // The reference build's offset arithmetic is not 64-bit; it keeps the scalar path.
  if constexpr (sizeof(qvt::Extended) != sizeof(double)) return 0;
  for (int c = 0; c < 2; ++c)
    if (!HighPassStage.Channel(c).Ready || !LowPassStage.Channel(c).Ready) return 0;
  if (HighPassStage.Kind() == 2 &&
      HighPassStage.ButterworthChannel(0).Order != HighPassStage.ButterworthChannel(1).Order)
    return 0;
  if (LowPassStage.Kind() == 2 &&
      LowPassStage.ButterworthChannel(0).Order != LowPassStage.ButterworthChannel(1).Order)
    return 0;
  // The low-pass stage of the chosen kind behind a given high-pass stage.
  auto withLow = [&](auto high) {
    auto& stage = LowPassStage;
    switch (stage.Kind()) {
    case 0:
      return RunLanes(high, TPassLanes(stage.Channel(0), stage.Channel(1)), Left, Right, Count);
    case 1:
      return RunLanes(high, TBiquadLanes(stage.BiquadChannel(0), stage.BiquadChannel(1)), Left,
                      Right, Count);
    case 2:
      return RunLanes(high,
                      TCascadeLanes<TButterworthLP>(stage.ButterworthChannel(0),
                                                    stage.ButterworthChannel(1), true, false),
                      Left, Right, Count);
    default:
      return RunLanes(high,
                      TCascadeLanes<TChebyshev1LP>(stage.ChebyshevChannel(0),
                                                   stage.ChebyshevChannel(1), false, false),
                      Left, Right, Count);
    }
  };
  auto& stage = HighPassStage;
  switch (stage.Kind()) {
  case 0: return withLow(TPassLanes(stage.Channel(0), stage.Channel(1)));
  case 1: return withLow(TBiquadLanes(stage.BiquadChannel(0), stage.BiquadChannel(1)));
  case 2:
    return withLow(TCascadeLanes<TButterworthHP>(stage.ButterworthChannel(0),
                                                 stage.ButterworthChannel(1), true, true));
  default:
    return withLow(TCascadeLanes<TChebyshev1HP>(stage.ChebyshevChannel(0),
                                                stage.ChebyshevChannel(1), false, true));
  }
}
#else
int TSynthFilter::ProcessLanes(float*, float*, int) noexcept { return 0; }
#endif
