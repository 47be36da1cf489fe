// wavegen RECIPE OUTPUT
//
// Builds the four single-cycle waves of the wavetable by additive synthesis and
// writes them as 8192 little-endian 32-bit floats (32768 bytes). Each recipe
// line names a shape, the number of harmonics and the smoothing window; see
// docs/wavetable.md. The output depends only on the recipe.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kWaveCount = 4;
constexpr int kLength = 2048;
constexpr int kMaxHarmonic = kLength / 2 - 1;

enum class TShape { Sine, Triangle, Sawtooth, InvertedSawtooth };
enum class TWindow { None, Sigma };

struct TWaveRecipe {
  TShape Shape;
  int Harmonics;
  TWindow Window;
};

using TWave = std::array<double, kLength>;

// sin(2π·j/2048) built from the first quarter so that the table is exactly
// odd- and quarter-symmetric, with exact zeros at 0 and π and ±1 at the peaks.
TWave SineTable() {
  TWave t{};
  for (int j = 0; j < kLength; ++j) {
    const int q = j % (kLength / 2);
    const int m = q <= kLength / 4 ? q : kLength / 2 - q;
    const double s = std::sin(std::numbers::pi * m / (kLength / 2));
    t[j] = j < kLength / 2 ? s : (s == 0.0 ? 0.0 : -s);
  }
  return t;
}

// Sine-series coefficient of harmonic k; every shape is an odd function that
// starts at 0 and moves the way its name says.
double Coefficient(TShape shape, int k) {
  constexpr double pi = std::numbers::pi;
  switch (shape) {
  case TShape::Sine: return k == 1 ? 1.0 : 0.0;
  case TShape::Triangle:
    if (k % 2 == 0) return 0.0;
    return (k % 4 == 1 ? 8.0 : -8.0) / (pi * pi * k * k);
  case TShape::Sawtooth: return (k % 2 == 1 ? 2.0 : -2.0) / (pi * k);
  case TShape::InvertedSawtooth: return (k % 2 == 1 ? -2.0 : 2.0) / (pi * k);
  }
  return 0.0;
}

// Lanczos sigma factor: tapers the top harmonics to tame the ripple that a
// hard cut-off leaves next to corners and jumps.
double Sigma(TWindow window, int k, int harmonics) {
  if (window == TWindow::None) return 1.0;
  const double x = std::numbers::pi * k / (harmonics + 1);
  return std::sin(x) / x;
}

// Sums the series and scales it so that the largest magnitude is exactly 1.
std::array<float, kLength> Synthesize(const TWaveRecipe& recipe, const TWave& sine) {
  TWave sum{};
  for (int k = 1; k <= recipe.Harmonics; ++k) {
    const double gain = Coefficient(recipe.Shape, k) * Sigma(recipe.Window, k, recipe.Harmonics);
    if (gain == 0.0) continue;
    for (int n = 0; n < kLength; ++n) sum[n] += gain * sine[(k * n) % kLength];
  }
  double peak = 0.0;
  for (double v : sum) peak = std::max(peak, std::fabs(v));
  if (peak == 0.0) throw std::runtime_error("a wave is silent");
  std::array<float, kLength> wave{};
  for (int n = 0; n < kLength; ++n) wave[n] = static_cast<float>(sum[n] / peak);
  return wave;
}

TShape ParseShape(const std::string& word) {
  if (word == "sine") return TShape::Sine;
  if (word == "triangle") return TShape::Triangle;
  if (word == "sawtooth") return TShape::Sawtooth;
  if (word == "inverted-sawtooth") return TShape::InvertedSawtooth;
  throw std::runtime_error("unknown shape '" + word + "'");
}

TWindow ParseWindow(const std::string& word) {
  if (word == "none") return TWindow::None;
  if (word == "sigma") return TWindow::Sigma;
  throw std::runtime_error("unknown window '" + word + "'");
}

int ParseHarmonics(const std::string& word) {
  int value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value < 1 || value > kMaxHarmonic)
    throw std::runtime_error("harmonics must be 1 … " + std::to_string(kMaxHarmonic) + ", not '" +
                             word + "'");
  return value;
}

// One wave per line, in table order: shape harmonics window. '#' starts a comment.
std::vector<TWaveRecipe> ReadRecipe(const char* path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error(std::string("cannot open ") + path);
  std::vector<TWaveRecipe> recipes;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string shape, harmonics, window, extra;
    if (!(words >> shape)) continue;
    try {
      if (!(words >> harmonics >> window) || (words >> extra))
        throw std::runtime_error("expected: shape harmonics window");
      recipes.push_back({ParseShape(shape), ParseHarmonics(harmonics), ParseWindow(window)});
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string(path) + ":" + std::to_string(number) + ": " + e.what());
    }
  }
  if (recipes.size() != kWaveCount)
    throw std::runtime_error(std::string(path) + ": expected " + std::to_string(kWaveCount) +
                             " waves, found " + std::to_string(recipes.size()));
  return recipes;
}

void WriteTable(const char* path, const std::vector<std::array<float, kLength>>& waves) {
  std::string bytes;
  for (const auto& wave : waves)
    for (float v : wave) {
      const std::uint32_t bits = std::bit_cast<std::uint32_t>(v);
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(bits >> shift));
    }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + path);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: wavegen RECIPE OUTPUT\n");
    return 2;
  }
  try {
    const TWave sine = SineTable();
    std::vector<std::array<float, kLength>> waves;
    for (const TWaveRecipe& recipe : ReadRecipe(argv[1])) waves.push_back(Synthesize(recipe, sine));
    WriteTable(argv[2], waves);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wavegen: %s\n", e.what());
    return 1;
  }
  return 0;
}
