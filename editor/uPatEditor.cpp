#include "editor/uPatEditor.h"

#include <algorithm>
#include <cmath>

#include "controls/uBitmapEx.h"
#include "controls/uZButtons.h"
#include "controls/uZEditors.h"
#include "core/uParamTable.h"
#include "core/uSynth.h"
#include "editor/uMidiReader.h"
#include "platform/core/uApplication.h"
#include "platform/core/uDesktop.h"

namespace {

TFrmPatEditor* GPatEditor = nullptr;

template <class T> T* Placed(TFrmPatEditor* form, T* control, int left, int top) {
  control->SetTop(top);
  control->SetLeft(left);
  control->SetParent(form);
  return control;
}

} // namespace

TFrmPatEditor::TFrmPatEditor(TComponent* AOwner) : TForm(AOwner) {
  BorderStyle = bsNone;
  Caption = "Quivertone pattern editor";
  WindowKind = qvt::wkPopup;
  Topmost = true;
  Background = LoadSkinBitmap("FRMPATEDIT");
  SetBounds(0, 0, Background->Width(), Background->Height());
  for (int i = 0; i < 16; ++i) {
    auto* step = Placed(this, new TZSpinEditRatio(this), i < 8 ? 31 : 135, 41 + 23 * (i % 8));
    step->SetMaxValue(3.0);
    step->SetMinValue(0.02);
    step->Tag = piStep1 + i;
    step->OnChange = [this](TObject* sender) { StepChange(sender); };
    FSteps[static_cast<std::size_t>(i)] = step;
  }
  FPitch = Placed(this, new TZSpinEditOffset(this), 135, 225);
  FPitch->LargeInc = 10;
  FPitch->SetMaxValue(12.0);
  FPitch->SetMinValue(-12.0);
  Placed(this, new TZCloseButton(this), 299, 5);
  const auto button = [this](const char* caption, int top, TNotifyEvent click, int tag = 0) {
    auto* b = Placed(this, new TZSButton(this), 231, top);
    b->SetCaption(caption);
    b->Tag = tag;
    b->OnClick = std::move(click);
  };
  button("Close", 40, [this](TObject*) { Close(); });
  button("Restore", 63, [this](TObject*) { Restore(); });
  button("Import...", 86, [this](TObject*) { Import(); });
  const char* operations[] = {"Random", "Reorder", "Reverse", "Shift left", "Shift right"};
  for (int tag = 0; tag < 5; ++tag)
    button(operations[tag], 109 + 23 * tag, [this, tag](TObject*) { PatternOperation(tag); }, tag);
  button("Apply pitch", 224, [this](TObject*) { ApplyPitch(); });
  GPatEditor = this;
}

TFrmPatEditor::~TFrmPatEditor() {
  DestroyComponents();
  if (GPatEditor == this) GPatEditor = nullptr;
}

void TFrmPatEditor::SetPlugin(TSynth* plugin) {
  Plugin = plugin;
  if (Plugin)
    for (int i = 0; i < 16; ++i) SavedSteps[static_cast<std::size_t>(i)] = Plugin->StepRatio(i);
}

void TFrmPatEditor::LoadSteps() {
  if (!Plugin) return;
  FUpdating = true;
  struct TGuard {
    bool& Flag;
    ~TGuard() { Flag = false; }
  } guard{FUpdating};
  for (int i = 0; i < 16; ++i) FSteps[static_cast<std::size_t>(i)]->SetRealValue(Plugin->StepRatio(i));
}

void TFrmPatEditor::RefreshSteps() {
  LoadSteps();
  if (Plugin && !Plugin->EditorClosed.load()) Plugin->CommitSteps();
}

void TFrmPatEditor::StepChange(TObject* sender) {
  if (FUpdating || !Plugin || Plugin->EditorClosed.load()) return;
  const auto* editor = dynamic_cast<TZSpinEditRatio*>(sender);
  if (!editor) return;
  Plugin->CommitStep(static_cast<int>(editor->Tag) - piStep1, static_cast<float>(editor->RealValue()));
}

void TFrmPatEditor::Restore() {
  if (!Plugin) return;
  for (int i = 0; i < 16; ++i) Plugin->SetStepRatio(i, SavedSteps[static_cast<std::size_t>(i)]);
  // Not under Updating: an editor whose shown value changes reports its step.
  for (int i = 0; i < 16; ++i)
    FSteps[static_cast<std::size_t>(i)]->SetRealValue(SavedSteps[static_cast<std::size_t>(i)]);
}

void TFrmPatEditor::PatternOperation(int tag) {
  if (!Plugin) return;
  switch (tag) {
  case 0: Plugin->RandomiseSteps(Plugin->GetNotesQuantization()); break;
  case 1: Plugin->ShuffleSteps(); break;
  case 2: Plugin->ReverseSteps(); break;
  case 3: Plugin->RotateStepsLeft(); break;
  case 4: Plugin->RotateStepsRight(); break;
  default: return;
  }
  RefreshSteps();
}

void TFrmPatEditor::ApplyPitch() {
  if (!Plugin) return;
  Plugin->TransposeSteps(FPitch->RealValue());
  RefreshSteps();
  FPitch->SetRealValue(0.0);
}

void TFrmPatEditor::Import() {
  if (!Plugin) return;
  qvt::TFileDialogRequest request;
  request.Owner = Handle();
  request.Title = "Import pattern from MIDI file";
  request.Filter = "MIDI Files (*.mid)|*.mid|All files (*.*)|*.*";
  request.DefaultExt = "qvt";
  request.InitialDir = Plugin->GetPatternsFolder();
  request.FileName = FFileName;
  const std::optional<std::string> chosen = qvt::RunFileDialog(request);
  if (!chosen || chosen->empty()) return;
  FFileName = chosen->substr(0, 1500);
  Application->ProcessMessages(); // the dialog is gone before the file is read
  std::array<float, 16> steps{};
  if (!ImportMidiPattern(FFileName, steps)) return;
  for (int i = 0; i < 16; ++i) Plugin->SetStepRatio(i, steps[static_cast<std::size_t>(i)]);
  RefreshSteps();
}

void TFrmPatEditor::DoShow() {
  // Centred on the window it belongs to.
  if (Application->Platform()) {
    const TRect r = Application->Platform()->WindowScreenRect(ParentWindow());
    if (!r.IsEmpty())
      SetBounds(std::max(0, r.Left + (r.Width() - Width()) / 2),
                std::max(0, r.Top + (r.Height() - Height()) / 2), Width(), Height());
  }
  LoadSteps();
  TForm::DoShow();
}

void TFrmPatEditor::Paint() {
  Canvas().Copy(0, 0, *Background, Bounds(0, 0, Background->Width(), Background->Height()));
}

void TFrmPatEditor::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TRect drag{1, 1, Width() - 1, 21};
  if (drag.Contains({X, Y})) StartWindowMove();
  TForm::MouseDown(Button, Shift, X, Y);
}

void ShowPatternEditor(TForm& mainForm, TSynth* plugin) {
  auto* editor = new TFrmPatEditor(nullptr);
  editor->SetParentWindow(mainForm.Handle());
  // It belongs to the main form's editor: closing that editor ends its loop.
  editor->SetRootForm(mainForm.RootForm());
  editor->SetPlugin(plugin);
  try {
    editor->ShowModal();
  } catch (...) {
    editor->Release();
    throw;
  }
  editor->Release();
}

TFrmPatEditor* PatternEditor() { return GPatEditor; }
