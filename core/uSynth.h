// TSynth: the synthesizer engine on top of the plug-in object.
#pragma once

#include "core/uPlugin.h"

class TSynth : public TPlugin {
public:
  explicit TSynth(audioMasterCallback audioMaster);
  ~TSynth() override;

  void setParameter(VstInt32 index, float value) override; // any
  void suspend() override;                                  // any
  VstInt32 processEvents(VstEvents* events) override;       // audio
};
