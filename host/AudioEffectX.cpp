#include "host/AudioEffectX.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "lib/uCodePage.h"

namespace {
constexpr std::size_t kProgramNameCapacity = 24;
constexpr std::size_t kEffectNameCapacity = kVstMaxEffectNameLen;
constexpr std::size_t kVendorCapacity = kVstMaxVendorStrLen;
} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms,
                           VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  if (opcode <= effLastBaseOpcode) return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  switch (opcode) {
  case effProcessEvents: return dispatchEvents(ptr);
  case effCanBeAutomated:
  case effString2Parameter:
  case effGetParameterProperties: return dispatchParameters(opcode);
  case effGetNumProgramCategories:
  case effGetProgramNameIndexed:
  case effGetCurrentMidiProgram:
  case effBeginSetProgram:
  case effEndSetProgram: return dispatchPrograms(opcode, index, value, ptr);
  case effConnectInput:
  case effConnectOutput:
  case effGetInputProperties:
  case effGetOutputProperties:
  case effGetSpeakerArrangement: return dispatchPins(opcode, index, value, ptr);
  case effGetPlugCategory:
  case effGetEffectName:
  case effGetVendorString:
  case effGetProductString:
  case effGetVendorVersion:
  case effCanDo:
  case effGetTailSize:
  case effKeysRequired:
  case effGetVstVersion: return dispatchIdentity(opcode, ptr);
  case effSetBlockSizeAndSampleRate:
  case effSetTotalSampleToProcess: return dispatchProcessing(opcode, value, opt);
  case effEditKeyDown:
  case effEditKeyUp: return dispatchEditorKeys(opcode, index, value, opt);
  default: return 0; // effSetBypass, effStartProcess, effStopProcess and the rest
  }
}

// MIDI events for the coming block: the audio thread.
// A null list reaches the plug-in's own handler, which answers for it.
VstIntPtr AudioEffectX::dispatchEvents(void* ptr) {
  return processEvents(static_cast<VstEvents*>(ptr)) ? 1 : 0;
}

// Automation queries: any thread. Every parameter can be automated.
VstIntPtr AudioEffectX::dispatchParameters(VstInt32 opcode) {
  return opcode == effCanBeAutomated ? 1 : 0;
}

// Program categories and indexed names: any thread.
VstIntPtr AudioEffectX::dispatchPrograms(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* ptr) {
  switch (opcode) {
  case effGetNumProgramCategories: return 1;
  case effGetProgramNameIndexed:
    return ptr && getProgramNameIndexed(static_cast<VstInt32>(value), index,
                                        static_cast<char*>(ptr))
               ? 1
               : 0;
  case effGetCurrentMidiProgram: return -1;
  default: return 0;
  }
}

// Input and output pins: any thread.
VstIntPtr AudioEffectX::dispatchPins(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
  switch (opcode) {
  case effConnectInput:
  case effConnectOutput: return 1;
  case effGetOutputProperties:
    return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
  case effGetSpeakerArrangement:
    if (value) *reinterpret_cast<void**>(value) = nullptr;
    if (ptr) *static_cast<void**>(ptr) = nullptr;
    return 0;
  default: return 0;
  }
}

// Names, category and capabilities: any thread.
VstIntPtr AudioEffectX::dispatchIdentity(VstInt32 opcode, void* ptr) {
  auto* text = static_cast<char*>(ptr);
  switch (opcode) {
  case effGetPlugCategory: return getPlugCategory();
  case effGetEffectName:
    if (!text) return 0;
    qvt::CopyHostText(text, kEffectNameCapacity, getEffectName());
    return 1;
  case effGetVendorString:
    if (!text) return 0;
    qvt::CopyHostText(text, kVendorCapacity, getVendorString());
    return 1;
  case effGetProductString:
    if (!text) return 0;
    qvt::CopyHostText(text, kVendorCapacity, getProductString());
    return 1;
  case effGetVendorVersion: return getVendorVersion();
  case effCanDo: return text ? canDo(text) : -1; // no request: "cannot"
  case effGetTailSize: return 0;
  case effKeysRequired: return 1; // keys are not required
  case effGetVstVersion: return getVstVersion();
  default: return 0;
  }
}

// Block size, sample rate and render length announcements: the host's UI or main thread.
VstIntPtr AudioEffectX::dispatchProcessing(VstInt32 opcode, VstIntPtr value, float opt) {
  if (opcode == effSetTotalSampleToProcess) return value;
  // Stored directly, without the module rebuild that effSetSampleRate performs;
  // a rate the plug-in cannot use is not taken.
  blockSize.store(static_cast<VstInt32>(value), std::memory_order_relaxed);
  if (qvt::IsUsableSampleRate(opt)) sampleRate.store(opt, std::memory_order_relaxed);
  return 1;
}

// Keys the host forwards to the editor: UI thread.
VstIntPtr AudioEffectX::dispatchEditorKeys(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           float opt) {
  if (!editor) return 0;
  if (opcode == effEditKeyDown)
    editor->onKeyDown(index, static_cast<VstInt32>(value), opt);
  else
    editor->onKeyUp(index, static_cast<VstInt32>(value), opt);
  return 0;
}

VstInt32 AudioEffectX::processEvents(VstEvents*) { return 0; } // may be given null

// Only index 0, the edit buffer, has a name here; negative indices are refused
// like every other one, as effSetProgram refuses them.
bool AudioEffectX::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
  (void)category;
  if (index >= 1 || index < 0) return false;
  qvt::CopyHostText(text, kProgramNameCapacity, getProgramName());
  return true;
}

bool AudioEffectX::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
  if (index < 0 || index > 1) return false;
  const std::string label = "QVST " + std::to_string(index + 1);
  qvt::CopyHostText(properties->label, sizeof(properties->label), label);
  properties->flags = kVstPinIsActive | kVstPinIsStereo;
  return true;
}

VstInt32 AudioEffectX::getPlugCategory() {
  return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : 0;
}

std::string AudioEffectX::getEffectName() { return {}; }
std::string AudioEffectX::getVendorString() { return {}; }
std::string AudioEffectX::getProductString() { return {}; }
VstInt32 AudioEffectX::getVendorVersion() { return 0; }
VstInt32 AudioEffectX::canDo(const char*) { return 0; }
VstInt32 AudioEffectX::getVstVersion() { return kVstVersion; }

void AudioEffectX::isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
void AudioEffectX::wantEvents(VstInt32 filter) { callHost(audioMasterWantMidi, 0, filter); }
VstInt32 AudioEffectX::tempoAt(VstInt32 position) {
  return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, position));
}
