#include "dsp/uSynthFilter.h"

#include <cmath>

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

float HighPassCutoffHz(float Value) { return static_cast<float>(20.0_x * std::exp(kLn150 * Value)); }

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
  for (int n = 0; n < Count; ++n) Left[n] = FilterChannel(0, Left[n]);
  for (int n = 0; n < Count; ++n) Right[n] = FilterChannel(1, Right[n]);
}
