#include "tools/qvt/PlotPicture.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace qvt {

namespace {

constexpr int kFftSize = 4096;
constexpr int kMargin = 4;
constexpr double kFloorDb = -100.0;
constexpr TRgb kBackground{16, 18, 24};
constexpr TRgb kGrid{58, 62, 74};
constexpr TRgb kWave{120, 220, 160};
constexpr TRgb kLabel{200, 204, 214};

// In-place iterative radix-2 FFT; the size is a power of two.
void Fft(std::vector<std::complex<double>>& data) {
  const std::size_t n = data.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (std::size_t start = 0; start < n; start += length) {
      std::complex<double> twiddle(1.0, 0.0);
      for (std::size_t k = 0; k < length / 2; ++k) {
        const auto even = data[start + k];
        const auto odd = data[start + k + length / 2] * twiddle;
        data[start + k] = even + odd;
        data[start + k + length / 2] = even - odd;
        twiddle *= step;
      }
    }
  }
}

// Black through blue, magenta, orange to pale yellow as the level rises from the floor to 0 dB.
TRgb HeatColour(double db) {
  static constexpr TRgb kStops[] = {{0, 0, 0},      {30, 20, 110},   {150, 30, 140},
                                    {240, 100, 40}, {255, 230, 120}, {255, 255, 235}};
  constexpr int kLast = static_cast<int>(std::size(kStops)) - 1;
  const double position = std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0) * kLast;
  const int low = std::min(static_cast<int>(position), kLast - 1);
  const double t = position - low;
  const auto mix = [t](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::lrint(a + (b - a) * t));
  };
  return {mix(kStops[low].R, kStops[low + 1].R), mix(kStops[low].G, kStops[low + 1].G),
          mix(kStops[low].B, kStops[low + 1].B)};
}

std::string Integer(double value) { return std::to_string(std::lrint(value)); }

double HighestHz(double sampleRate, const TPlotLayout& layout) {
  return std::max(std::min(20000.0, sampleRate / 2.0), layout.LowestHz * 2.0);
}

void DrawWave(TRaster& raster, std::span<const float> mono, const TPlotLayout& layout) {
  const int top = kMargin, height = layout.WaveHeight, middle = top + height / 2;
  raster.HLine(0, layout.Width - 1, middle, kGrid);
  if (mono.empty()) return;
  for (int x = 0; x < layout.Width; ++x) {
    const std::size_t begin = mono.size() * static_cast<std::size_t>(x) / layout.Width;
    const std::size_t end =
        std::max(begin + 1, mono.size() * static_cast<std::size_t>(x + 1) / layout.Width);
    float low = 0.0f, high = 0.0f;
    for (std::size_t i = begin; i < end && i < mono.size(); ++i) {
      const float value = std::isfinite(mono[i]) ? std::clamp(mono[i], -1.0f, 1.0f) : 0.0f;
      low = std::min(low, value);
      high = std::max(high, value);
    }
    const int yHigh = middle - static_cast<int>(std::lrint(high * (height / 2 - 1)));
    const int yLow = middle - static_cast<int>(std::lrint(low * (height / 2 - 1)));
    raster.VLine(x, yHigh, yLow, kWave);
  }
}

void DrawSpectrum(TRaster& raster, std::span<const float> mono, double sampleRate,
                  const TPlotLayout& layout) {
  const int top = kMargin * 2 + layout.WaveHeight;
  const double binHz = sampleRate / kFftSize;
  std::vector<double> window(kFftSize);
  for (int i = 0; i < kFftSize; ++i)
    window[static_cast<std::size_t>(i)] =
        0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFftSize);
  // A full-scale sine peaks at N/4 through the Hann window: that level is 0 dB.
  const double reference = kFftSize / 4.0;
  std::vector<std::complex<double>> frame(kFftSize);
  std::vector<double> magnitude(kFftSize / 2 + 1);
  for (int x = 0; x < layout.Width; ++x) {
    const auto centre = static_cast<std::int64_t>((static_cast<double>(x) + 0.5) *
                                                  static_cast<double>(mono.size()) / layout.Width);
    for (int i = 0; i < kFftSize; ++i) {
      const std::int64_t at = centre - kFftSize / 2 + i;
      const float sample = at >= 0 && at < static_cast<std::int64_t>(mono.size())
                               ? mono[static_cast<std::size_t>(at)]
                               : 0.0f;
      frame[static_cast<std::size_t>(i)] =
          std::isfinite(sample) ? sample * window[static_cast<std::size_t>(i)] : 0.0;
    }
    Fft(frame);
    for (std::size_t bin = 0; bin < magnitude.size(); ++bin)
      magnitude[bin] = std::abs(frame[bin]) / reference;
    for (int row = 0; row < layout.SpectrumHeight; ++row) {
      // The row covers the frequencies from its lower edge up to the row above.
      const double low = PlotRowHz(row + 1, sampleRate, layout);
      const double high = PlotRowHz(row, sampleRate, layout);
      double level = 0.0;
      if (high - low < binHz) { // narrower than a bin: interpolate at the row's centre
        const double bin = std::min(std::sqrt(low * high) / binHz, magnitude.size() - 1.0);
        const auto below = static_cast<std::size_t>(bin);
        const std::size_t above = std::min(below + 1, magnitude.size() - 1);
        const double t = bin - static_cast<double>(below);
        level = magnitude[below] * (1.0 - t) + magnitude[above] * t;
      } else { // wider: the strongest bin inside it
        const auto first = static_cast<std::size_t>(std::ceil(low / binHz));
        const auto last = std::min(static_cast<std::size_t>(high / binHz), magnitude.size() - 1);
        for (std::size_t bin = first; bin <= last; ++bin) level = std::max(level, magnitude[bin]);
      }
      const double db = level > 0.0 ? 20.0 * std::log10(level) : kFloorDb;
      raster.Set(x, top + row, HeatColour(db));
    }
  }
  for (const double hz : {50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0}) {
    if (hz >= HighestHz(sampleRate, layout) || hz <= layout.LowestHz) continue;
    const int y = top + PlotHzRow(hz, sampleRate, layout);
    for (int x = 0; x < layout.Width; x += 4) raster.Set(x, y, kGrid);
    raster.Text(kMargin, y - 12, hz >= 1000.0 ? Integer(hz / 1000.0) + "k" : Integer(hz), kLabel);
  }
}

void DrawSeconds(TRaster& raster, std::size_t frames, double sampleRate,
                 const TPlotLayout& layout) {
  const double seconds = static_cast<double>(frames) / sampleRate;
  if (!(seconds > 0.0)) return;
  const double step = seconds > 120.0 ? 30.0 : seconds > 30.0 ? 10.0 : seconds > 8.0 ? 5.0 : 1.0;
  const int bottom = kMargin * 2 + layout.WaveHeight + layout.SpectrumHeight;
  for (double t = step; t < seconds; t += step) {
    const int x = static_cast<int>(std::lrint(t / seconds * layout.Width));
    for (int y = kMargin; y < bottom; y += 3) raster.Set(x, y, kGrid);
    raster.Text(x + 3, bottom + 3, Integer(t) + "s", kLabel);
  }
}

} // namespace

double PlotRowHz(int row, double sampleRate, const TPlotLayout& layout) {
  const double span = std::log(HighestHz(sampleRate, layout) / layout.LowestHz);
  return layout.LowestHz *
         std::exp(span * (1.0 - static_cast<double>(row) / layout.SpectrumHeight));
}

int PlotHzRow(double hz, double sampleRate, const TPlotLayout& layout) {
  const double span = std::log(HighestHz(sampleRate, layout) / layout.LowestHz);
  return static_cast<int>(
      std::lrint((1.0 - std::log(hz / layout.LowestHz) / span) * layout.SpectrumHeight));
}

TRaster DrawPlot(std::span<const float> mono, double sampleRate, const TPlotLayout& layout) {
  const int height = kMargin * 3 + layout.WaveHeight + layout.SpectrumHeight + 14;
  TRaster raster(layout.Width, height, kBackground);
  DrawWave(raster, mono, layout);
  DrawSpectrum(raster, mono, sampleRate, layout);
  DrawSeconds(raster, mono.size(), sampleRate, layout);
  return raster;
}

} // namespace qvt
