#include "lib/uFunctions.h"

#include <cmath>

namespace qvt {

namespace {
constexpr long double kLn1000 = 6.907755279L;
constexpr long double kLn150 = 5.010635294L;
constexpr long double kLn62_5 = 4.135166556742356L;
constexpr long double kLn100 = 4.605170185988L;
template <typename F> F OffsetCurve(F v) {
  return static_cast<F>(10999.98L) * v - static_cast<F>(999.99L);
}
static_assert(static_cast<double>(10999.98L) == 10999.98 &&
              static_cast<double>(999.99L) == 999.99);

template <typename F> F FlangerRateCurve(F v) { return F(9.75) * v * v + F(0.25); }

} // namespace

double OffsetFromValue(double v) { return OffsetCurve(v); }
long double OffsetFromValue(long double v) { return OffsetCurve(v); }
double RatioFromValue(double v) { return 64.0 * v; }
double StepRatioFromValue(double v) {
  return static_cast<double>(0.001L * (20.0L * std::exp(kLn1000 * v)));
}
double LowPassCurveHz(double v) { return static_cast<double>(320.0L * std::exp(kLn62_5 * v)); }
double HighPassCurveHz(double v) { return static_cast<double>(20.0L * std::exp(kLn150 * v)); }
double FlangerCutoffHz(double v) { return static_cast<double>(20.0L * std::exp(kLn1000 * v)); }
double FlangerRateHz(double v) { return FlangerRateCurve(v); }
long double FlangerRateHz(long double v) { return FlangerRateCurve(v); }
double FlangerTimeMs(double v) { return 25.0 * v + 5.0; }
double EnvelopeTimeMs(double v) { return 11999.0 * v + 1.0; }
double GlideCoefficient(double v) {
  return static_cast<double>(0.0001L * std::exp(kLn100 * (1.0L - v)));
}

double ValueFromOffset(double hz) { return (hz + 999.99) / 10999.98; }
double ValueFromRatio(double ratio) { return ratio / 64.0; }
double ValueFromStepRatio(double ratio) { return std::log(1000.0 * ratio * 0.05) * 0.144764826019; }
double ValueFromFlangerRate(double hz) { return std::sqrt((hz - 0.25) / 9.75); }
double ValueFromFlangerTime(double ms) { return (ms - 5.0) / 25.0; }
double ValueFromLowPassHz(double hz) {
  return static_cast<double>(std::log(hz / 320.0L) / kLn62_5);
}
double ValueFromHighPassHz(double hz) { return static_cast<double>(std::log(hz / 20.0L) / kLn150); }
double ValueFromFlangerCutoffHz(double hz) {
  return static_cast<double>(std::log(hz / 20.0L) / kLn1000);
}

double DbToGain(double db) { return db < -144.0 ? 0.0 : std::exp(0.115129254 * db); }
double Hundredths(int k) { return k * 0.01; }

float FloatNotAbove(double v) {
  const float nearest = static_cast<float>(v);
  return nearest > v ? std::nextafter(nearest, 0.0f) : nearest;
}

} // namespace qvt
