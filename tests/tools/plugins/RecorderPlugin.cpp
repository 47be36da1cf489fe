// A test instrument that shows the host's behaviour in its output: every MIDI event puts an
// impulse of 1.0 on output 0 at its deltaFrames, and on output 1 the tempo the host answers
// there (beats per minute / 1000). It logs the dispatcher opcodes it receives. Built twice:
// declaring processReplacing, and with only the accumulating process.
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/vst2.h"

namespace {

struct TRecorder {
  AEffect Effect{};
  audioMasterCallback Host = nullptr;
  std::vector<VstInt32> Opcodes;
  std::vector<VstMidiEvent> Pending; // events of the block about to be rendered
  float Parameters[81] = {};
};

TRecorder* RecorderOf(AEffect* effect) { return static_cast<TRecorder*>(effect->object); }

TRecorder* Current = nullptr;

VstIntPtr VSTCALLBACK Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr,
                                 void* ptr, float) {
  TRecorder* recorder = RecorderOf(effect);
  recorder->Opcodes.push_back(opcode);
  switch (opcode) {
  case effClose:
    if (Current == recorder) Current = nullptr;
    delete recorder;
    return 1;
  case effProcessEvents: {
    const auto* events = static_cast<const VstEvents*>(ptr);
    for (VstInt32 i = 0; i < events->numEvents; ++i)
      if (events->events[i]->type == kVstMidiType)
        recorder->Pending.push_back(*reinterpret_cast<const VstMidiEvent*>(events->events[i]));
    return 1;
  }
  case effGetParamName: // four parameters share a name, as some instruments' do
    std::snprintf(static_cast<char*>(ptr), 16, index < 4 ? "Level" : "P%d", index);
    return 0;
  default: return 0;
  }
}

void Render(AEffect* effect, float** outputs, VstInt32 frames, bool add) {
  TRecorder* recorder = RecorderOf(effect);
  if (!add)
    for (int channel = 0; channel < 2; ++channel)
      std::memset(outputs[channel], 0, sizeof(float) * static_cast<std::size_t>(frames));
  for (const VstMidiEvent& event : recorder->Pending) {
    if (event.deltaFrames < 0 || event.deltaFrames >= frames) continue; // misplaced: lost
    outputs[0][event.deltaFrames] += 1.0f;
    const VstIntPtr tempo =
        recorder->Host(effect, audioMasterTempoAt, 0, event.deltaFrames, nullptr, 0.0f);
    outputs[1][event.deltaFrames] += static_cast<float>(tempo) / 10000.0f / 1000.0f;
  }
  recorder->Pending.clear();
}

void VSTCALLBACK Process(AEffect* effect, float**, float** outputs, VstInt32 frames) {
  Render(effect, outputs, frames, true);
}
void VSTCALLBACK ProcessReplacing(AEffect* effect, float**, float** outputs, VstInt32 frames) {
  Render(effect, outputs, frames, false);
}
void VSTCALLBACK SetParameter(AEffect* effect, VstInt32 index, float value) {
  if (index >= 0 && index < 81) RecorderOf(effect)->Parameters[index] = value;
}
float VSTCALLBACK GetParameter(AEffect* effect, VstInt32 index) {
  return index >= 0 && index < 81 ? RecorderOf(effect)->Parameters[index] : 0.0f;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  if (!host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f)) return nullptr;
  auto* recorder = new TRecorder;
  recorder->Host = host;
  AEffect& fx = recorder->Effect;
  fx.magic = kEffectMagic;
  fx.dispatcher = Dispatcher;
  fx.process = Process;
  fx.setParameter = SetParameter;
  fx.getParameter = GetParameter;
  fx.processReplacing = ProcessReplacing;
  fx.numPrograms = 1;
  fx.numParams = 81;
  fx.numInputs = 0;
  fx.numOutputs = 2;
  fx.flags = effFlagsIsSynth | (QVT_RECORDER_REPLACING ? effFlagsCanReplacing : 0);
  fx.object = recorder;
  fx.ioRatio = 1.0f;
  Current = recorder;
  return &fx;
}

// The opcodes the last loaded recorder received, for the tests to read through dlsym.
__attribute__((visibility("default"))) const std::vector<VstInt32>* QvtRecorderOpcodes() {
  return Current ? &Current->Opcodes : nullptr;
}

// Asks the host a question as the last loaded recorder, for the tests to see the answers.
__attribute__((visibility("default"))) VstIntPtr QvtRecorderAskHost(VstInt32 opcode,
                                                                    VstIntPtr value) {
  return Current ? Current->Host(&Current->Effect, opcode, 0, value, nullptr, 0.0f) : 0;
}
}
