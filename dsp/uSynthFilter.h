// The synthesizer's stereo filter stage: per channel a high-pass followed by
// a low-pass, each of a kind chosen at run time from the filter family.
//
// Threads: the setters may be called from any thread; they only publish the
// wanted values. Process runs on the render thread and applies what was
// published at its start, so filters are never freed, allocated or half
// re-tuned while a frame is filtered.
#pragma once

#include <atomic>
#include <cstdint>

#include "dsp/uFilters.h"

namespace qvt {

inline constexpr int kFilterKindCount = 4;
inline constexpr const char* kFilterKindText[kFilterKindCount] = {"Filter Off", "Biquad",
                                                                  "Butterworth", "Chebyshev"};

// Kind parameter value to kind index: 100·v to the nearest integer (halves to
// even), limited to 0…3.
int FilterKindIndex(float Value);
// Cutoff curves, rounded to 32-bit float: 320·62.5^v and 20·150^v Hz.
float LowPassCutoffHz(float Value);
float HighPassCutoffHz(float Value);

// The two filters (left, right) of one stage. The filters of every kind live
// here for the stage's whole life; selecting a kind rebuilds that kind's pair
// in place, so their state is that of newly created filters.
template <class TBiquad, class TButterworth, class TChebyshev> class TFilterStage {
public:
  explicit TFilterStage(float SampleRate)
      : SampleRate(SampleRate), Off{TFilter(SampleRate), TFilter(SampleRate)},
        Biquad{TBiquad(SampleRate), TBiquad(SampleRate)}, Butterworth{TButterworth(SampleRate),
                                                                      TButterworth(SampleRate)},
        Chebyshev{TChebyshev(SampleRate), TChebyshev(SampleRate)} {
    Active[0] = &Biquad[0];
    Active[1] = &Biquad[1];
  }
  TFilterStage(const TFilterStage&) = delete;
  TFilterStage& operator=(const TFilterStage&) = delete;

  TFilter& Channel(int c) { return *Active[c]; }
  // The kind in use (0 … 3) and its filters by their own type.
  int Kind() const { return KindIndex; }
  TBiquad& BiquadChannel(int c) { return Biquad[c]; }
  TButterworth& ButterworthChannel(int c) { return Butterworth[c]; }
  TChebyshev& ChebyshevChannel(int c) { return Chebyshev[c]; }
  const TFilter& Channel(int c) const { return *Active[c]; }

  // Makes Kind the stage's kind with fresh filters tuned to Hz.
  void Select(int Kind, double Hz) {
    KindIndex = Kind;
    for (int c = 0; c < 2; ++c) Renew(c, Hz);
  }
  void Tune(double Hz) {
    for (TFilter* f : Active) f->SetFrequency(Hz);
  }
  // Replaces channel c's filter by a fresh one of the current kind tuned to Hz.
  void Renew(int c, double Hz) {
    switch (KindIndex) {
    case 0: Active[c] = &(Off[c] = TFilter(SampleRate)); break;
    case 1: Active[c] = &(Biquad[c] = TBiquad(SampleRate)); break;
    case 2: Active[c] = &(Butterworth[c] = TButterworth(SampleRate)); break;
    default: Active[c] = &(Chebyshev[c] = TChebyshev(SampleRate)); break;
    }
    Active[c]->SetFrequency(Hz);
  }

private:
  float SampleRate;
  TFilter Off[2];
  TBiquad Biquad[2];
  TButterworth Butterworth[2];
  TChebyshev Chebyshev[2];
  int KindIndex = 1;
  TFilter* Active[2] = {nullptr, nullptr};
};

} // namespace qvt

class TSynthFilter {
public:
  explicit TSynthFilter(float SampleRate);
  TSynthFilter(const TSynthFilter&) = delete;
  TSynthFilter& operator=(const TSynthFilter&) = delete;

  // Any thread. Each stores the value and, when it differs from the stored
  // one, marks it for the render thread.
  void SetLowPassCutoff(float Value);
  void SetHighPassCutoff(float Value);
  void SetLowPassKind(float Value);
  void SetHighPassKind(float Value);

  // Render thread: applies the marked changes, then filters one stereo frame
  // in place. Allocates nothing and takes no lock.
  void Process(float& Left, float& Right) noexcept;
  // Render thread: the same over a stereo buffer in place, each channel in
  // turn; changes marked meanwhile wait for the next call.
  void ProcessBlock(float* Left, float* Right, int Count) noexcept;
  // Render thread: applies the marked changes without filtering.
  void ApplyPendingChanges() noexcept;

  // Render thread: the filters in use (0 left, 1 right).
  const TFilter& LowPass(int Channel) const { return LowPassStage.Channel(Channel); }
  const TFilter& HighPass(int Channel) const { return HighPassStage.Channel(Channel); }

private:
  double LowPassHz() const;
  double HighPassHz() const;
  // Runs one channel through high-pass and low-pass; a filter whose output is
  // not finite is renewed and the channel keeps its input for this frame.
  float FilterChannel(int Channel, float Input);
  // Both channels side by side in two vector lanes while every filter is
  // ready; returns the number of samples done (it stops after a sample whose
  // output is not finite, which it finishes as FilterChannel would).
  int ProcessLanes(float* Left, float* Right, int Count) noexcept;
  template <class THigh, class TLow>
  int RunLanes(THigh High, TLow Low, float* Left, float* Right, int Count) noexcept;

  qvt::TFilterStage<TBiquadLP, TButterworthLP, TChebyshev1LP> LowPassStage;
  qvt::TFilterStage<TBiquadHP, TButterworthHP, TChebyshev1HP> HighPassStage;
  std::atomic<float> LowPassCutoff{0.99f};
  std::atomic<float> HighPassCutoff{0.01f};
  std::atomic<float> LowPassKind{0.0f};
  std::atomic<float> HighPassKind{0.0f};
  std::atomic<std::uint32_t> PendingChanges{0}; // bit mask of changed values
};
