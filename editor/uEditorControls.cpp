// The main form's controls: the table of the 66 controls in creation order
// (later ones lie above earlier ones), their parameter bindings, and the two
// directions of a value: ControlChange (control to plug-in) and SetParam
// (plug-in to control).
#include <cmath>

#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "controls/uZButtons.h"
#include "controls/uZEditors.h"
#include "controls/uZKnob.h"
#include "controls/uZShaper.h"
#include "editor/uEditor.h"
#include "lib/uGlobals.h"

namespace {

enum TKind : std::uint8_t {
  ckScheme,
  ckCheck,
  ckShape,
  ckKnob,
  ckWave,
  ckRatio,
  ckOffset,
  ckSwitch,
  ckTool,
  ckNameEdit,
  ckPresetBox
};

// What a tool button does (ckTool only).
enum TAction : std::uint8_t {
  caNoAction,
  caPatternMenu,
  caFilterMenu,
  caOpenBank,
  caSaveBank,
  caPanic,
  caStore,
  caRestore,
  caDelete,
  caRandomise
};

struct TControlEntry {
  TKind Kind;
  int Left, Top;
  int Tag; // the parameter index; 72…77 random buttons, 78…80 shape displays
  const char* Glyph = nullptr;
  TAction Action = caNoAction;
};

// The table, in creation order.
constexpr TControlEntry kControls[] = {
    {ckScheme, 116, 211, 0},
    {ckCheck, 25, 30, 13},
    {ckShape, 61, 46, 78},
    {ckKnob, 27, 46, 1},
    {ckWave, 22, 95, 10},
    {ckRatio, 22, 129, 7},
    {ckOffset, 22, 163, 4},
    {ckCheck, 121, 30, 14},
    {ckShape, 157, 46, 79},
    {ckKnob, 123, 46, 2},
    {ckWave, 118, 95, 11},
    {ckRatio, 118, 129, 8},
    {ckOffset, 118, 163, 5},
    {ckCheck, 217, 30, 15},
    {ckShape, 253, 46, 80},
    {ckKnob, 219, 46, 3},
    {ckWave, 214, 95, 12},
    {ckRatio, 214, 129, 9},
    {ckOffset, 214, 163, 6},
    {ckCheck, 313, 34, 30},
    {ckCheck, 313, 52, 33},
    {ckCheck, 353, 52, 32},
    {ckKnob, 317, 74, 31},
    {ckKnob, 356, 74, 36},
    {ckRatio, 310, 129, 35},
    {ckOffset, 310, 163, 34},
    {ckKnob, 21, 266, 28},
    {ckKnob, 49, 266, 29},
    {ckKnob, 80, 266, 24},
    {ckKnob, 108, 266, 25},
    {ckKnob, 138, 266, 22},
    {ckKnob, 166, 266, 23},
    {ckCheck, 51, 209, 70},
    {ckCheck, 84, 209, 71},
    {ckTool, 55, 227, 0, "ZBTN_SEQ_DDM", caPatternMenu},
    {ckTool, 85, 227, 0, "ZBTN_FLT_DDM", caFilterMenu},
    {ckKnob, 21, 217, 53},
    {ckCheck, 215, 209, 37},
    {ckSwitch, 263, 210, 38},
    {ckKnob, 212, 227, 39},
    {ckKnob, 240, 227, 40},
    {ckKnob, 268, 227, 41},
    {ckKnob, 212, 266, 42},
    {ckKnob, 240, 266, 43},
    {ckKnob, 268, 266, 44},
    {ckCheck, 311, 209, 45},
    {ckKnob, 308, 227, 50},
    {ckKnob, 336, 227, 51},
    {ckKnob, 364, 227, 46},
    {ckKnob, 308, 266, 48},
    {ckKnob, 336, 266, 49},
    {ckKnob, 364, 266, 47},
    {ckTool, 406, 31, 0, "ZBTN_OPEN", caOpenBank},
    {ckTool, 430, 31, 0, "ZBTN_SAVE", caSaveBank},
    {ckTool, 463, 31, 0, "ZBTN_PANIC", caPanic},
    {ckTool, 495, 31, 0, "ZBTN_PEN", caStore},
    {ckTool, 519, 31, 0, "ZBTN_RETURN", caRestore},
    {ckTool, 543, 31, 0, "ZBTN_DELETE", caDelete},
    {ckNameEdit, 407, 58, 0},
    {ckPresetBox, 407, 82, 0},
    {ckTool, 405, 212, 72, "ZBTN_RND_ALL", caRandomise},
    {ckTool, 429, 212, 73, "ZBTN_RND_SEQ", caRandomise},
    {ckTool, 453, 212, 74, "ZBTN_RND_FRQ", caRandomise},
    {ckTool, 405, 237, 75, "ZBTN_RND_GEN", caRandomise},
    {ckTool, 429, 237, 76, "ZBTN_RND_FLT", caRandomise},
    {ckTool, 453, 237, 77, "ZBTN_RND_FX", caRandomise},
};
static_assert(std::size(kControls) == 66);

} // namespace

void TFrmQuivertone::BuildControls() {
  for (const TControlEntry& entry : kControls) {
    TControl* control = nullptr;
    switch (entry.Kind) {
    case ckScheme: {
      auto* c = new TZScemEdit(this);
      c->OnChange = [this](TObject* sender) { ControlChange(sender); };
      control = c;
      break;
    }
    case ckCheck: {
      auto* c = new TZCheckButton(this);
      c->OnChange = [this](TObject* sender) { ControlChange(sender); };
      control = c;
      break;
    }
    case ckShape: {
      auto* c = new TShapeBox(this);
      c->OnShapeChange = [this, c](TObject*) {
        SendParam(static_cast<int>(c->Tag) - 59, c->Shape());
      };
      c->OnReductionChange = [this, c](TObject*) {
        SendParam(static_cast<int>(c->Tag) - 62, c->Reduction());
      };
      FShapes[static_cast<std::size_t>(entry.Tag - 78)] = c;
      control = c;
      break;
    }
    case ckKnob: {
      auto* c = new TZKnob(this);
      c->OnChange = [this](TObject* sender) { ControlChange(sender); };
      control = c;
      break;
    }
    case ckWave: {
      auto* c = new TZTextSpinEdit(this);
      c->OnChange = [this](TObject* sender) { ControlChange(sender); };
      control = c;
      break;
    }
    case ckRatio:
    case ckOffset: {
      TZSpinEdit* c = entry.Kind == ckRatio ? static_cast<TZSpinEdit*>(new TZSpinEditRatio(this))
                                           : new TZSpinEditOffset(this);
      if (entry.Tag == 34) c->SetMinValue(0.0); // the pipe's offset is never negative
      c->OnChange = [this](TObject* sender) { ControlChange(sender); };
      control = c;
      break;
    }
    case ckSwitch: {
      auto* c = new TZSwitch(this);
      c->OnChange = [this](TObject* sender) { ControlChange(sender); };
      control = c;
      break;
    }
    case ckTool: {
      auto* c = new TZButton(this);
      c->LoadGlyph(entry.Glyph);
      WireTool(*c, entry.Action);
      control = c;
      break;
    }
    case ckNameEdit:
      FNameEdit = new TZTextEdit(this);
      FNameEdit->OnBtnClick = [this](TObject*) { AddPreset(); };
      control = FNameEdit;
      break;
    case ckPresetBox:
      FPresetBox = new TZPresetBox(this);
      FPresetBox->PopupMenu = FPresetMenu;
      FPresetBox->List().PopupMenu = FPresetMenu;
      FPresetBox->OnItemIndexChange = [this](TObject*) { PresetSelected(); };
      FPresetBox->OnItemsDelete = [this](TObject*) { DeletePreset(); };
      control = FPresetBox;
      break;
    }
    control->SetTop(entry.Top);
    control->SetLeft(entry.Left);
    control->Tag = entry.Tag;
    control->SetParent(this);
    if (entry.Kind != ckTool && entry.Kind != ckShape && entry.Tag < qvt::kNumStoredParams &&
        entry.Kind != ckNameEdit && entry.Kind != ckPresetBox)
      FBound[static_cast<std::size_t>(entry.Tag)] = control;
  }
}

void TFrmQuivertone::WireTool(TZButton& button, int action) {
  switch (static_cast<TAction>(action)) {
  case caPatternMenu: button.SetDropDownMenu(FPatternMenu); break;
  case caFilterMenu: button.SetDropDownMenu(FFilterMenu); break;
  case caOpenBank: button.OnClick = [this](TObject*) { OpenBank(); }; break;
  case caSaveBank: button.OnClick = [this](TObject*) { SaveBank(); }; break;
  case caPanic: button.OnClick = [this](TObject*) { Panic(); }; break;
  case caStore: button.OnClick = [this](TObject*) { StorePreset(); }; break;
  case caRestore: button.OnClick = [this](TObject*) { RestorePreset(); }; break;
  case caDelete: button.OnClick = [this](TObject*) { DeletePreset(); }; break;
  case caRandomise:
    button.OnClick = [this](TObject* sender) {
      Randomise(static_cast<int>(static_cast<TComponent*>(sender)->Tag));
    };
    break;
  case caNoAction: break;
  }
}

void TFrmQuivertone::ControlChange(TObject* sender) {
  auto* control = dynamic_cast<TControl*>(sender);
  if (!control) return;
  const int tag = static_cast<int>(control->Tag);
  // The wave selectors drive their column's shape display, also while a value is shown.
  if (tag >= 10 && tag <= 12)
    if (auto* wave = dynamic_cast<TZTextSpinEdit*>(control))
      FShapes[static_cast<std::size_t>(tag - 10)]->SetWaveForm(wave->WaveForm());
  if (tag < 0 || tag >= qvt::kNumStoredParams || FBound[static_cast<std::size_t>(tag)] != control)
    return;
  double value = 0.0;
  if (auto* c = dynamic_cast<TZKnob*>(control))
    value = c->Value();
  else if (auto* c = dynamic_cast<TZCheckButton*>(control))
    value = c->Value();
  else if (auto* c = dynamic_cast<TZSwitch*>(control))
    value = c->Value();
  else if (auto* c = dynamic_cast<TZSpinEdit*>(control))
    value = c->Value(); // the normalised value, not the one shown
  else if (auto* c = dynamic_cast<TZTextSpinEdit*>(control))
    value = c->Value();
  else if (auto* c = dynamic_cast<TZScemEdit*>(control))
    value = c->Value();
  SendParam(tag, static_cast<float>(value));
}

void TFrmQuivertone::SetParam(int index, float value) {
  FUpdating = true;
  struct TGuard {
    bool& Flag;
    ~TGuard() { Flag = false; }
  } guard{FUpdating};
  if (index >= 16 && index <= 21) {
    TShapeBox* box = FShapes[static_cast<std::size_t>((index - 16) % 3)];
    if (index <= 18)
      box->SetReduction(value);
    else
      box->SetShape(value);
    return;
  }
  if (index < 0 || index >= qvt::kNumStoredParams) return;
  TControl* control = FBound[static_cast<std::size_t>(index)];
  if (!control) return; // parameters without a control: filter types, speed, steps
  if (auto* c = dynamic_cast<TZKnob*>(control))
    c->SetValue(value);
  else if (auto* c = dynamic_cast<TZCheckButton*>(control))
    c->SetValue(value);
  else if (auto* c = dynamic_cast<TZSwitch*>(control))
    c->SetValue(value);
  else if (auto* c = dynamic_cast<TZSpinEdit*>(control))
    c->SetValue(value);
  else if (auto* c = dynamic_cast<TZTextSpinEdit*>(control))
    c->SetValue(value);
  else if (auto* c = dynamic_cast<TZScemEdit*>(control))
    c->SetValue(value);
}
