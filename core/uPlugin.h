// TPlugin: the plug-in's parameter table, edit buffer, bank of programs and the
// step table of the pattern. The engine (TSynth) derives from it.
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "core/uProgram.h"
#include "host/AudioEffectX.h"
#include "lib/uRandom.h"

class TPluginEditor;

class TPlugin : public AudioEffectX {
public:
  explicit TPlugin(audioMasterCallback audioMaster);
  ~TPlugin() override;

  // Host-facing overrides (any thread unless noted).
  float getParameter(VstInt32 index) override;
  void setParameter(VstInt32 index, float value) override;
  std::string getParameterName(VstInt32 index) override;
  std::string getParameterDisplay(VstInt32 index) override;
  std::string getParameterLabel(VstInt32 index) override;
  std::string getProgramName() override;
  void setProgramName(const char* name) override; // UI
  float getVu() override;
  void resume() override;
  std::string getEffectName() override;
  std::string getVendorString() override;
  std::string getProductString() override;
  VstInt32 getVendorVersion() override;
  VstInt32 canDo(const char* text) override;
  void process(float** inputs, float** outputs, VstInt32 sampleFrames) override; // audio
  void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override; // audio

  // Engine hooks, given a body by TSynth.
  virtual void RebuildModules() {}
  virtual void RenderSample(float& left, float& right) { left = right = 0.0f; } // audio
  virtual void BeginBlock() {}                                                  // audio
  virtual void KillVoice() {}
  // Late initialisation: the last step of construction.
  virtual void Initialize();

  // Bank operations: the UI thread (editor commands and the bank loader).
  void AddProgram(const TProgramRecord& record);
  void InsertProgramCopy();
  void StoreProgram();
  void DeleteProgram(int index);
  void SelectProgram(int index);
  void LoadSelectedProgram();
  void LoadFirstProgram();
  void PushParameters();
  void FindEditBufferInBank();
  void ClearBank();
  void RandomiseParameter(int index);

  int BankCount() const { return static_cast<int>(Bank.size()); }
  const TProgramRecord& BankProgram(int index) const { return Bank.at(index); }
  int SelectedIndex() const { return Selected; }
  bool KeepVoice() const { return KeepVoiceFlag; }
  TProgramRecord EditBufferRecord() const { return EditBuffer.Record(); }
  float StepRatio(int step) const { return Steps[step].load(std::memory_order_relaxed); }

  std::atomic<bool> EditorClosed{false}; // set by the editor bridge

protected:
  // Renders one block into the two outputs (checked non-null, frames > 0),
  // adding to them or replacing them.
  virtual void RenderBlock(float** outputs, VstInt32 sampleFrames, bool accumulate);

  // Fills the bank at construction.
  virtual void LoadStartupBank();

  std::vector<TProgramRecord> Bank; // at most 65535 entries
  int Selected = -1;
  std::string BankFilePath;
  std::string BankFolder;
  std::string HostKey;
  bool KeepVoiceFlag = false;
  float ModulesSampleRate = 44100.0f;
  TEditBuffer EditBuffer;
  std::array<std::atomic<float>, 16> Steps; // pitch ratios of the pattern steps
  std::atomic<float> LevelMeter{0.0f};
  std::string PatternsFolder;
  std::string HelpFile;
  bool NotesQuantization = false;
  qvt::TRandom Random;
  TPluginEditor* EditorBridge = nullptr; // owned through AudioEffect::editor
};
