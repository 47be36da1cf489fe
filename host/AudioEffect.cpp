#include "host/AudioEffect.h"

#include <cmath>
#include <cstring>

#include "lib/uCodePage.h"

namespace {

// Host text buffers: the documented limits are smaller than some of our texts;
// hosts pass larger buffers in practice, so parameter texts get up to 31
// characters and program names up to 23 (terminating zero extra).
constexpr std::size_t kParamTextCapacity = 32;
constexpr std::size_t kProgramNameCapacity = 24;

AudioEffect* EffectOf(AEffect* effect) {
  return effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

// Opcodes hosts send from their main or GUI thread, where the log may be written.
bool MayReport(VstInt32 opcode) {
  return opcode == effOpen || opcode == effClose || opcode == effMainsChanged ||
         opcode == effEditOpen || opcode == effEditClose || opcode == effEditIdle;
}

// The record's function pointers, each through the guard.
VstIntPtr VSTCALLBACK DispatchTrampoline(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr value, void* ptr, float opt) {
  AudioEffect* fx = EffectOf(effect);
  if (!fx) return 0;
  const VstIntPtr result = qvt::Guarded(fx->BoundaryFailures, "dispatcher", VstIntPtr{0},
                                        [&] { return fx->dispatcher(opcode, index, value, ptr, opt); });
  if (MayReport(opcode)) fx->BoundaryFailures.ReportOnce(stderr);
  if (opcode == effClose) {
    delete fx; // destructors do not throw
    return 1;
  }
  return result;
}

void VSTCALLBACK ProcessTrampoline(AEffect* effect, float** inputs, float** outputs,
                                   VstInt32 sampleFrames) {
  if (AudioEffect* fx = EffectOf(effect))
    qvt::Guarded(fx->BoundaryFailures, "process",
                 [&] { fx->process(inputs, outputs, sampleFrames); });
}

void VSTCALLBACK ProcessReplacingTrampoline(AEffect* effect, float** inputs, float** outputs,
                                            VstInt32 sampleFrames) {
  if (AudioEffect* fx = EffectOf(effect))
    qvt::Guarded(fx->BoundaryFailures, "processReplacing",
                 [&] { fx->processReplacing(inputs, outputs, sampleFrames); });
}

void VSTCALLBACK ProcessDoubleReplacingTrampoline(AEffect* effect, double** inputs,
                                                  double** outputs, VstInt32 sampleFrames) {
  if (AudioEffect* fx = EffectOf(effect))
    qvt::Guarded(fx->BoundaryFailures, "processDoubleReplacing",
                 [&] { fx->processDoubleReplacing(inputs, outputs, sampleFrames); });
}

void VSTCALLBACK SetParameterTrampoline(AEffect* effect, VstInt32 index, float value) {
  if (AudioEffect* fx = EffectOf(effect))
    qvt::Guarded(fx->BoundaryFailures, "setParameter", [&] { fx->setParameter(index, value); });
}

float VSTCALLBACK GetParameterTrampoline(AEffect* effect, VstInt32 index) {
  AudioEffect* fx = EffectOf(effect);
  if (!fx) return 0.0f;
  return qvt::Guarded(fx->BoundaryFailures, "getParameter", 0.0f,
                      [&] { return fx->getParameter(index); });
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
  std::memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = DispatchTrampoline;
  cEffect.process = ProcessTrampoline;
  cEffect.setParameter = SetParameterTrampoline;
  cEffect.getParameter = GetParameterTrampoline;
  cEffect.numPrograms = numPrograms;
  cEffect.numParams = numParams;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.flags = effFlagsCanReplacing;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = FourCharCode("NoEf");
  cEffect.version = 1;
  cEffect.processReplacing = ProcessReplacingTrampoline;
  cEffect.processDoubleReplacing = ProcessDoubleReplacingTrampoline;
}

AudioEffect::~AudioEffect() = default;

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
  if (state)
    cEffect.flags |= flag;
  else
    cEffect.flags &= ~flag;
}

void AudioEffect::setEditor(std::unique_ptr<AEffEditor> newEditor) {
  editor = std::move(newEditor);
  setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
  switch (opcode) {
  case effOpen:
  case effClose:
  case effSetSampleRate:
  case effSetBlockSize:
  case effMainsChanged: return dispatchLifecycle(opcode, value, opt);
  case effSetProgram:
  case effGetProgram:
  case effSetProgramName:
  case effGetProgramName: return dispatchProgram(opcode, value, ptr);
  case effGetParamLabel:
  case effGetParamDisplay:
  case effGetParamName:
  case effGetVu: return dispatchParameterText(opcode, index, ptr);
  case effEditGetRect:
  case effEditOpen:
  case effEditClose:
  case effEditIdle: return dispatchEditor(opcode, value, ptr);
  case effIdentify:
  case effGetChunk:
  case effSetChunk: return dispatchChunk(opcode, index, value, ptr);
  default: return 0;
  }
}

// Open, close, sample rate, block size, mains: the host's UI or main thread.
VstIntPtr AudioEffect::dispatchLifecycle(VstInt32 opcode, VstIntPtr value, float opt) {
  switch (opcode) {
  case effOpen: open(); break;
  case effClose: close(); break;
  case effSetSampleRate: setSampleRate(opt); break;
  case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); break;
  case effMainsChanged:
    if (value == 0)
      suspend();
    else
      resume();
    break;
  default: break;
  }
  return 0;
}

// Program index and name of the single host program: any thread.
VstIntPtr AudioEffect::dispatchProgram(VstInt32 opcode, VstIntPtr value, void* ptr) {
  switch (opcode) {
  case effSetProgram:
    if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
    return 0;
  case effGetProgram: return getProgram();
  case effSetProgramName:
    if (ptr) setProgramName(qvt::FromHostText(static_cast<const char*>(ptr)).c_str());
    return 0;
  case effGetProgramName:
    if (ptr) qvt::CopyHostText(static_cast<char*>(ptr), kProgramNameCapacity, getProgramName());
    return 0;
  default: return 0;
  }
}

// Parameter names, display texts, labels and the level meter: any thread.
VstIntPtr AudioEffect::dispatchParameterText(VstInt32 opcode, VstInt32 index, void* ptr) {
  if (opcode == effGetVu) return static_cast<VstIntPtr>(std::nearbyint(getVu() * 32767.0));
  if (!ptr) return 0;
  auto* text = static_cast<char*>(ptr);
  switch (opcode) {
  case effGetParamLabel:
    qvt::CopyHostText(text, kParamTextCapacity, getParameterLabel(index));
    break;
  case effGetParamDisplay:
    qvt::CopyHostText(text, kParamTextCapacity, getParameterDisplay(index));
    break;
  case effGetParamName: qvt::CopyHostText(text, kParamTextCapacity, getParameterName(index)); break;
  default: break;
  }
  return 0;
}

// Editor size, open, close and idle: the host's UI thread.
VstIntPtr AudioEffect::dispatchEditor(VstInt32 opcode, VstIntPtr value, void* ptr) {
  (void)value;
  if (!editor) return 0;
  switch (opcode) {
  case effEditGetRect: return ptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
  case effEditOpen: return ptr ? editor->open(ptr) : 0; // no parent window, nothing to open in
  case effEditClose: editor->close(); return 0;
  case effEditIdle: editor->idle(); return 0;
  default: return 0;
  }
}

// Identity and chunks: UI thread. The plug-in keeps no chunks.
VstIntPtr AudioEffect::dispatchChunk(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
  switch (opcode) {
  case effIdentify: return FourCharCode("NvEf");
  case effGetChunk: return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
  case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
  default: return 0;
  }
}

void AudioEffect::setSampleRate(float rate) { sampleRate.store(rate, std::memory_order_relaxed); }
void AudioEffect::setBlockSize(VstInt32 size) { blockSize.store(size, std::memory_order_relaxed); }

void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}
void AudioEffect::process(float**, float**, VstInt32) {}

void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) { return 0.0f; }

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getProgram() { return curProgram.load(std::memory_order_relaxed); }
void AudioEffect::setProgram(VstInt32 program) {
  curProgram.store(program, std::memory_order_relaxed);
}
void AudioEffect::setProgramName(const char*) {}
std::string AudioEffect::getProgramName() { return {}; }
std::string AudioEffect::getParameterLabel(VstInt32) { return {}; }
std::string AudioEffect::getParameterDisplay(VstInt32) { return {}; }
std::string AudioEffect::getParameterName(VstInt32) { return {}; }
VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }

void AudioEffect::setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
void AudioEffect::setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
void AudioEffect::setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
void AudioEffect::canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void AudioEffect::canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
void AudioEffect::programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
void AudioEffect::setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

VstInt32 AudioEffect::getMasterVersion() {
  const VstIntPtr version = callHost(audioMasterVersion);
  return version ? static_cast<VstInt32>(version) : 1;
}
VstInt32 AudioEffect::getCurrentUniqueId() { return 0; }
void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

float AudioEffect::getVu() { return 0.0f; }
void AudioEffect::hasVu(bool state) { setFlag(effFlagsHasVu, state); }
void AudioEffect::hasClip(bool state) { setFlag(effFlagsHasClip, state); }
void AudioEffect::canMono(bool state) { setFlag(effFlagsCanMono, state); }
void AudioEffect::setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
void AudioEffect::setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }
bool AudioEffect::isInputConnected(VstInt32) { return true; }
bool AudioEffect::isOutputConnected(VstInt32) { return true; }
