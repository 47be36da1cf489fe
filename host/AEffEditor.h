// Base of the editor object the host reaches through the effEdit… opcodes.
#pragma once

#include "host/vst2.h"

class AudioEffect;

class AEffEditor {
public:
  explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
  virtual ~AEffEditor() = default;
  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;

  // All editor calls come from the host's user-interface thread.
  virtual bool getRect(ERect** rect) {
    (void)rect;
    return false;
  }
  virtual bool open(void* ptr) {
    (void)ptr;
    return false;
  }
  virtual void close() {}
  virtual bool isOpen() { return systemWindow != nullptr; }
  virtual void idle() {}
  // Called by the plug-in after the host renamed the current program.
  virtual void update() {}
  virtual bool onKeyDown(VstInt32 character, VstInt32 virtualKey, float modifiers) {
    (void)character, (void)virtualKey, (void)modifiers;
    return false;
  }
  virtual bool onKeyUp(VstInt32 character, VstInt32 virtualKey, float modifiers) {
    (void)character, (void)virtualKey, (void)modifiers;
    return false;
  }
  virtual bool setKnobMode(VstInt32 mode) {
    (void)mode;
    return false;
  }
  virtual bool onWheel(float distance) {
    (void)distance;
    return false;
  }

  AudioEffect* getEffect() const { return effect; }

protected:
  AudioEffect* effect;
  void* systemWindow = nullptr;
};
