#include "core/uSynth.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/uParamTable.h"
#include "editor/uPluginEditor.h"
#include "lib/uFunctions.h"

TSynthModules::TSynthModules(float SampleRate)
    : SampleRate(SampleRate), Reverb(SampleRate), Chorus(SampleRate), Generator(SampleRate),
      DelayLeft(SampleRate), DelayRight(SampleRate), SynthFilter(SampleRate) {}

TSynth::TSynth(audioMasterCallback audioMaster) : TPlugin(audioMaster) {
  for (auto& value : SentValues) value.store(0.0f, std::memory_order_relaxed);
  Current = new TSynthModules(getSampleRate());
  Initialize();
  // Construction runs before any block: apply what Initialize posted.
  ApplyPendingChanges();
}

TSynth::~TSynth() {
  delete Current;
  delete Pending.exchange(nullptr);
  FreeRetiredModules();
}

// ---- changes from any thread ---------------------------------------------------------

void TSynth::setParameter(VstInt32 index, float value) {
  TPlugin::setParameter(index, value);
  if (index >= 0 && index < qvt::TEngineInbox::kSlots) {
    // A value that is not a number would poison filter and delay states for good.
    const float sent = std::isfinite(value) ? value : 0.0f;
    SentValues[index].store(sent, std::memory_order_relaxed);
    if (index >= piStep1) {
      // The step table is shared with the pattern operations and read by the render.
      Steps[index - piStep1].store(static_cast<float>(qvt::StepRatioFromValue(sent)),
                              std::memory_order_relaxed);
    } else {
      Inbox.Post({qvt::TEngineCommand::ckParameter, static_cast<std::int16_t>(index), sent});
    }
  }
  if (!EditorClosed.load() && EditorBridge) EditorBridge->ParamChanged(index, value);
}

void TSynth::KillVoice() { Inbox.Post({qvt::TEngineCommand::ckKillVoice, 0, 0.0f}); }

void TSynth::suspend() { Inbox.Post({qvt::TEngineCommand::ckSuspend, 0, 0.0f}); }

void TSynth::setSampleRate(float rate) {
  // A rate that is not a positive number would break the modules, and one
  // beyond 10 MHz would claim absurd memory: keep the current ones.
  if (!qvt::IsUsableSampleRate(rate)) return;
  TPlugin::setSampleRate(rate);
  std::lock_guard lock(RebuildLock);
  if (rate == ModulesSampleRate) return;
  ModulesSampleRate = rate;
  RebuildModules();
}

void TSynth::RebuildModules() {
  FreeRetiredModules();
  auto* modules = new TSynthModules(ModulesSampleRate);
  delete Pending.exchange(modules, std::memory_order_acq_rel); // a set never adopted
  // The audio thread takes the newest set when it reaches this command, in order
  // with the changes posted before and after it.
  Inbox.Post({qvt::TEngineCommand::ckAdoptModules, 0, 0.0f});
}

void TSynth::FreeRetiredModules() {
  TSynthModules* modules = Retired.exchange(nullptr, std::memory_order_acq_rel);
  while (modules) delete std::exchange(modules, modules->NextRetired);
}

// ---- the audio thread's side ---------------------------------------------------------

void TSynth::AdoptPendingModules() {
  // An earlier command may have taken the newest set already.
  TSynthModules* modules = Pending.exchange(nullptr, std::memory_order_acq_rel);
  if (!modules) return;
  TSynthModules* retired = std::exchange(Current, modules);
  retired->NextRetired = Retired.load(std::memory_order_relaxed);
  while (!Retired.compare_exchange_weak(retired->NextRetired, retired, std::memory_order_acq_rel)) {
  }
  // The new modules start from their construction defaults: give them the values
  // sent so far. A value sent later is behind this command in the inbox.
  for (int index = 0; index < piStep1; ++index)
    ApplyParameter(index, SentValues[index].load(std::memory_order_relaxed));
}

void TSynth::ApplyPendingChanges() {
  Inbox.Drain([this](const qvt::TEngineCommand& command) { Apply(command); });
}

void TSynth::Apply(const qvt::TEngineCommand& command) {
  switch (command.Kind) {
  case qvt::TEngineCommand::ckParameter: ApplyParameter(command.Index, command.Value); break;
  case qvt::TEngineCommand::ckKillVoice: DoKillVoice(); break;
  case qvt::TEngineCommand::ckSuspend: DoSuspend(); break;
  case qvt::TEngineCommand::ckAdoptModules: AdoptPendingModules(); break;
  }
}

double TSynth::Coefficient(double milliseconds) const {
  static const double kLnMinimum = std::log(0.0001) - std::log(1.0);
  const double coefficient = kLnMinimum / (0.001 * milliseconds * getSampleRate()) + 1.0;
  // A time of 0 ms (only reachable with values outside 0…1) ends the stage at once.
  return std::isfinite(coefficient) ? coefficient : 0.0;
}

void TSynth::ApplyParameter(int index, float v) {
  TSynthModules& m = *Current;
  TGenerator& generator = m.Generator;
  switch (static_cast<TParamIndex>(index)) {
  case piGenerationScheme:
    generator.SetAlgorithm(static_cast<int>(std::clamp(std::nearbyint(v * 10.0), -1e6, 1e6)));
    break;
  case piOsc1Level: generator.SetLevel1(v); break;
  case piOsc2Level: generator.SetLevel2(v); break;
  case piOsc3Level: generator.SetLevel3(v); break;
  case piOsc1Offset:
  case piOsc2Offset:
  case piOsc3Offset: OscOffset[index - piOsc1Offset] = qvt::OffsetFromValue(v); break;
  case piOsc1Ratio:
  case piOsc2Ratio:
  case piOsc3Ratio: OscRatio[index - piOsc1Ratio] = qvt::RatioFromValue(v); break;
  case piOsc1Waveform:
  case piOsc2Waveform:
  case piOsc3Waveform: {
    const auto wave = static_cast<std::uint8_t>(std::clamp(std::nearbyint(v * 10.0), 0.0, 3.0));
    if (index == piOsc1Waveform) generator.SetWaveForm1(wave);
    if (index == piOsc2Waveform) generator.SetWaveForm2(wave);
    if (index == piOsc3Waveform) generator.SetWaveForm3(wave);
    break;
  }
  case piOsc1Seq:
  case piOsc2Seq:
  case piOsc3Seq: OscFollowsPattern[index - piOsc1Seq] = v >= 0.5f; break;
  case piOsc1Reduction: generator.SetReduction1(v); break;
  case piOsc2Reduction: generator.SetReduction2(v); break;
  case piOsc3Reduction: generator.SetReduction3(v); break;
  case piOsc1Shape: generator.SetShape1(2.0f * v - 1.0f); break;
  case piOsc2Shape: generator.SetShape2(2.0f * v - 1.0f); break;
  case piOsc3Shape: generator.SetShape3(2.0f * v - 1.0f); break;
  case piStereoWidth: break; // read from the edit buffer every sample
  case piDetune: generator.SetDetune(v); break;
  case piFilterLowpassCutoff: m.SynthFilter.SetLowPassCutoff(v); break;
  case piFilterHighpassCutoff: m.SynthFilter.SetHighPassCutoff(v); break;
  case piFilterLowpassType: m.SynthFilter.SetLowPassKind(v); break;
  case piFilterHighpassType: m.SynthFilter.SetHighPassKind(v); break;
  case piAttackTime: AttackCoef = Coefficient(qvt::EnvelopeTimeMs(v)); break;
  case piReleaseTime: ReleaseCoef = Coefficient(qvt::EnvelopeTimeMs(v)); break;
  case piPipe:
    PipeOn = v > 0.5f;
    m.DelayLeft.Cleared = false;
    m.DelayRight.Cleared = false;
    break;
  case piPipeFeedback:
    m.DelayLeft.SetFeedback(v);
    m.DelayRight.SetFeedback(v);
    break;
  case piPipeFeedbackInvert:
    m.DelayLeft.SetInvert(v > 0.5f);
    m.DelayRight.SetInvert(v > 0.5f);
    break;
  case piPipeSeq: PipeFollowsPattern = v >= 0.5f; break;
  case piPipeOffset:
    PipeOffset = std::clamp(static_cast<float>(qvt::OffsetFromValue(v)), 0.0f, 9999.9f);
    break;
  case piPipeRatio: PipeRatio = qvt::RatioFromValue(v); break;
  case piPipeSpread: PipeSpread = (v - 0.5) * 4.0; break;
  case piFlanger: m.Chorus.SetEnable(v); break;
  case piFlangerLfoWaveform: m.Chorus.SetLfoWave(v); break;
  case piFlangerLfoRate: m.Chorus.SetRate(static_cast<float>(qvt::FlangerRateHz(v))); break;
  case piFlangerLfoDepth: m.Chorus.SetDepth(v); break;
  case piFlangerHighpassCutoff:
    m.Chorus.SetHighPassFreq(static_cast<float>(qvt::FlangerCutoffHz(v)));
    break;
  case piFlangerTime: m.Chorus.SetDelayTime(static_cast<float>(qvt::FlangerTimeMs(v))); break;
  case piFlangerFeedback: m.Chorus.SetFeedback(v); break;
  case piFlangerLevel: m.Chorus.SetMix(v); break;
  case piReverb: m.Reverb.SetEnable(v); break;
  case piReverbTime: m.Reverb.SetRoomSize(v); break;
  case piReverbWidth: m.Reverb.SetWidth(v); break;
  case piReverbDryLevel: m.Reverb.Dry = v; break;
  case piReverbWetLevel: m.Reverb.SetWet(v); break;
  case piReverbLowpassCutoff: m.Reverb.SetLowPass(v); break;
  case piReverbHighpassCutoff: m.Reverb.SetHighPass(v); break;
  case piPatternSpeed:
    SpeedDivisor = static_cast<std::int32_t>(std::clamp(std::nearbyint(v * 100.0), -1e9, 16.0));
    break;
  case piPortamento: GlideCoef = qvt::GlideCoefficient(v); break;
  default: break; // the steps go to the step table; the rest are not the engine's
  }
}

void TSynth::DoKillVoice() {
  if (--HeldKeyCount < 0) HeldKeyCount = 0;
  if (HeldKeyCount < 1 && EnvState != esOff) EnvState = esRelease;
  ReleaseCoef = -0.0068;
}

void TSynth::DoSuspend() {
  PendingEventCount = 0; // events received before the suspend are void
  HeldKeyCount = 0;
  VoiceActive_ = false;
  EnvState = esOff;
  EnvLevel = 0.0;
}

void TSynth::BeginBlock() {
  if (!PipeOn) {
    Current->DelayLeft.Clear();
    Current->DelayRight.Clear();
  }
}

void TSynth::CommitStep(int step, float ratio) {
  if (step < 0 || step >= qvt::kNumSteps) return;
  SetStepRatio(step, ratio);
  const auto value = static_cast<float>(qvt::ValueFromStepRatio(ratio));
  EditBuffer.SetValue(piStep1 + step, value); // as computed, not limited
  setParameterAutomated(piStep1 + step, value);
}

void TSynth::CommitSteps() {
  float values[qvt::kNumSteps];
  for (int step = 0; step < qvt::kNumSteps; ++step) {
    values[step] = static_cast<float>(qvt::ValueFromStepRatio(StepRatio(step)));
    EditBuffer.SetValue(piStep1 + step, values[step]); // as computed, not limited
  }
  for (int step = 0; step < qvt::kNumSteps; ++step)
    setParameterAutomated(piStep1 + step, values[step]);
}
