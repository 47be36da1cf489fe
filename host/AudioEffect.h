// The 2.0 base of the plug-in object: the effect record the host sees, the
// dispatcher for opcodes 0 to 24 and the host-callback helpers.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "host/AEffEditor.h"
#include "host/BoundaryGuard.h"
#include "host/vst2.h"

namespace qvt {
// Sample rates the plug-in takes: positive and at most 10 MHz. Delay lines grow
// with the rate, so a larger one would claim memory no host can mean to give.
inline constexpr float kMaxSampleRate = 10.0e6f;
inline bool IsUsableSampleRate(float rate) { return rate > 0.0f && rate <= kMaxSampleRate; }
} // namespace qvt

class AudioEffect {
public:
  AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffect();
  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  // Virtual operations in slot order. Thread notes: "any" means any host thread,
  // "audio" the host's audio thread, "UI" the user-interface thread.
  virtual void setSampleRate(float rate);   // any
  virtual void setBlockSize(VstInt32 size); // any
  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt); // any; each opcode group notes its thread
  virtual void open() {}                   // UI
  virtual void close() {}                  // UI
  virtual void suspend() {}                // any
  virtual void resume() {}                 // any
  virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames); // audio
  virtual void processDoubleReplacing(double** inputs, double** outputs,
                                      VstInt32 sampleFrames);              // audio
  virtual void setParameter(VstInt32 index, float value);                  // any
  virtual float getParameter(VstInt32 index);                              // any
  virtual void setParameterAutomated(VstInt32 index, float value);         // any
  virtual VstInt32 getProgram();                                           // any
  virtual void setProgram(VstInt32 program);                               // any
  virtual void setProgramName(const char* name);                           // UI; 8-bit text
  virtual std::string getProgramName();                                    // any; 8-bit text
  virtual std::string getParameterLabel(VstInt32 index);                   // any
  virtual std::string getParameterDisplay(VstInt32 index);                 // any
  virtual std::string getParameterName(VstInt32 index);                    // any
  virtual VstInt32 getChunk(void** data, bool isPreset);                   // UI
  virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset); // UI
  virtual void setUniqueID(VstInt32 id);
  virtual void setNumInputs(VstInt32 inputs);
  virtual void setNumOutputs(VstInt32 outputs);
  virtual void canProcessReplacing(bool state);
  virtual void canDoubleReplacing(bool state);
  virtual void programsAreChunks(bool state);
  virtual void setInitialDelay(VstInt32 delay);
  virtual VstInt32 getMasterVersion();
  virtual VstInt32 getCurrentUniqueId();
  virtual void masterIdle();
  virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames); // audio
  virtual float getVu();
  virtual void hasVu(bool state);
  virtual void hasClip(bool state);
  virtual void canMono(bool state);
  virtual void setRealtimeQualities(VstInt32 qualities);
  virtual void setOfflineQualities(VstInt32 qualities);
  virtual bool isInputConnected(VstInt32 input);
  virtual bool isOutputConnected(VstInt32 output);

  AEffect* getAeffect() { return &cEffect; }
  float getSampleRate() const { return sampleRate.load(std::memory_order_relaxed); }
  VstInt32 getBlockSize() const { return blockSize.load(std::memory_order_relaxed); }
  AEffEditor* getEditor() const { return editor.get(); }
  // Installs the editor object (owned from now on) and declares it to the host.
  void setEditor(std::unique_ptr<AEffEditor> newEditor);

  // Calls the host; answers 0 when the host gave no callback.
  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

  // What the host-facing trampolines caught (they answer their fallbacks instead).
  qvt::TBoundaryFailures BoundaryFailures;

protected:
  void setFlag(VstInt32 flag, bool state);

  audioMasterCallback audioMaster;
  AEffect cEffect;
  std::unique_ptr<AEffEditor> editor;
  std::atomic<float> sampleRate{44100.0f};
  std::atomic<VstInt32> blockSize{1024};
  VstInt32 numPrograms;
  VstInt32 numParams;
  std::atomic<VstInt32> curProgram{0};

private:
  VstIntPtr dispatchLifecycle(VstInt32 opcode, VstIntPtr value, float opt);
  VstIntPtr dispatchProgram(VstInt32 opcode, VstIntPtr value, void* ptr);
  VstIntPtr dispatchParameterText(VstInt32 opcode, VstInt32 index, void* ptr);
  VstIntPtr dispatchEditor(VstInt32 opcode, VstIntPtr value, void* ptr);
  VstIntPtr dispatchChunk(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr);
};
