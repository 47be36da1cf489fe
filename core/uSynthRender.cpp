// The audio thread's work: event intake, the envelope and the per-sample render.
#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>

#include "core/uSynth.h"

namespace {

// Equal temperament, A = 440 Hz: entry i is MIDI note i + 12.
const std::array<double, 120> kNoteFrequencies = [] {
  std::array<double, 120> table{};
  for (int i = 0; i < 120; ++i) table[i] = 440.0 * std::pow(2.0, (i + 12 - 69) / 12.0);
  return table;
}();

std::int32_t SaturatedInt32(double value) {
  if (!(value == value)) return 0;
  return static_cast<std::int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
}

// Values outside 0…1 reach the modules as sent; whatever they do, no stage may
// hand infinity or not-a-number to the next one, where it would stay in filter
// and delay states for good.
constexpr float kSignalCeiling = 1.0e6f;
inline float Contained(float x) {
  return x == x ? std::clamp(x, -kSignalCeiling, kSignalCeiling) : 0.0f;
}
// Oscillator frequencies stay where the phase arithmetic is finite.
constexpr double kFrequencyCeiling = 1.0e7;
inline float OscillatorHz(double hz) {
  return static_cast<float>(hz == hz ? std::clamp(hz, -kFrequencyCeiling, kFrequencyCeiling) : 0.0);
}

// A pipe above half the sample rate (or below zero) asks for a delay shorter
// than two samples; there the line's interpolation reads slots it has not
// written yet and its feedback grows without bound. Such pipes get the
// shortest delay that stays stable.
constexpr double kShortestPipeDelay = 2.0;
inline float PipeDelay(double samples) {
  return static_cast<float>(samples >= kShortestPipeDelay ? samples : kShortestPipeDelay);
}

void ContainBlock(float* left, float* right, int count) {
  for (int n = 0; n < count; ++n) {
    left[n] = Contained(left[n]);
    right[n] = Contained(right[n]);
  }
}

// The stereo width stage at the end of the chain.
inline void Widen(float width, float& left, float& right) {
  const float mid = (left + right) / 2.0f;
  left = Contained(((left - mid) * width * 1.5f + mid + left) / 2.0f);
  right = Contained(((right - mid) * width * 1.5f + mid + right) / 2.0f);
}

// Counters wrap instead of overflowing.
std::int32_t Incremented(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

} // namespace

VstInt32 TSynth::processEvents(VstEvents* events) {
  ApplyPendingChanges();
  if (!events) return 1;
  // The host's list runs past the two slots the record declares: index it
  // through a pointer, not the declared array.
  VstEvent* const* const list = events->events;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (!event || event->type != kVstMidiType) continue;
    if (PendingEventCount == kMaxPendingEvents) break;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    PendingEvents[PendingEventCount++] = {std::max<std::int32_t>(0, midi->deltaFrames),
                                          static_cast<std::uint8_t>(midi->midiData[0]),
                                          static_cast<std::uint8_t>(midi->midiData[1] & 0x7F),
                                          static_cast<std::uint8_t>(midi->midiData[2] & 0x7F)};
  }
  return 1;
}

void TSynth::HandleEvent(const TPendingEvent& event) {
  const int status = event.Status & 0xF0;
  if (status == 0x90 && event.Data2 > 0) {
    NoteOn(event.Data1);
  } else if (status == 0x80 || status == 0x90) {
    NoteOff();
  } else if (status == 0xB0 && event.Data1 == 126) {
    HeldKeyCount = 0;
    EnvState = esRelease;
  }
}

void TSynth::NoteOn(int note) {
  TSynthModules& m = *Current;
  const double tempo = tempoAt(0) / 10000.0;
  Tempo = tempo;
  const float sampleRate = getSampleRate();
  SamplesPerBeat_ = tempo > 0.0 ? SaturatedInt32(std::nearbyint(60.0 * sampleRate / tempo)) : 0;
  if (SpeedDivisor == 0)
    SamplesPerStep_ = SaturatedInt32(2.0 * SamplesPerBeat_);
  else
    SamplesPerStep_ = SamplesPerBeat_ / SpeedDivisor;
  StepCount = 0;
  ++HeldKeyCount;

  if (EditBuffer.Value(piRootA4) > 0.5f) note = 57;
  NoteFreq = kNoteFrequencies[std::clamp(note - 12, 0, 119)];
  for (int k = 0; k < 3; ++k) OscFreq[k] = OscRatio[k] * NoteFreq + OscOffset[k];
  m.Generator.SetFrequency1(OscillatorHz(OscFreq[0]));
  m.Generator.SetFrequency2(OscillatorHz(OscFreq[1]));
  m.Generator.SetFrequency3(OscillatorHz(OscFreq[2]));
  PipeFreq = PipeRatio * NoteFreq + PipeOffset;
  SetPipeDelays(PipeFreq);

  if (!VoiceActive_ || EditBuffer.Value(piLoop) > 0.5f) {
    AttackRemainder = 1.0;
    m.Generator.ResetPhases();
  }
  if (!VoiceActive_ || HeldKeyCount == 1) {
    SampleCount = 0;
    VoiceActive_ = true;
    EnvState = esAttack;
    AttackRemainder = 1.0 - EnvLevel;
  }
}

void TSynth::NoteOff() {
  if (--HeldKeyCount < 0) HeldKeyCount = 0;
  if (HeldKeyCount < 1 && EnvState != esOff) EnvState = esRelease;
}

void TSynth::PipeDelays(double frequency, float& left, float& right) const {
  const double sampleRate = getSampleRate();
  left = PipeDelay(sampleRate / (frequency - PipeSpread));
  right = PipeDelay(sampleRate / (frequency + PipeSpread));
}

void TSynth::SetPipeDelays(double frequency) {
  float left, right;
  PipeDelays(frequency, left, right);
  Current->DelayLeft.SetDelay(left);
  Current->DelayRight.SetDelay(right);
}

void TSynth::StepEnvelope() {
  switch (EnvState) {
  case esAttack:
    VoiceActive_ = true;
    AttackRemainder *= AttackCoef;
    EnvLevel = 1.0 - AttackRemainder;
    if (EnvLevel >= 1.0) EnvState = esSustain;
    break;
  case esSustain:
    VoiceActive_ = true;
    EnvLevel = 1.0;
    break;
  case esRelease:
    VoiceActive_ = true;
    EnvLevel *= ReleaseCoef;
    if (EnvLevel <= 0.0001) {
      EnvState = esOff;
      EnvLevel = 0.0;
      VoiceActive_ = false;
    }
    break;
  case esOff:
    EnvLevel = 0.0;
    VoiceActive_ = false;
    break;
  }
}

// Envelope, pattern step, glide and the oscillator frequencies for one sample.
// When the pipe follows the pattern, its two delays for this sample are
// written to pipeLeft and pipeRight; they are applied before the pipe runs.
void TSynth::AdvanceControl(float& pipeLeft, float& pipeRight) {
  TSynthModules& m = *Current;
  StepEnvelope();

  if (static_cast<std::int64_t>(SamplesPerStep_) * StepCount == SampleCount) {
    GlideTarget = Steps[static_cast<std::uint32_t>(StepCount) % 16].load(std::memory_order_relaxed);
    StepCount = Incremented(StepCount);
  }
  Glide = GlideTarget * GlideCoef + Glide * (1.0 - GlideCoef);
  if (!(std::fabs(Glide) < 1.0e30)) Glide = 0.0; // only absurd step or glide values get here

  if (OscFollowsPattern[0]) m.Generator.SetFrequency1(OscillatorHz(Glide * OscFreq[0]));
  if (OscFollowsPattern[1]) m.Generator.SetFrequency2(OscillatorHz(Glide * OscFreq[1]));
  if (OscFollowsPattern[2]) m.Generator.SetFrequency3(OscillatorHz(Glide * OscFreq[2]));
  if (PipeFollowsPattern) PipeDelays(Glide * PipeFreq, pipeLeft, pipeRight);
}

// One sample is a segment of one: every module is called exactly once.
void TSynth::RenderSample(float& left, float& right) { RenderSegment(&left, &right, 1); }

// Renders up to kSegment samples module by module: each module sees exactly
// the calls of sample-by-sample rendering, in the same order, so the result is
// the same while every module runs in a tight loop of its own.
void TSynth::RenderSegment(float* left, float* right, int count) {
  TSynthModules& m = *Current;
  float pipeLeft[kSegment], pipeRight[kSegment];
  double envelope[kSegment];
  for (int n = 0; n < count; ++n) {
    AdvanceControl(pipeLeft[n], pipeRight[n]);
    m.Generator.AdvancePhases(n);
    envelope[n] = EnvLevel;
    SampleCount = Incremented(SampleCount);
  }
  m.Generator.ProcessSegment(left, right, count);
  for (int n = 0; n < count; ++n) {
    left[n] = Contained(static_cast<float>(left[n] * envelope[n]));
    right[n] = Contained(static_cast<float>(right[n] * envelope[n]));
  }

  if (PipeOn) {
    TFastDelay::ProcessStereo(m.DelayLeft, m.DelayRight, left, right,
                              PipeFollowsPattern ? pipeLeft : nullptr,
                              PipeFollowsPattern ? pipeRight : nullptr, count);
    ContainBlock(left, right, count);
  } else if (PipeFollowsPattern && count > 0) {
    // Only the last delay counts while the pipe is silent.
    m.DelayLeft.SetDelay(pipeLeft[count - 1]);
    m.DelayRight.SetDelay(pipeRight[count - 1]);
  }

  m.SynthFilter.ProcessBlock(left, right, count);
  ContainBlock(left, right, count);
  m.Chorus.ProcessBlock(left, right, count);
  ContainBlock(left, right, count);
  m.Reverb.ProcessBlock(left, right, count);
  ContainBlock(left, right, count);

  const float width = EditBuffer.Value(piStereoWidth);
  for (int n = 0; n < count; ++n) {
    Widen(width, left[n], right[n]);
    assert(std::isfinite(left[n]) && std::isfinite(right[n]));
  }
}

void TSynth::RenderBlock(float** outputs, VstInt32 sampleFrames, bool accumulate) {
  ApplyPendingChanges();
  BeginBlock();
  float* left = outputs[0];
  float* right = outputs[1];
  VstInt32 frame = 0;
  // Events take effect at their offsets, in list order; an offset beyond the
  // block takes effect after its last sample.
  auto renderUntil = [&](VstInt32 end) {
    while (frame < end) {
      const int count = static_cast<int>(std::min<VstInt32>(end - frame, kSegment));
      float l[kSegment], r[kSegment];
      RenderSegment(l, r, count);
      for (int n = 0; n < count; ++n) {
        left[frame + n] = accumulate ? left[frame + n] + l[n] : l[n];
        right[frame + n] = accumulate ? right[frame + n] + r[n] : r[n];
      }
      frame += count;
    }
  };
  for (int i = 0; i < PendingEventCount; ++i) {
    renderUntil(std::min<VstInt32>(PendingEvents[i].Position, sampleFrames));
    HandleEvent(PendingEvents[i]);
  }
  PendingEventCount = 0;
  renderUntil(sampleFrames);
}
