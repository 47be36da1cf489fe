#include "dsp/uOsc.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

alignas(64) float WaveTable[qvt::kWaveCount][qvt::kWaveLength];

namespace {

constexpr int kIndexMask = qvt::kWaveLength - 1;

// Inflates a zlib stream, keeping the first Out.size() bytes. The whole stream
// is inflated so that a damaged checksum or a truncated stream is caught.
// Returns the total inflated length.
std::size_t InflateInto(std::vector<std::uint8_t>& Stream, std::vector<std::uint8_t>& Out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw std::runtime_error("zlib: cannot initialise inflate");
  z.next_in = Stream.data();
  z.avail_in = static_cast<uInt>(Stream.size());

  std::uint8_t overflow[4096];
  std::size_t total = 0;
  int ret = Z_OK;
  while (ret != Z_STREAM_END) {
    const bool intoOut = total < Out.size();
    z.next_out = intoOut ? Out.data() + total : overflow;
    z.avail_out = static_cast<uInt>(intoOut ? Out.size() - total : sizeof overflow);
    const uInt before = z.avail_out;
    ret = inflate(&z, Z_NO_FLUSH);
    total += before - z.avail_out;
    if (ret == Z_STREAM_END) break;
    if (ret == Z_BUF_ERROR && z.avail_in == 0) {
      inflateEnd(&z);
      throw std::runtime_error("zlib: unexpected end of compressed data");
    }
    if (ret != Z_OK) {
      const std::string message = std::string("zlib: ") + (z.msg ? z.msg : zError(ret));
      inflateEnd(&z);
      throw std::runtime_error(message);
    }
  }
  inflateEnd(&z);
  return total;
}

float FloatFromLittleEndian(const std::uint8_t* p) {
  const std::uint32_t bits = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                             std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
  return std::bit_cast<float>(bits);
}

const float* Wave(std::uint8_t Index) {
  // Indices beyond the last wave read the last wave instead of foreign memory.
  return WaveTable[std::min<int>(Index, qvt::kWaveCount - 1)];
}

// trunc in Extended arithmetic without a library call. In double precision a
// conversion to a 64-bit integer truncates (exact below 2^52, where larger
// values are integers already). In 80-bit precision it rounds to an adjacent
// integer and steps toward zero instead of switching the x87 rounding mode,
// which stalls the pipeline.
qvt::Extended TruncExtended(qvt::Extended x) {
  if constexpr (sizeof(qvt::Extended) == sizeof(double)) {
    return std::fabs(x) < 0x1p52 ? static_cast<double>(static_cast<long long>(x)) : x;
  } else {
    qvt::Extended r = std::rint(x);
    if (x >= 0 ? r > x : r < x) r += x >= 0 ? -1 : 1;
    return r;
  }
}

// std::nearbyint without a library call (the baseline instruction set has no
// rounding instruction): adding and removing 2^52 rounds to an integer, ties to
// even, for |x| < 2^52; larger values are integers already. The sign is kept,
// so −0.3 gives −0 as nearbyint does.
double NearestEven(double x) {
  if (!(std::fabs(x) < 0x1p52)) return x;
  const double big = std::copysign(0x1p52, x);
  return std::copysign((x + big) - big, x);
}

// Outcome of the last guarded load.
bool gLoaded = false;
char gError[256] = "";

template <class TLoad> bool LoadGuarded(TLoad load) noexcept {
  gLoaded = false;
  gError[0] = '\0';
  try {
    load();
    gLoaded = true;
  } catch (const std::exception& e) {
    std::snprintf(gError, sizeof gError, "%s", e.what());
  } catch (...) {
    std::snprintf(gError, sizeof gError, "unknown failure while loading the wavetable");
  }
  return gLoaded;
}

// Fills the table while the library is loaded; nothing may escape from here.
const bool gLoadedAtStartup = qvt::LoadWaveTableGuarded();

} // namespace

namespace qvt {

bool LoadWaveTableGuarded() noexcept {
  return LoadGuarded([] { LoadWaveTable(); });
}

bool LoadWaveTableGuarded(TResourceData Resource) noexcept {
  return LoadGuarded([Resource] { LoadWaveTable(Resource); });
}

bool WaveTableLoaded() { return gLoaded; }

const char* WaveTableError() { return gError; }

} // namespace qvt

void LoadWaveTable() { LoadWaveTable(FindResourceData("WAVETABLE", "WAVETABLE")); }

void LoadWaveTable(TResourceData Resource) {
  if (Resource.Data == nullptr)
    throw std::runtime_error("The resource \"WAVETABLE\" of type \"WAVETABLE\" was not found");
  if (Resource.Size == 0)
    throw std::runtime_error("The resource \"WAVETABLE\" of type \"WAVETABLE\" is empty");
  if (Resource.Size < 2) throw std::runtime_error("zlib: unexpected end of compressed data");

  // The stored stream carries A4 48 where the zlib header 78 DA belongs.
  std::vector<std::uint8_t> stream(Resource.Data, Resource.Data + Resource.Size);
  stream[0] = 0x78;
  stream[1] = 0xDA;

  std::vector<std::uint8_t> bytes(qvt::kWaveTableBytes);
  if (InflateInto(stream, bytes) < bytes.size()) throw std::runtime_error("Stream read error");

  float* table = &WaveTable[0][0];
  for (std::size_t i = 0; i < bytes.size() / 4; ++i)
    table[i] = FloatFromLittleEndian(&bytes[4 * i]);
}

float WaveLookup(std::uint8_t Wave, double Phase) {
  double pos = Phase * qvt::kPhaseToIndex;
  // A phase that is not finite, or too large for the index arithmetic (only
  // absurd parameter values or sample rates make one), reads the table's start.
  if (!(std::fabs(pos) < 4.0e18)) pos = 0.0;
  // Rounding pos − 0.5 gives the floor of pos, except that an odd integral pos
  // yields pos − 1 with frac 1, which interpolates to the same sample.
  const long long i = std::llrint(pos - 0.5);
  const float frac = static_cast<float>(pos - static_cast<double>(i));

  const float* t = ::Wave(Wave);
  const double ym1 = t[(i - 1) & kIndexMask];
  const double y0 = t[i & kIndexMask];
  const double y1 = t[(i + 1) & kIndexMask];
  const double y2 = t[(i + 2) & kIndexMask];

  // Four-point third-order Hermite; the coefficients are exact in 64 bits for
  // 32-bit samples, so the curve passes through the stored samples.
  const double c = 0.5 * (y1 - ym1);
  const double v = y0 - y1;
  const double w = c + v;
  const double a = w + v + 0.5 * (y2 - y0);
  const double b = w + a;
  return static_cast<float>(((a * frac - b) * frac + c) * frac + y0);
}

float WaveLookupRaw(std::uint8_t Wave, double Phase) {
  const long long i = std::llrint(std::trunc(Phase * qvt::kPhaseToIndex));
  return ::Wave(Wave)[i & kIndexMask];
}

double WaveShapeFactor(double Amount) {
  if (Amount >= 1.0) Amount = 0.99;
  if (Amount <= -1.0) Amount = -0.99;
  return 2.0 * Amount / (1.0 - Amount);
}

float WaveShape(double Amount, float X) {
  const double k = WaveShapeFactor(Amount);
  return static_cast<float>((1.0 + k) * X / (std::fabs(X) * k + 1.0));
}

float ReduceBits(double Steps, double Inv, float X) {
  return static_cast<float>(NearestEven(Steps * X) * Inv);
}

void ReductionCoefs(float Amount, double& Steps, double& Inv) {
  Steps = std::exp2((1.0 - Amount) * 7.0 + 1.0) - 1.0;
  Inv = 1.0 / Steps;
}

TOsc::TOsc(float SampleRate) : SampleRate(SampleRate) { TOsc::SetFrequency(1000.0f); }

void TOsc::SetFrequency(float Value) {
  if (Value == Frequency) return;
  Frequency = Value;
  PhaseInc = static_cast<double>(qvt::kTwoPiX * Frequency / SampleRate);
}

namespace qvt {

double ReducePhaseExtended(double p) {
  if constexpr (sizeof(Extended) == sizeof(double)) {
    // The same formula with 2π in parts: as exact as in 80 bits (more, below
    // 2^29 turns), where one 53-bit 2π would be off by 2.4e-16 per turn.
    if (std::fabs(p) > kTwoPiBelow) {
      const double t = TruncExtended(p / kTwoPiX);
      p = ((p - t * kTwoPiHi) - t * kTwoPiMid) - t * kTwoPiLo;
    }
    if (p < 0.0) p = ((p + kTwoPiHi) + kTwoPiMid) + kTwoPiLo;
  } else {
    const Extended x = p;
    if (std::fabs(x) > kTwoPiX) p = static_cast<double>(x - TruncExtended(x / kTwoPiX) * kTwoPiX);
    if (p < 0.0) p = static_cast<double>(p + kTwoPiX);
  }
  return p;
}

} // namespace qvt

float TOsc::Process(float PhaseOffset, float PhaseScale) {
  // The reduction runs on almost every call because the stored phase is never
  // wrapped.
  const double p = qvt::ReducePhase(Phase * PhaseScale + PhaseOffset);

  float s = WaveLookup(WaveForm, p);
  if (Shape != 0.0f) s = WaveShape(Shape, s);
  if (Reduction > 0.0f) s = ReduceBits(ReductionSteps, ReductionInv, s);
  Phase += PhaseInc;
  return s;
}

qvt::TOscVoice PlainVoice(std::uint8_t Wave) {
  qvt::TOscVoice v;
  v.WaveForm = Wave;
  v.Table = ::Wave(Wave);
  return v;
}

qvt::TOscVoice TOsc::Voice() const {
  qvt::TOscVoice v;
  v.WaveForm = WaveForm;
  v.Table = Wave(WaveForm);
  v.Shape = Shape;
  v.ShapeFactor = WaveShapeFactor(Shape);
  v.Reduction = Reduction;
  v.ReductionSteps = ReductionSteps;
  v.ReductionInv = ReductionInv;
  return v;
}

void TOsc::SetWaveForm(std::uint8_t Value) {
  if (Value != WaveForm) WaveForm = Value;
}

void TOsc::SetReduction(float Value) {
  if (Value == Reduction) return;
  Reduction = Value;
  ReductionCoefs(Reduction, ReductionSteps, ReductionInv);
}
