// The oscillator lane kernel for processors with AVX2 (this file alone is
// compiled with -mavx2, and runs only where the processor reports it): four
// samples per register and the table reads as gathers. No FMA: a fused
// multiply-add would round differently from the other kernels.
#include "dsp/uOscLanes.h"

#if defined(__AVX2__)
#include "dsp/uOscLanesKernel.h"

namespace {

struct TAvx2 {
  static constexpr int W = 4;
  static constexpr int Groups = 2; // eight samples per step (measured best)
  using D = __m256d;
  using I = __m128i; // four 32-bit integers
  static D Set(double x) { return _mm256_set1_pd(x); }
  static D Load(const double* p) { return _mm256_loadu_pd(p); }
  static D LoadF(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
  static void StoreF(float* p, D x) { _mm_storeu_ps(p, _mm256_cvtpd_ps(x)); }
  static D Add(D a, D b) { return _mm256_add_pd(a, b); }
  static D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
  static D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
  static D Div(D a, D b) { return _mm256_div_pd(a, b); }
  static D Abs(D x) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), x); }
  static D Greater(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static D Less(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static D NotLess(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_NLT_UQ); } // true for NaN
  static bool Any(D mask) { return _mm256_movemask_pd(mask) != 0; }
  static D Select(D mask, D a, D b) { return _mm256_blendv_pd(b, a, mask); }
  static I Trunc(D x) { return _mm256_cvttpd_epi32(x); }
  static I Round(D x) { return _mm256_cvtpd_epi32(x); }
  static D FromInt(I i) { return _mm256_cvtepi32_pd(i); }
  static D ThroughFloat(D x) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(x)); }
  static I IndexAdd(I i, int k) { return _mm_add_epi32(i, _mm_set1_epi32(k)); }
  static I IndexAnd(I i, int m) { return _mm_and_si128(i, _mm_set1_epi32(m)); }
  static D Gather(const float* t, I i) { return _mm256_cvtps_pd(_mm_i32gather_ps(t, i, 4)); }
  static bool NearEnds(I m, int mask) {
    const __m128i low = _mm_cmpeq_epi32(m, _mm_setzero_si128());
    const __m128i high = _mm_cmpgt_epi32(m, _mm_set1_epi32(mask - 2));
    return _mm_movemask_epi8(_mm_or_si128(low, high)) != 0;
  }
  static void Contiguous(const float* t, I m, D& ym1, D& y0, D& y1, D& y2) {
    __m128 a = _mm_loadu_ps(t + _mm_extract_epi32(m, 0) - 1);
    __m128 b = _mm_loadu_ps(t + _mm_extract_epi32(m, 1) - 1);
    __m128 c = _mm_loadu_ps(t + _mm_extract_epi32(m, 2) - 1);
    __m128 d = _mm_loadu_ps(t + _mm_extract_epi32(m, 3) - 1);
    _MM_TRANSPOSE4_PS(a, b, c, d);
    ym1 = _mm256_cvtps_pd(a);
    y0 = _mm256_cvtps_pd(b);
    y1 = _mm256_cvtps_pd(c);
    y2 = _mm256_cvtps_pd(d);
  }
  static D NearestEven(D x) {
    const D sign = _mm256_and_pd(x, _mm256_set1_pd(-0.0));
    const D big = _mm256_or_pd(_mm256_set1_pd(0x1p52), sign);
    return _mm256_or_pd(Abs(_mm256_sub_pd(_mm256_add_pd(x, big), big)), sign);
  }
};

void OscSegmentAvx2(const qvt::TOscVoice& Voice, const qvt::TOscSegment& Segment) {
  qvt::lanes::OscSegment<TAvx2>(Voice, Segment);
}

} // namespace

const qvt::TOscKernel qvt::kOscSegmentAvx2 = OscSegmentAvx2;
#else
const qvt::TOscKernel qvt::kOscSegmentAvx2 = nullptr;
#endif
