// TFrmPatEditor: the pattern editor. A skinned pop-up, shown modally from the
// pattern menu's "Edit pattern...", with one ratio editor per step, whole-
// pattern operations, a transposition, MIDI import and Restore. Every change
// goes into the plug-in at once and reaches the host as parameters 54 to 69.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/core/uForms.h"

class TSynth;
class TZSpinEditRatio;
class TZSpinEditOffset;

class TFrmPatEditor : public TForm {
public:
  explicit TFrmPatEditor(TComponent* AOwner);
  ~TFrmPatEditor() override;

  // The plug-in, and the step table as it is now (what Restore returns to).
  void SetPlugin(TSynth* plugin);
  // The step editors from the step table, without reporting anything.
  void LoadSteps();
  // LoadSteps, then the whole pattern committed and reported.
  void RefreshSteps();
  void StepChange(TObject* sender);
  void Restore();
  // 0 Random, 1 Reorder, 2 Reverse, 3 Shift left, 4 Shift right.
  void PatternOperation(int tag);
  void ApplyPitch();
  void Import();

  TZSpinEditRatio& StepEditor(int step) const { return *FSteps[static_cast<std::size_t>(step)]; }
  TZSpinEditOffset& PitchEditor() const { return *FPitch; }

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

protected:
  void DoShow() override;

private:
  TSynth* Plugin = nullptr;
  std::unique_ptr<TBitmap> Background;
  bool FUpdating = false;
  std::string FFileName; // the last MIDI file imported
  std::array<float, 16> SavedSteps{};
  std::array<TZSpinEditRatio*, 16> FSteps{};
  TZSpinEditOffset* FPitch = nullptr;
};

// The "Edit pattern..." command: the editor shown modally over `mainForm`, then released.
void ShowPatternEditor(TForm& mainForm, TSynth* plugin);
// The editor while it exists.
TFrmPatEditor* PatternEditor();
