#include "core/uSynth.h"

#include "editor/uPluginEditor.h"

TSynth::TSynth(audioMasterCallback audioMaster) : TPlugin(audioMaster) { Initialize(); }

TSynth::~TSynth() = default;

void TSynth::setParameter(VstInt32 index, float value) {
  TPlugin::setParameter(index, value);
  if (!EditorClosed.load() && EditorBridge) EditorBridge->ParamChanged(index, value);
}

void TSynth::suspend() {}

VstInt32 TSynth::processEvents(VstEvents* events) {
  (void)events;
  return 1;
}
