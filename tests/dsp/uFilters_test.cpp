#include "dsp/uFilters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr double kPi = std::numbers::pi;
constexpr int kImpulseLength = 1 << 15;

std::vector<double> ImpulseResponse(TFilter& f, int length = kImpulseLength) {
  std::vector<double> h(length);
  for (int n = 0; n < length; ++n) h[n] = f.ProcessSample(n == 0 ? 1.0 : 0.0);
  return h;
}

// Magnitude in dB at Hz, measured as the Fourier transform of the impulse
// response (the phasor is renormalised now and then to stop it drifting).
double MeasuredDb(const std::vector<double>& h, double hz) {
  const double w = 2.0 * kPi * hz / kRate;
  const std::complex<double> step = std::polar(1.0, -w);
  std::complex<double> phasor = 1.0, sum = 0.0;
  for (std::size_t n = 0; n < h.size(); ++n) {
    sum += h[n] * phasor;
    phasor *= step;
    if ((n & 1023) == 1023) phasor = std::polar(1.0, -w * static_cast<double>(n + 1));
  }
  return 20.0 * std::log10(std::abs(sum));
}

double MeasuredDb(TFilter& f, double hz) { return MeasuredDb(ImpulseResponse(f), hz); }

// Bilinear-transform frequency ratio: tan(ω/2)/tan(ω0/2).
double WarpedRatio(double hz, double cutoff) {
  return std::tan(kPi * hz / kRate) / std::tan(kPi * cutoff / kRate);
}

double ButterworthDb(double omega, int order) {
  return -10.0 * std::log10(1.0 + std::pow(omega, 2.0 * order));
}

double ChebyshevPolynomial(int n, double x) {
  if (std::abs(x) <= 1.0) return std::cos(n * std::acos(x));
  return std::cosh(n * std::acosh(std::abs(x))) * ((x < 0 && n % 2) ? -1.0 : 1.0);
}

// Even-order Chebyshev type I normalised to 0 dB at DC.
double ChebyshevDb(double omega, int order, double ripple) {
  const double e2 = ripple * ripple;
  const double t = ChebyshevPolynomial(order, omega);
  return 10.0 * std::log10((1.0 + e2) / (1.0 + e2 * t * t));
}

double PeakDb(const std::vector<double>& h, double from, double to, double step) {
  double peak = -1e9;
  for (double hz = from; hz <= to; hz += step) peak = std::max(peak, MeasuredDb(h, hz));
  return peak;
}

bool DecaysToSilence(const std::vector<double>& h) {
  double tail = 0;
  for (std::size_t n = h.size() - 4096; n < h.size(); ++n) tail = std::max(tail, std::abs(h[n]));
  return std::isfinite(tail) && tail < 1e-12;
}

// Each section's denominator 1 − c2·z⁻¹ − c3·z⁻² has its poles inside the
// unit circle.
bool SectionsAreStable(const double (*coefs)[4], int count) {
  for (int k = 0; k < count; ++k) {
    const double a1 = -coefs[k][2], a2 = -coefs[k][3];
    if (!(std::abs(a2) < 1.0 && std::abs(a1) < 1.0 + a2)) return false;
  }
  return true;
}

} // namespace

TEST(BypassFilter, PassesEverySampleUnchangedAndBecomesReadyWhenTuned) {
  TFilter f(kRate);
  EXPECT_FALSE(f.Ready);
  for (double x : {0.0, 1.0, -0.25, 1e-300, 123456.789}) EXPECT_EQ(f.ProcessSample(x), x);
  f.SetFrequency(500.0);
  EXPECT_TRUE(f.Ready);
  EXPECT_EQ(f.ProcessSample(0.3), 0.3);
}

TEST(FilterSettings, StartFromTheDefaultsAndTakeZeroSampleRateAs44100) {
  TBiquadLP biquad(0.0f);
  EXPECT_EQ(biquad.SampleRate, 44100.0f);
  EXPECT_DOUBLE_EQ(biquad.SampleRateInv, 1.0 / 44100.0);
  EXPECT_EQ(biquad.Frequency, 1000.0);
  EXPECT_EQ(biquad.Bandwidth, 1.0);
  EXPECT_EQ(biquad.GainFactor, 1.0);
  EXPECT_EQ(biquad.Order, 2);
  EXPECT_FALSE(biquad.Ready);
  EXPECT_NEAR(biquad.W0, 2 * kPi * 1000 / 44100, 1e-15);

  TButterworthHP butterworth(48000.0f);
  EXPECT_EQ(butterworth.SampleRate, 48000.0f);
  EXPECT_EQ(butterworth.Order, 10);
  TChebyshev1LP chebyshev(kRate);
  EXPECT_EQ(chebyshev.Order, 10);
  EXPECT_EQ(chebyshev.Ripple, 1.0);
  EXPECT_EQ(chebyshev.CoshSq, 0.0);
  EXPECT_EQ(chebyshev.SinhV, 0.0);
}

TEST(FilterSettings, CapW0At3Point1ButKeepTheSineOfTheUncappedValue) {
  TBiquadLP f(kRate);
  f.SetFrequency(20000.0);
  EXPECT_NEAR(f.W0, 2.8495, 1e-4);
  EXPECT_DOUBLE_EQ(f.SinW0, std::sin(f.W0));
  f.SetFrequency(22000.0);
  const double uncapped = 2 * kPi * 22000.0 / 44100.0;
  EXPECT_NEAR(uncapped, 3.134, 1e-3);
  EXPECT_EQ(f.W0, 3.1);
  EXPECT_NEAR(f.SinW0, std::sin(uncapped), 1e-15);
}

TEST(FilterSettings, GuardBandwidthOrderAndCutoff) {
  TBiquadHP biquad(kRate);
  biquad.SetBandwidth(0.0);
  EXPECT_EQ(biquad.Bandwidth, 0.01);
  biquad.SetBandwidth(-3.0);
  EXPECT_EQ(biquad.Bandwidth, 0.01);
  biquad.SetFrequency(0.0);
  EXPECT_EQ(biquad.Frequency, 1.0);
  biquad.SetFrequency(-50.0);
  EXPECT_EQ(biquad.Frequency, 1.0);

  TButterworthLP butterworth(kRate);
  butterworth.SetOrder(100);
  EXPECT_EQ(butterworth.Order, 64);
  butterworth.SetOrder(0);
  EXPECT_EQ(butterworth.Order, 1);
  butterworth.SetOrder(-7);
  EXPECT_EQ(butterworth.Order, 1);
}

TEST(FilterSettings, RetuningToTheSameCutoffReadiesBiquadAndButterworthButNotChebyshev) {
  TBiquadLP biquad(kRate);
  biquad.SetFrequency(1000.0);
  EXPECT_TRUE(biquad.Ready);
  EXPECT_NE(biquad.B[0], 0.0);

  TButterworthHP butterworth(kRate);
  butterworth.SetFrequency(1000.0);
  EXPECT_TRUE(butterworth.Ready);

  TChebyshev1LP chebyshev(kRate);
  chebyshev.SetFrequency(1000.0);
  EXPECT_FALSE(chebyshev.Ready);
  EXPECT_EQ(chebyshev.CoshSq, 0.0);
  chebyshev.SetFrequency(1000.5);
  EXPECT_TRUE(chebyshev.Ready);
  EXPECT_GT(chebyshev.CoshSq, 1.0);
}

TEST(BiquadLowPass, OneOctaveAt1kHzIsFlatAtDcPlus3dBAtCutoffAndPeaksNear3Point6dB) {
  TBiquadLP f(kRate);
  f.SetFrequency(1000.0);
  const auto h = ImpulseResponse(f);
  EXPECT_NEAR(MeasuredDb(h, 0.0), 0.0, 1e-9);
  EXPECT_NEAR(MeasuredDb(h, 1000.0), 3.0, 0.05);
  EXPECT_NEAR(PeakDb(h, 500.0, 1000.0, 2.0), 3.6, 0.05);
  EXPECT_LT(MeasuredDb(h, 22050.0), -150.0);
}

TEST(BiquadLowPass, GainAtCutoffIsTheQualityGivenByTheBandwidth) {
  for (double octaves : {0.3, 1.0, 2.0, 3.0}) {
    TBiquadLP f(kRate);
    f.SetBandwidth(octaves);
    f.SetFrequency(2500.0);
    const double w0 = 2 * kPi * 2500.0 / kRate;
    const double q =
        1.0 / (2.0 * std::sinh(std::cos(w0 / 2) * std::log(2.0) / 2 * octaves * w0 / std::sin(w0)));
    EXPECT_NEAR(MeasuredDb(f, 2500.0), 20 * std::log10(q), 1e-6) << octaves << " octaves";
  }
}

TEST(BiquadHighPass, BlocksDcPassesNyquistAndRisesAtCutoff) {
  TBiquadHP f(kRate);
  f.SetFrequency(1000.0);
  const auto h = ImpulseResponse(f);
  EXPECT_LT(MeasuredDb(h, 0.0), -150.0);
  EXPECT_NEAR(MeasuredDb(h, 22050.0), 0.0, 1e-6);
  EXPECT_NEAR(MeasuredDb(h, 1000.0), 3.0, 0.05);
}

TEST(BiquadFilter, GainSettingShiftsThePassBandByTheGivenDecibelsAndFloorsAtMinus288) {
  TBiquadLP f(kRate);
  f.SetFrequency(1000.0);
  f.SetGain(6.0);
  EXPECT_NEAR(f.GainFactor, std::pow(10.0, 6.0 / 40.0), 1e-8);
  EXPECT_NEAR(MeasuredDb(f, 0.0), 6.0, 1e-6);
  TBiquadLP silent(kRate);
  silent.SetFrequency(1000.0);
  silent.SetGain(-300.0);
  EXPECT_EQ(silent.GainFactor, 0.0);
  for (int n = 0; n < 100; ++n) EXPECT_EQ(silent.ProcessSample(1.0), 0.0);
}

TEST(BiquadFilter, CutoffOnTheNyquistFrequencyGivesFiniteOutput) {
  TBiquadLP low(40000.0f);
  low.SetFrequency(20000.0);
  TBiquadHP high(40000.0f);
  high.SetFrequency(20000.0);
  for (int n = 0; n < 1000; ++n) {
    const double x = std::sin(n * 0.3);
    EXPECT_TRUE(std::isfinite(low.ProcessSample(x)));
    EXPECT_TRUE(std::isfinite(high.ProcessSample(x)));
  }
}

TEST(ButterworthLowPass, Order10At1kHzHasFiveSectionsUnityDcGainAndHalfPowerAtCutoff) {
  TButterworthLP f(kRate);
  f.SetFrequency(1000.0);
  for (int k = 0; k < 5; ++k) EXPECT_NE(f.SectionCoefs[k][3], 0.0) << "section " << k;
  for (int k = 5; k < kMaxFilterSections; ++k) EXPECT_EQ(f.SectionCoefs[k][0], 0.0);
  const auto h = ImpulseResponse(f);
  EXPECT_NEAR(MeasuredDb(h, 0.0), 0.0, 1e-6);
  EXPECT_NEAR(MeasuredDb(h, 1000.0), -3.0103, 1e-3);
}

TEST(ButterworthLowPass, EveryOrderFrom1To64IsStableAndFollowsTheAnalyticResponse) {
  for (int order = 1; order <= 64; ++order) {
    TButterworthLP f(kRate);
    f.SetOrder(order);
    f.SetFrequency(3000.0);
    const auto h = ImpulseResponse(f);
    ASSERT_TRUE(DecaysToSilence(h)) << "order " << order;
    EXPECT_NEAR(MeasuredDb(h, 0.0), 0.0, 1e-6) << "order " << order;
    EXPECT_NEAR(MeasuredDb(h, 3000.0), -3.0103, 1e-3) << "order " << order;
    for (double hz : {1500.0, 2800.0, 3300.0, 6000.0}) {
      const double expected = ButterworthDb(WarpedRatio(hz, 3000.0), order);
      if (expected < -200.0) continue;
      EXPECT_NEAR(MeasuredDb(h, hz), expected, 1e-3 + 1e-4 * -expected)
          << "order " << order << " at " << hz << " Hz";
    }
    EXPECT_LT(MeasuredDb(h, 22050.0), -150.0) << "order " << order;
  }
}

TEST(ButterworthLowPass, OrderOneUsesOnlyAFirstOrderSection) {
  TButterworthLP f(kRate);
  f.SetOrder(1);
  f.SetFrequency(1000.0);
  const double K = std::tan(kPi * 1000.0 / kRate);
  EXPECT_NEAR(f.SectionCoefs[0][0], K / (K + 1), 1e-15);
  EXPECT_NEAR(f.SectionCoefs[0][2], (1 - K) / (K + 1), 1e-15);
  EXPECT_NEAR(MeasuredDb(f, 10000.0), ButterworthDb(WarpedRatio(10000.0, 1000.0), 1), 1e-6);
}

TEST(ButterworthHighPass, EveryOrderFrom1To64BlocksDcPassesNyquistAndHalvesPowerAtCutoff) {
  for (int order = 1; order <= 64; ++order) {
    TButterworthHP f(kRate);
    f.SetOrder(order);
    f.SetFrequency(500.0);
    const auto h = ImpulseResponse(f);
    ASSERT_TRUE(DecaysToSilence(h)) << "order " << order;
    EXPECT_LT(MeasuredDb(h, 0.0), -150.0) << "order " << order;
    EXPECT_NEAR(MeasuredDb(h, 22050.0), 0.0, 1e-6) << "order " << order;
    EXPECT_NEAR(MeasuredDb(h, 500.0), -3.0103, 1e-3) << "order " << order;
    for (double hz : {250.0, 450.0, 600.0, 2000.0}) {
      const double expected = ButterworthDb(1.0 / WarpedRatio(hz, 500.0), order);
      if (expected < -200.0) continue;
      EXPECT_NEAR(MeasuredDb(h, hz), expected, 1e-3 + 1e-4 * -expected)
          << "order " << order << " at " << hz << " Hz";
    }
  }
}

TEST(ButterworthFilter, GainSettingShiftsThePassBandWithoutFloor) {
  TButterworthLP f(kRate);
  f.SetFrequency(1000.0);
  f.SetGain(-12.0);
  EXPECT_NEAR(MeasuredDb(f, 0.0), -12.0, 1e-6);
  f.SetGain(-400.0);
  EXPECT_GT(f.GainFactor, 0.0);
  EXPECT_NEAR(f.GainFactor, std::pow(10.0, -10.0), 1e-16);
}

TEST(ChebyshevLowPass, Order10At1kHzRipplesBetween0And3dBAndIsBelowMinus100dBAnOctaveUp) {
  TChebyshev1LP f(kRate);
  f.SetFrequency(999.0);
  f.SetFrequency(1000.0);
  ASSERT_TRUE(f.Ready);
  const auto h = ImpulseResponse(f);
  ASSERT_TRUE(DecaysToSilence(h));
  EXPECT_NEAR(MeasuredDb(h, 0.0), 0.0, 1e-6);
  EXPECT_NEAR(MeasuredDb(h, 1000.0), 0.0, 1e-4);
  EXPECT_NEAR(PeakDb(h, 10.0, 1000.0, 1.0), 3.0103, 0.01);
  double lowest = 1e9;
  for (double hz = 10.0; hz <= 1000.0; hz += 1.0) lowest = std::min(lowest, MeasuredDb(h, hz));
  EXPECT_GT(lowest, -1e-4);
  EXPECT_LT(MeasuredDb(h, 2000.0), -100.0);
  for (double hz : {200.0, 600.0, 950.0, 1100.0, 1500.0})
    EXPECT_NEAR(MeasuredDb(h, hz), ChebyshevDb(WarpedRatio(hz, 1000.0), 10, 1.0), 1e-4)
        << hz << " Hz";
}

TEST(ChebyshevHighPass, Order10At1kHzMirrorsTheLowPassAboveItsCutoff) {
  TChebyshev1HP f(kRate);
  f.SetFrequency(1001.0);
  f.SetFrequency(1000.0);
  const auto h = ImpulseResponse(f);
  ASSERT_TRUE(DecaysToSilence(h));
  EXPECT_NEAR(MeasuredDb(h, 22050.0), 0.0, 1e-6);
  EXPECT_NEAR(MeasuredDb(h, 1000.0), 0.0, 1e-4);
  EXPECT_NEAR(PeakDb(h, 1000.0, 22000.0, 5.0), 3.0103, 0.01);
  EXPECT_LT(MeasuredDb(h, 500.0), -100.0);
  EXPECT_LT(MeasuredDb(h, 0.0), -150.0);
  for (double hz : {700.0, 1050.0, 1500.0, 4000.0, 15000.0})
    EXPECT_NEAR(MeasuredDb(h, hz), ChebyshevDb(1.0 / WarpedRatio(hz, 1000.0), 10, 1.0), 1e-4)
        << hz << " Hz";
}

TEST(ChebyshevFilter, RippleSettingSetsThePassBandRippleAndIgnoresNonPositiveValues) {
  TChebyshev1LP f(kRate);
  f.SetFrequency(2000.0);
  f.SetRipple(0.5);
  EXPECT_NEAR(PeakDb(ImpulseResponse(f), 10.0, 2000.0, 2.0), 10 * std::log10(1.25), 0.01);
  f.SetRipple(0.0);
  f.SetRipple(-1.0);
  EXPECT_EQ(f.Ripple, 0.5);
  EXPECT_TRUE(DecaysToSilence(ImpulseResponse(f)));
}

TEST(ChebyshevFilter, GainSettingShiftsThePassBandByHalfTheDecibels) {
  TChebyshev1LP f(kRate);
  f.SetFrequency(2000.0);
  f.SetGain(12.0);
  EXPECT_NEAR(MeasuredDb(f, 0.0), 6.0, 1e-6);
}

TEST(ChebyshevFilter, NewCutoffClearsTheSectionState) {
  TChebyshev1LP tuned(kRate);
  tuned.SetFrequency(1500.0);
  for (int n = 0; n < 100; ++n) tuned.ProcessSample(1.0);
  tuned.SetFrequency(1600.0);
  TChebyshev1LP fresh(kRate);
  fresh.SetFrequency(1600.0);
  for (int n = 0; n < 100; ++n) EXPECT_EQ(tuned.ProcessSample(0.5), fresh.ProcessSample(0.5));
}

TEST(ChebyshevFilter, CutoffAtOrBelowZeroStaysStable) {
  TChebyshev1HP f(kRate);
  f.SetFrequency(-200.0);
  EXPECT_EQ(f.Frequency, 1.0);
  EXPECT_TRUE(SectionsAreStable(f.SectionCoefs, f.Order / 2));
}
