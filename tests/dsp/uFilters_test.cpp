#include "dsp/uFilters.h"

#include "tests/dsp/uDspClassesTestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using qvt::test::MeasuredDb;

constexpr float kRate = 44100.0f;
constexpr double kPi = std::numbers::pi;
constexpr int kImpulseLength = 1 << 15;

std::vector<double> ImpulseResponse(TFilter& f, int length = kImpulseLength) {
  std::vector<double> h(length);
  for (int n = 0; n < length; ++n) h[n] = f.ProcessSample(n == 0 ? 1.0 : 0.0);
  return h;
}

double MeasuredDb(TFilter& f, double hz) { return MeasuredDb(ImpulseResponse(f), hz); }

// The ideal Butterworth low-pass level at hz, with the bilinear transform's warping.
double ButterworthDb(double hz, double cutoff, int order) {
  const double ratio = std::tan(kPi * hz / kRate) / std::tan(kPi * cutoff / kRate);
  return -10.0 * std::log10(1.0 + std::pow(ratio, 2.0 * order));
}

double PeakDb(const std::vector<double>& h, double from, double to, double step) {
  double peak = -1e9;
  for (double hz = from; hz <= to; hz += step) peak = std::max(peak, MeasuredDb(h, hz));
  return peak;
}

// The first samples of the filter's impulse response after `tune`.
template <class TKind, class TTune> std::vector<double> Response(TTune tune, float rate = kRate) {
  TKind f(rate);
  tune(f);
  return ImpulseResponse(f, 512);
}

} // namespace

TEST(FilterSettings, ZeroSampleRateIs44100AndTheGuardsMapBadSettingsToTheirLimits) {
  const auto at1k = [](TFilter& f) { f.SetFrequency(1000.0); };
  EXPECT_EQ(Response<TButterworthHP>(at1k, 0.0f), Response<TButterworthHP>(at1k));
  using TSet = void (*)(TFilter&, double);
  const TSet bandwidth = [](TFilter& f, double v) { f.SetBandwidth(v), f.SetFrequency(1000.0); };
  const TSet cutoff = [](TFilter& f, double v) { f.SetFrequency(v); };
  const TSet order = [](TFilter& f, double v) { f.SetOrder(int(v)), f.SetFrequency(1000.0); };
  const struct {
    const char* What;
    TSet Set;
    double Value, Limit;
  } cases[] = {{"bandwidth", bandwidth, 0.0, 0.01},
               {"cutoff", cutoff, 0.0, 1.0},
               {"order", order, 100, 64},
               {"order", order, 0, 1}};
  for (const auto& c : cases) {
    const auto biquad = [&](double v) {
      return Response<TBiquadHP>([&](TFilter& f) { c.Set(f, v); });
    };
    const auto cascade = [&](double v) {
      return Response<TButterworthLP>([&](TFilter& f) { c.Set(f, v); });
    };
    EXPECT_EQ(biquad(c.Value), biquad(c.Limit)) << c.What << " " << c.Value;
    EXPECT_EQ(cascade(c.Value), cascade(c.Limit)) << c.What << " " << c.Value;
  }
}

TEST(FilterSettings, BypassPassesSamplesAndTuningToTheInitial1kHzReadiesAllButChebyshev) {
  TFilter bypass(kRate);
  TBiquadLP biquad(kRate);
  TButterworthHP butterworth(kRate);
  TChebyshev1LP chebyshev(kRate);
  for (double x : {0.0, 1.0, -0.25, 1e-300, 123456.789}) EXPECT_EQ(bypass.ProcessSample(x), x);
  for (TFilter* f : std::initializer_list<TFilter*>{&bypass, &biquad, &butterworth, &chebyshev}) {
    EXPECT_FALSE(f->Ready) << typeid(*f).name();
    f->SetFrequency(1000.0);
    EXPECT_EQ(f->Ready, f != &chebyshev) << typeid(*f).name();
  }
  chebyshev.SetFrequency(1000.5); // a Chebyshev filter is tuned only by a change
  EXPECT_TRUE(chebyshev.Ready);
}

TEST(BiquadFilter, OneOctaveAt1kHzRises3dBAtTheCutoffTheLowPassPeakingNear3Point6dB) {
  TBiquadLP low(kRate);
  low.SetFrequency(1000.0);
  const auto hl = ImpulseResponse(low);
  EXPECT_NEAR(MeasuredDb(hl, 0.0), 0.0, 1e-9);
  EXPECT_NEAR(MeasuredDb(hl, 1000.0), 3.0, 0.05);
  EXPECT_NEAR(PeakDb(hl, 500.0, 1000.0, 2.0), 3.6, 0.05);
  TBiquadLP wide(kRate); // a wider band flattens the rise at the cutoff
  wide.SetBandwidth(3.0);
  wide.SetFrequency(1000.0);
  EXPECT_LT(MeasuredDb(wide, 1000.0), 0.0);
}

TEST(FilterGain, ShiftsThePassBandBiquadFlooredButterworthNotChebyshevByHalf) {
  TBiquadLP biquad(kRate), silent(kRate);
  TButterworthLP butterworth(kRate), deep(kRate);
  TChebyshev1LP chebyshev(kRate);
  const struct {
    TFilter* Filter;
    double Gain, DcDb;
  } cases[] = {{&biquad, 6, 6}, {&butterworth, -12, -12}, {&deep, -400, -400}, {&chebyshev, 12, 6}};
  for (const auto& c : cases) {
    c.Filter->SetFrequency(2000.0);
    c.Filter->SetGain(c.Gain);
    EXPECT_NEAR(MeasuredDb(*c.Filter, 0.0), c.DcDb, 1e-6) << c.Gain << " dB";
  }
  silent.SetFrequency(2000.0);
  silent.SetGain(-300.0); // below the floor of −288 dB a biquad is silent
  for (int n = 0; n < 100; ++n) ASSERT_EQ(silent.ProcessSample(1.0), 0.0) << "sample " << n;
}

TEST(BiquadFilter, CutoffOnTheNyquistFrequencyGivesFiniteOutput) {
  TBiquadLP low(40000.0f);
  low.SetFrequency(20000.0);
  for (int n = 0; n < 1000; ++n)
    ASSERT_TRUE(std::isfinite(low.ProcessSample(std::sin(n * 0.3)))) << "sample " << n;
}

TEST(ButterworthFilter, EveryOrderHalvesThePowerAtItsCutoffAndFallsAsItsOrder) {
  for (int order : {1, 2, 3, 10, 33, 64}) {
    SCOPED_TRACE("order " + std::to_string(order));
    TButterworthLP low(kRate);
    TButterworthHP high(kRate);
    low.SetOrder(order);
    low.SetFrequency(3000.0);
    high.SetOrder(order);
    high.SetFrequency(500.0);
    const auto hl = ImpulseResponse(low), hh = ImpulseResponse(high);
    EXPECT_NEAR(MeasuredDb(hl, 3000.0), -3.0103, 1e-3);
    EXPECT_NEAR(MeasuredDb(hh, 500.0), -3.0103, 1e-3);
    const double lowStop = ButterworthDb(3300.0, 3000.0, order);
    const double highStop = ButterworthDb(500.0, 450.0, order); // the high-pass mirrors it
    EXPECT_NEAR(MeasuredDb(hl, 3300.0), lowStop, 1e-3 + 1e-4 * -lowStop);
    EXPECT_NEAR(MeasuredDb(hh, 450.0), highStop, 1e-3 + 1e-4 * -highStop);
  }
}

TEST(ChebyshevFilter, Order10At1kHzRipplesBetween0And3dBAndIsBelowMinus100dBAnOctaveBeyond) {
  TChebyshev1LP low(kRate);
  TChebyshev1HP high(kRate);
  low.SetFrequency(999.0); // 1000 Hz is the initial cutoff: only a change tunes the filter
  low.SetFrequency(1000.0);
  high.SetFrequency(1001.0);
  high.SetFrequency(1000.0);
  const auto hl = ImpulseResponse(low), hh = ImpulseResponse(high);
  EXPECT_NEAR(MeasuredDb(hl, 0.0), 0.0, 1e-6);
  EXPECT_NEAR(MeasuredDb(hl, 1000.0), 0.0, 1e-4);
  EXPECT_NEAR(MeasuredDb(hh, 1000.0), 0.0, 1e-4);
  EXPECT_NEAR(PeakDb(hl, 10.0, 1000.0, 1.0), 3.0103, 0.01);
  EXPECT_NEAR(PeakDb(hh, 1000.0, 22000.0, 5.0), 3.0103, 0.01);
  double lowest = 1e9;
  for (double hz = 10.0; hz <= 1000.0; hz += 1.0) lowest = std::min(lowest, MeasuredDb(hl, hz));
  EXPECT_GT(lowest, -1e-4);
  EXPECT_LT(MeasuredDb(hl, 2000.0), -100.0);
  EXPECT_LT(MeasuredDb(hh, 500.0), -100.0);
}

TEST(ChebyshevFilter, RippleSettingChangesTheResponseAndIgnoresNonPositiveValues) {
  const auto ripple = [](std::initializer_list<double> values) {
    return Response<TChebyshev1LP>([&](TChebyshev1LP& g) {
      g.SetFrequency(2000.0);
      for (double v : values) g.SetRipple(v);
    });
  };
  EXPECT_NE(ripple({0.5}), ripple({}));
  EXPECT_EQ(ripple({0.5, 0.0, -1.0}), ripple({0.5}));
}

TEST(ChebyshevFilter, NewCutoffClearsTheSectionState) {
  TChebyshev1LP tuned(kRate);
  tuned.SetFrequency(1500.0);
  for (int n = 0; n < 100; ++n) tuned.ProcessSample(1.0);
  tuned.SetFrequency(1600.0);
  TChebyshev1LP fresh(kRate);
  fresh.SetFrequency(1600.0);
  for (int n = 0; n < 100; ++n)
    ASSERT_EQ(tuned.ProcessSample(0.5), fresh.ProcessSample(0.5)) << "sample " << n;
}

TEST(ChebyshevFilter, CutoffAtOrBelowZeroActsAsOneHertz) {
  // Poles outside the unit circle would make the response grow without bound.
  EXPECT_EQ(Response<TChebyshev1HP>([](TFilter& f) { f.SetFrequency(-200.0); }),
            Response<TChebyshev1HP>([](TFilter& f) { f.SetFrequency(1.0); }));
}
