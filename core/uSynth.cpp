#include "core/uSynth.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
    if (index >= 54) {
      // The step table is shared with the pattern operations and read by the render.
      Steps[index - 54].store(static_cast<float>(qvt::StepRatioFromValue(sent)),
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
  for (int index = 0; index < 54; ++index)
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
  switch (index) {
  case 0:
    generator.SetAlgorithm(static_cast<int>(std::clamp(std::nearbyint(v * 10.0), -1e6, 1e6)));
    break;
  case 1: generator.SetLevel1(v); break;
  case 2: generator.SetLevel2(v); break;
  case 3: generator.SetLevel3(v); break;
  case 4:
  case 5:
  case 6: OscOffset[index - 4] = 10999.98 * v - 999.99; break;
  case 7:
  case 8:
  case 9: OscRatio[index - 7] = 64.0 * v; break;
  case 10:
  case 11:
  case 12: {
    const auto wave = static_cast<std::uint8_t>(std::clamp(std::nearbyint(v * 10.0), 0.0, 3.0));
    if (index == 10) generator.SetWaveForm1(wave);
    if (index == 11) generator.SetWaveForm2(wave);
    if (index == 12) generator.SetWaveForm3(wave);
    break;
  }
  case 13:
  case 14:
  case 15: OscFollowsPattern[index - 13] = v >= 0.5f; break;
  case 16: generator.SetReduction1(v); break;
  case 17: generator.SetReduction2(v); break;
  case 18: generator.SetReduction3(v); break;
  case 19: generator.SetShape1(2.0f * v - 1.0f); break;
  case 20: generator.SetShape2(2.0f * v - 1.0f); break;
  case 21: generator.SetShape3(2.0f * v - 1.0f); break;
  case 22: break; // the stereo width is read from the edit buffer every sample
  case 23: generator.SetDetune(v); break;
  case 24: m.SynthFilter.SetLowPassCutoff(v); break;
  case 25: m.SynthFilter.SetHighPassCutoff(v); break;
  case 26: m.SynthFilter.SetLowPassKind(v); break;
  case 27: m.SynthFilter.SetHighPassKind(v); break;
  case 28: AttackCoef = Coefficient(11999.0 * v + 1.0); break;
  case 29: ReleaseCoef = Coefficient(11999.0 * v + 1.0); break;
  case 30:
    PipeOn = v > 0.5f;
    m.DelayLeft.Cleared = false;
    m.DelayRight.Cleared = false;
    break;
  case 31:
    m.DelayLeft.SetFeedback(v);
    m.DelayRight.SetFeedback(v);
    break;
  case 32:
    m.DelayLeft.SetInvert(v > 0.5f);
    m.DelayRight.SetInvert(v > 0.5f);
    break;
  case 33: PipeFollowsPattern = v >= 0.5f; break;
  case 34: {
    const float offset = static_cast<float>(10999.98 * v - 999.99);
    PipeOffset = std::clamp(offset, 0.0f, 9999.9f);
    break;
  }
  case 35: PipeRatio = 64.0 * v; break;
  case 36: PipeSpread = (v - 0.5) * 4.0; break;
  case 37: m.Chorus.SetEnable(v); break;
  case 38: m.Chorus.SetLfoWave(v); break;
  case 39: m.Chorus.SetRate(static_cast<float>(9.75 * v * v + 0.25)); break;
  case 40: m.Chorus.SetDepth(v); break;
  case 41: m.Chorus.SetHighPassFreq(static_cast<float>(qvt::FlangerCutoffHz(v))); break;
  case 42: m.Chorus.SetDelayTime(static_cast<float>(25.0 * v + 5.0)); break;
  case 43: m.Chorus.SetFeedback(v); break;
  case 44: m.Chorus.SetMix(v); break;
  case 45: m.Reverb.SetEnable(v); break;
  case 46: m.Reverb.SetRoomSize(v); break;
  case 47: m.Reverb.SetWidth(v); break;
  case 48: m.Reverb.Dry = v; break;
  case 49: m.Reverb.SetWet(v); break;
  case 50: m.Reverb.SetLowPass(v); break;
  case 51: m.Reverb.SetHighPass(v); break;
  case 52:
    SpeedDivisor = static_cast<std::int32_t>(std::clamp(std::nearbyint(v * 100.0), -1e9, 16.0));
    break;
  case 53: GlideCoef = qvt::GlideCoefficient(v); break;
  default: break;
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
  EditBuffer.SetValue(54 + step, value); // as computed, not limited
  setParameterAutomated(54 + step, value);
}

void TSynth::CommitSteps() {
  float values[qvt::kNumSteps];
  for (int step = 0; step < qvt::kNumSteps; ++step) {
    values[step] = static_cast<float>(qvt::ValueFromStepRatio(StepRatio(step)));
    EditBuffer.SetValue(54 + step, values[step]); // as computed, not limited
  }
  for (int step = 0; step < qvt::kNumSteps; ++step) setParameterAutomated(54 + step, values[step]);
}
