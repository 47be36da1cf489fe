// TSynth: the monophonic engine. It turns MIDI notes and the stored parameters
// into stereo audio, driving the sound modules once per sample.
//
// Threads: parameter changes, KillVoice and suspend may come from any thread;
// they are posted to an inbox that the audio thread drains at the start of each
// block (and before taking events), in the order they were made. A sample-rate
// change builds a new module set on the calling thread and hands it over through
// the inbox, in order with the other changes; the set it replaces is freed later,
// off the audio thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/uEngineInbox.h"
#include "core/uPlugin.h"
#include "dsp/uDspClasses.h"
#include "dsp/uGenerator.h"
#include "dsp/uSynthFilter.h"

// The sound modules of one sample rate, created in the engine's order.
struct TSynthModules {
  explicit TSynthModules(float SampleRate);
  float SampleRate;
  TReverb Reverb;
  TChorus Chorus;
  TGenerator Generator;
  TFastDelay DelayLeft;
  TFastDelay DelayRight;
  TSynthFilter SynthFilter;
  TSynthModules* NextRetired = nullptr; // the list of retired sets
};

class TSynth final : public TPlugin {
public:
  explicit TSynth(audioMasterCallback audioMaster);
  ~TSynth() override;

  void setParameter(VstInt32 index, float value) override; // any
  void suspend() override;                                 // any
  void setSampleRate(float rate) override;                 // any but audio
  VstInt32 processEvents(VstEvents* events) override;      // audio
  void RebuildModules() override;                          // any but audio
  void KillVoice() override;                               // any
  void RenderSample(float& left, float& right) override;   // audio
  void BeginBlock() override;                              // audio

  // Sets the parameters 54 to 69 from the step table and announces them (UI thread).
  void CommitSteps();
  // The same for one step given a new ratio: the step table, the stored value
  // (not limited) and the announcement (UI thread).
  void CommitStep(int step, float ratio);

  // Audio thread: applies the changes posted so far; rendering does this itself.
  void ApplyPendingChanges();

  // Engine state, for tests and tools; read it on the audio thread or between blocks.
  enum TEnvelopeState : std::int32_t { esOff = 0, esAttack = 1, esSustain = 2, esRelease = 3 };
  bool VoiceActive() const { return VoiceActive_; }
  TEnvelopeState EnvelopeState() const { return EnvState; }
  double EnvelopeLevel() const { return EnvLevel; }
  double AttackCoefficient() const { return AttackCoef; }
  double ReleaseCoefficient() const { return ReleaseCoef; }
  double GlideValue() const { return Glide; }
  double NoteFrequency() const { return NoteFreq; }
  std::int32_t HeldKeys() const { return HeldKeyCount; }
  std::int32_t SamplesPerBeat() const { return SamplesPerBeat_; }
  std::int32_t SamplesPerStep() const { return SamplesPerStep_; }
  std::int32_t StepCounter() const { return StepCount; }
  std::int32_t SampleCounter() const { return SampleCount; }
  const TSynthModules& Modules() const { return *Current; }

protected:
  void RenderBlock(float** outputs, VstInt32 sampleFrames, bool accumulate) override;

private:
  struct TPendingEvent {
    std::int32_t Position;
    std::uint8_t Status, Data1, Data2;
  };
  static constexpr int kMaxPendingEvents = 4096;

  void Apply(const qvt::TEngineCommand& command);
  void ApplyParameter(int index, float value);
  void DoKillVoice();
  void DoSuspend();
  void HandleEvent(const TPendingEvent& event);
  void NoteOn(int note);
  void NoteOff();
  void StepEnvelope();
  void SetPipeDelays(double frequency);
  void PipeDelays(double frequency, float& left, float& right) const;
  void AdvanceControl(float& pipeLeft, float& pipeRight);
  static constexpr int kSegment = TGenerator::kMaxSegment; // samples rendered module by module
  void RenderSegment(float* left, float* right, int count);
  void AdoptPendingModules();
  void FreeRetiredModules();
  double Coefficient(double milliseconds) const;

  // Voice and envelope.
  bool VoiceActive_ = false;
  TEnvelopeState EnvState = esOff;
  double EnvLevel = 0.0;
  double AttackRemainder = 0.0;
  double AttackCoef = -0.0068;
  double ReleaseCoef = -0.0068;
  // Pattern and glide.
  double Glide = 0.0;
  double GlideTarget = 0.0;
  double GlideCoef = 0.1;
  std::int32_t StepCount = 0;
  std::int32_t SampleCount = 0;
  std::int32_t SamplesPerBeat_ = 0;
  std::int32_t SamplesPerStep_ = 0;
  std::int32_t SpeedDivisor = 4;
  std::int32_t HeldKeyCount = 0;
  // Oscillators and pipe.
  std::array<double, 3> OscOffset{};
  std::array<double, 3> OscRatio{};
  double PipeRatio = 0.0;
  double PipeOffset = 0.0;
  double PipeFreq = 0.0;
  double PipeSpread = 0.0;
  bool PipeOn = false;
  std::array<bool, 3> OscFollowsPattern{};
  bool PipeFollowsPattern = false;
  double Tempo = 0.0;
  double NoteFreq = 1000.0;
  std::array<double, 3> OscFreq{};

  // The module set in use (audio thread), the one waiting to be adopted and the
  // list of those it replaced, waiting to be freed off the audio thread.
  TSynthModules* Current = nullptr;
  std::atomic<TSynthModules*> Pending{nullptr};
  std::atomic<TSynthModules*> Retired{nullptr};
  std::mutex RebuildLock; // serialises rebuilds; never taken on the audio thread

  qvt::TEngineInbox Inbox;
  // The last value sent for each engine parameter, re-applied to a rebuilt module set.
  std::array<std::atomic<float>, qvt::TEngineInbox::kSlots> SentValues{};
  std::array<TPendingEvent, kMaxPendingEvents> PendingEvents{};
  int PendingEventCount = 0;
};
