// The 2.x extension of the plug-in object: the dispatcher for opcodes 25 to 79.
#pragma once

#include "host/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
  AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

  VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) override; // any

  // 2.x operations the plug-in answers.
  virtual VstInt32 processEvents(VstEvents* events);                                 // audio
  virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text); // any
  virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);    // any
  virtual VstInt32 getPlugCategory();
  virtual std::string getEffectName();
  virtual std::string getVendorString();
  virtual std::string getProductString();
  virtual VstInt32 getVendorVersion();
  virtual VstInt32 canDo(const char* text);
  virtual VstInt32 getVstVersion();

  // Host services.
  virtual void isSynth(bool state);
  virtual void wantEvents(VstInt32 filter = 1);
  virtual VstInt32 tempoAt(VstInt32 position); // beats per minute × 10000

private:
  VstIntPtr dispatchEvents(void* ptr);
  VstIntPtr dispatchParameters(VstInt32 opcode);
  VstIntPtr dispatchPrograms(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr);
  VstIntPtr dispatchPins(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr);
  VstIntPtr dispatchIdentity(VstInt32 opcode, void* ptr);
  VstIntPtr dispatchProcessing(VstInt32 opcode, VstIntPtr value, float opt);
  VstIntPtr dispatchEditorKeys(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);
};
