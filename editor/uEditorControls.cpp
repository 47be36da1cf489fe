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
#include "core/uParamTable.h"
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
  int Tag; // the parameter: a stored one, a random button or an XY-pad
  const char* Glyph = nullptr;
  TAction Action = caNoAction;
};

// The table, in creation order.
constexpr TControlEntry kControls[] = {
    {ckScheme, 116, 211, piGenerationScheme},
    {ckCheck, 25, 30, piOsc1Seq},
    {ckShape, 61, 46, piOsc1XyPad},
    {ckKnob, 27, 46, piOsc1Level},
    {ckWave, 22, 95, piOsc1Waveform},
    {ckRatio, 22, 129, piOsc1Ratio},
    {ckOffset, 22, 163, piOsc1Offset},
    {ckCheck, 121, 30, piOsc2Seq},
    {ckShape, 157, 46, piOsc2XyPad},
    {ckKnob, 123, 46, piOsc2Level},
    {ckWave, 118, 95, piOsc2Waveform},
    {ckRatio, 118, 129, piOsc2Ratio},
    {ckOffset, 118, 163, piOsc2Offset},
    {ckCheck, 217, 30, piOsc3Seq},
    {ckShape, 253, 46, piOsc3XyPad},
    {ckKnob, 219, 46, piOsc3Level},
    {ckWave, 214, 95, piOsc3Waveform},
    {ckRatio, 214, 129, piOsc3Ratio},
    {ckOffset, 214, 163, piOsc3Offset},
    {ckCheck, 313, 34, piPipe},
    {ckCheck, 313, 52, piPipeSeq},
    {ckCheck, 353, 52, piPipeFeedbackInvert},
    {ckKnob, 317, 74, piPipeFeedback},
    {ckKnob, 356, 74, piPipeSpread},
    {ckRatio, 310, 129, piPipeRatio},
    {ckOffset, 310, 163, piPipeOffset},
    {ckKnob, 21, 266, piAttackTime},
    {ckKnob, 49, 266, piReleaseTime},
    {ckKnob, 80, 266, piFilterLowpassCutoff},
    {ckKnob, 108, 266, piFilterHighpassCutoff},
    {ckKnob, 138, 266, piStereoWidth},
    {ckKnob, 166, 266, piDetune},
    {ckCheck, 51, 209, piRootA4},
    {ckCheck, 84, 209, piLoop},
    {ckTool, 55, 227, 0, "ZBTN_SEQ_DDM", caPatternMenu},
    {ckTool, 85, 227, 0, "ZBTN_FLT_DDM", caFilterMenu},
    {ckKnob, 21, 217, piPortamento},
    {ckCheck, 215, 209, piFlanger},
    {ckSwitch, 263, 210, piFlangerLfoWaveform},
    {ckKnob, 212, 227, piFlangerLfoRate},
    {ckKnob, 240, 227, piFlangerLfoDepth},
    {ckKnob, 268, 227, piFlangerHighpassCutoff},
    {ckKnob, 212, 266, piFlangerTime},
    {ckKnob, 240, 266, piFlangerFeedback},
    {ckKnob, 268, 266, piFlangerLevel},
    {ckCheck, 311, 209, piReverb},
    {ckKnob, 308, 227, piReverbLowpassCutoff},
    {ckKnob, 336, 227, piReverbHighpassCutoff},
    {ckKnob, 364, 227, piReverbTime},
    {ckKnob, 308, 266, piReverbDryLevel},
    {ckKnob, 336, 266, piReverbWetLevel},
    {ckKnob, 364, 266, piReverbWidth},
    {ckTool, 406, 31, 0, "ZBTN_OPEN", caOpenBank},
    {ckTool, 430, 31, 0, "ZBTN_SAVE", caSaveBank},
    {ckTool, 463, 31, 0, "ZBTN_PANIC", caPanic},
    {ckTool, 495, 31, 0, "ZBTN_PEN", caStore},
    {ckTool, 519, 31, 0, "ZBTN_RETURN", caRestore},
    {ckTool, 543, 31, 0, "ZBTN_DELETE", caDelete},
    {ckNameEdit, 407, 58, 0},
    {ckPresetBox, 407, 82, 0},
    {ckTool, 405, 212, piRandomAll, "ZBTN_RND_ALL", caRandomise},
    {ckTool, 429, 212, piRandomSequencer, "ZBTN_RND_SEQ", caRandomise},
    {ckTool, 453, 212, piRandomFrequency, "ZBTN_RND_FRQ", caRandomise},
    {ckTool, 405, 237, piRandomWaveform, "ZBTN_RND_GEN", caRandomise},
    {ckTool, 429, 237, piRandomFilter, "ZBTN_RND_FLT", caRandomise},
    {ckTool, 453, 237, piRandomFx, "ZBTN_RND_FX", caRandomise},
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
        SendParam(piOsc1Shape + static_cast<int>(c->Tag) - piOsc1XyPad, c->Shape());
      };
      c->OnReductionChange = [this, c](TObject*) {
        SendParam(piOsc1Reduction + static_cast<int>(c->Tag) - piOsc1XyPad, c->Reduction());
      };
      FShapes[static_cast<std::size_t>(entry.Tag - piOsc1XyPad)] = c;
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
      if (entry.Tag == piPipeOffset) c->SetMinValue(0.0); // the pipe's offset is never negative
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
  if (tag >= piOsc1Waveform && tag <= piOsc3Waveform)
    if (auto* wave = dynamic_cast<TZTextSpinEdit*>(control))
      FShapes[static_cast<std::size_t>(tag - piOsc1Waveform)]->SetWaveForm(wave->WaveForm());
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
  if (index >= piOsc1Reduction && index <= piOsc3Shape) {
    TShapeBox* box = FShapes[static_cast<std::size_t>((index - piOsc1Reduction) % 3)];
    if (index <= piOsc3Reduction)
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
