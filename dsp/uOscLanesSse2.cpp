// The oscillator lane kernel for the SSE2 baseline of every x86-64 processor:
// two samples per register.
#include "dsp/uOscLanes.h"

#if defined(__x86_64__) || defined(_M_X64)
#include "dsp/uOscLanesKernel.h"

namespace {

struct TSse2 {
  static constexpr int W = 2;
  static constexpr int Groups = 4; // eight samples per step (measured best)
  using D = __m128d;
  using I = __m128i; // two 32-bit integers in the low half
  static D Set(double x) { return _mm_set1_pd(x); }
  static D Load(const double* p) { return _mm_loadu_pd(p); }
  static D LoadF(const float* p) {
    return _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(p))));
  }
  static void StoreF(float* p, D x) {
    _mm_store_sd(reinterpret_cast<double*>(p), _mm_castps_pd(_mm_cvtpd_ps(x)));
  }
  static D Add(D a, D b) { return _mm_add_pd(a, b); }
  static D Sub(D a, D b) { return _mm_sub_pd(a, b); }
  static D Mul(D a, D b) { return _mm_mul_pd(a, b); }
  static D Div(D a, D b) { return _mm_div_pd(a, b); }
  static D Abs(D x) { return _mm_andnot_pd(_mm_set1_pd(-0.0), x); }
  static D Greater(D a, D b) { return _mm_cmpgt_pd(a, b); }
  static D Less(D a, D b) { return _mm_cmplt_pd(a, b); }
  static D NotLess(D a, D b) { return _mm_cmpnlt_pd(a, b); } // true for NaN
  static bool Any(D mask) { return _mm_movemask_pd(mask) != 0; }
  static D Select(D mask, D a, D b) {
    return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
  }
  static I Trunc(D x) { return _mm_cvttpd_epi32(x); }
  static I Round(D x) { return _mm_cvtpd_epi32(x); }
  static D FromInt(I i) { return _mm_cvtepi32_pd(i); }
  static D ThroughFloat(D x) { return _mm_cvtps_pd(_mm_cvtpd_ps(x)); }
  static I IndexAdd(I i, int k) { return _mm_add_epi32(i, _mm_set1_epi32(k)); }
  static I IndexAnd(I i, int m) { return _mm_and_si128(i, _mm_set1_epi32(m)); }
  static D Gather(const float* t, I i) {
    return _mm_set_pd(t[_mm_cvtsi128_si32(_mm_srli_si128(i, 4))], t[_mm_cvtsi128_si32(i)]);
  }
  // Whether a lane's index is 0 or within two of the mask (its taps wrap).
  static bool NearEnds(I m, int mask) {
    const int m0 = _mm_cvtsi128_si32(m), m1 = _mm_cvtsi128_si32(_mm_srli_si128(m, 4));
    return m0 == 0 || m1 == 0 || m0 > mask - 2 || m1 > mask - 2;
  }
  static void Contiguous(const float* t, I m, D& ym1, D& y0, D& y1, D& y2) {
    const __m128 a = _mm_loadu_ps(t + _mm_cvtsi128_si32(m) - 1);
    const __m128 b = _mm_loadu_ps(t + _mm_cvtsi128_si32(_mm_srli_si128(m, 4)) - 1);
    const __m128 low = _mm_unpacklo_ps(a, b), high = _mm_unpackhi_ps(a, b);
    ym1 = _mm_cvtps_pd(low);
    y0 = _mm_cvtps_pd(_mm_movehl_ps(low, low));
    y1 = _mm_cvtps_pd(high);
    y2 = _mm_cvtps_pd(_mm_movehl_ps(high, high));
  }
  // (x + 2^52) − 2^52 with the sign of x, the sign kept: |x| stays far below 2^52.
  static D NearestEven(D x) {
    const D sign = _mm_and_pd(x, _mm_set1_pd(-0.0));
    const D big = _mm_or_pd(_mm_set1_pd(0x1p52), sign);
    return _mm_or_pd(Abs(_mm_sub_pd(_mm_add_pd(x, big), big)), sign);
  }
};

void OscSegmentSse2(const qvt::TOscVoice& Voice, const qvt::TOscSegment& Segment) {
  qvt::lanes::OscSegment<TSse2>(Voice, Segment);
}

} // namespace

const qvt::TOscKernel qvt::kOscSegmentSse2 = OscSegmentSse2;
#else
const qvt::TOscKernel qvt::kOscSegmentSse2 = nullptr;
#endif
