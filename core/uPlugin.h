// TPlugin: the plug-in's parameter table, edit buffer, bank of programs and the
// step table of the pattern. The engine (TSynth) derives from it.
#pragma once

#include <array>
#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/uParamTable.h"
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
  void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;          // audio
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

  // Pattern operations on the step table (UI thread); none of them notifies
  // anybody: the caller commits the steps or sets the parameters afterwards.
  void RandomiseSteps(bool quantise);
  void ShuffleSteps();
  void RotateStepsLeft();
  void RotateStepsRight();
  void ReverseSteps();
  void TransposeSteps(double semitones);
  void CopyPattern();
  void PastePattern();
  bool ClipboardHasPattern();
  void SetStepRatio(int step, float ratio) { Steps[step].store(ratio, std::memory_order_relaxed); }

  // ---- Bank files, settings and folders (uBankFile.cpp, uSettings.cpp) -------------------
  // UI thread. File names are in the file system's encoding (UTF-8 on Linux).
  //
  // Checks and loads a bank file and remembers it. A file that is no bank, an
  // empty bank or of an unknown version is reported in a message box and
  // changes nothing; answers whether the bank was loaded. File-system errors
  // raise qvt::EFileError, with nothing changed.
  bool LoadBankFile(const std::string& path);
  // Loads the bank a stream holds from its start; the edit buffer is not
  // touched. A stream without records or of an unknown version raises
  // std::runtime_error and leaves the bank as it was.
  void ReadBank(std::istream& stream);
  // Writes the bank (version 22) and remembers the file. The new file replaces
  // the old one atomically; on failure qvt::EFileError is raised and any
  // previous file stays as it was.
  void SaveBankFile(const std::string& path);
  // Loads the bank built into the library; the remembered file stays.
  // Raises std::runtime_error when the resource is missing or damaged.
  void LoadFactoryBank();

  const std::string& GetBankFilePath() const { return BankFilePath; }
  const std::string& GetBankFolder() const { return BankFolder; }
  const std::string& GetPatternsFolder() const { return PatternsFolder; }
  const std::string& GetHelpFile() const { return HelpFile; }
  const std::string& GetHostKey() const { return HostKey; }
  bool GetNotesQuantization() const { return NotesQuantization; }
  void SetNotesQuantization(bool quantise) { NotesQuantization = quantise; }
  // ---- end of bank files, settings and folders ----------------------------------------

  int BankCount() const { return static_cast<int>(Bank.size()); }
  const TProgramRecord& BankProgram(int index) const { return Bank.at(index); }
  int SelectedIndex() const { return Selected; }
  bool KeepVoice() const { return KeepVoiceFlag; }
  TProgramRecord EditBufferRecord() const { return EditBuffer.Record(); }
  std::string EditBufferName() const { return EditBuffer.Name(); }
  // The edit buffer's name field zero-filled, then `name` (at most 22 characters);
  // nobody is told (the editor's preset commands store or insert the program next).
  void SetEditBufferName(std::string_view name) { EditBuffer.SetName(name); }
  float StepRatio(int step) const { return Steps[step].load(std::memory_order_relaxed); }

  std::atomic<bool> EditorClosed{false}; // set by the editor bridge

protected:
  // Renders one block into the two outputs (checked non-null, frames > 0),
  // adding to them or replacing them.
  virtual void RenderBlock(float** outputs, VstInt32 sampleFrames, bool accumulate);

  // Fills the bank at construction: the remembered bank file, else the factory bank.
  virtual void LoadStartupBank();
  // Construction and destruction steps of the settings (uSettings.cpp); none throws.
  void SetUpFolders();
  void BuildHostKey();
  void ReadSettings();
  void WriteSettings();
  // Records the file as the bank file and writes it to the settings.
  void RememberBankFile(const std::string& path);
  // "SOFTWARE\…\<host key>\<value name>"
  std::string SettingsPath(const char* valueName) const;

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
