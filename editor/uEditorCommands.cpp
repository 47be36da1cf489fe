// The editor's commands: the three menus, bank files, presets, panic and the
// random buttons. Every visible result reaches the controls the way a host's
// automation does, through setParameter and SetParam.
#include <algorithm>
#include <cmath>
#include <string_view>

#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "core/uParamTable.h"
#include "core/uSynth.h"
#include "editor/uEditor.h"
#include "editor/uPatEditor.h"
#include "lib/uGlobals.h"
#include "platform/core/uApplication.h"
#include "platform/core/uDesktop.h"
#include "platform/core/uMessageBox.h"

namespace {

constexpr std::size_t kFileNameLimit = 1500;
constexpr const char* kBankFilter = "Quivertone presets bank (*.qvt)|*.qvt|All files (*.*)|*.*";

// The item of a radio group a parameter's value selects: round(100 · value), at most `last`.
int ChoiceOf(float value, int last) {
  return std::clamp(static_cast<int>(std::nearbyint(100.0 * value)), 0, last);
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return std::string(text);
}

// Shows `chosen` as the checked item of its radio group, without running anything.
void CheckOnly(TMenuItem* chosen) {
  TMenuItem* parent = chosen ? chosen->Parent() : nullptr;
  if (!parent) return;
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (item->RadioItem && item->GroupIndex == chosen->GroupIndex) item->Checked = item == chosen;
  }
}

} // namespace

void TFrmQuivertone::BuildMenus() {
  FPatternMenu = new TBrndPopupMenu(this);
  TBrndSubmenuItem* speed = AddSubmenu(FPatternMenu, nullptr, "Pattern Speed");
  const char* speeds[8] = {"1:8", "1:4", "1:2", "1:1.5", "1:1", "1.5:1", "2:1", "4:1"};
  for (int i = 0; i < 8; ++i)
    FSpeedItems[static_cast<std::size_t>(i)] = AddRadioMenuItem(
        FPatternMenu, speed, speeds[i], 2,
        [this, i](TObject*) { SendParam(piPatternSpeed, static_cast<float>(i) * 0.01f); }, i);
  AddSeparator(FPatternMenu, nullptr);
  const auto copyOrPaste = [this](TObject* sender) {
    if (!Plugin) return;
    if (static_cast<TComponent*>(sender)->Tag == 5) {
      Plugin->CopyPattern();
      CommitSteps();
    } else {
      Plugin->PastePattern();
      for (int i = piPatternSpeed; i <= piStep16; ++i)
        if (!Plugin->EditorClosed.load()) Plugin->setParameterAutomated(i, Plugin->getParameter(i));
    }
  };
  AddMenuItem(FPatternMenu, nullptr, "Copy pattern", 5, copyOrPaste);
  FPasteItem = AddMenuItem(FPatternMenu, nullptr, "Paste pattern", 6, copyOrPaste);
  AddSeparator(FPatternMenu, nullptr);
  AddMenuItem(FPatternMenu, nullptr, "Edit pattern...", 0, [this](TObject*) {
    if (auto* synth = dynamic_cast<TSynth*>(Plugin)) ShowPatternEditor(*this, synth);
  });
  AddSeparator(FPatternMenu, nullptr);
  FQuantizeItem = AddMenuItem(FPatternMenu, nullptr, "Notes quantization", 0, [this](TObject*) {
    if (!Plugin) return;
    Plugin->SetNotesQuantization(FQuantizeItem->Checked);
    Plugin->RandomiseSteps(FQuantizeItem->Checked);
    CommitSteps();
  });
  FQuantizeItem->AutoCheck = true;
  FPatternMenu->OnPopup = [this](TObject*) {
    if (!Plugin) return;
    CheckOnly(FSpeedItems[static_cast<std::size_t>(ChoiceOf(Plugin->getParameter(piPatternSpeed), 7))]);
    FPasteItem->Enabled = Plugin->ClipboardHasPattern();
  };

  FFilterMenu = new TBrndPopupMenu(this);
  const char* kinds[4] = {"Off", "Biquad", "Butterworth", "Chebyshev"};
  for (const auto& [caption, index, items, group] :
       {std::tuple{"Lowpass Filter", piFilterLowpassType, &FLowpassItems, 22},
        std::tuple{"Highpass Filter", piFilterHighpassType, &FHighpassItems, 23}}) {
    TBrndSubmenuItem* submenu = AddSubmenu(FFilterMenu, nullptr, caption);
    for (int i = 0; i < 4; ++i)
      (*items)[static_cast<std::size_t>(i)] = AddRadioMenuItem(
          FFilterMenu, submenu, kinds[i], group,
          [this, index = index, i](TObject*) { SendParam(index, static_cast<float>(i) * 0.01f); },
          i);
  }
  AddSeparator(FFilterMenu, nullptr);
  AddMenuItem(FFilterMenu, nullptr, "Bypass all Filters", 0, [this](TObject*) {
    SendParam(piFilterLowpassType, 0.0f);
    SendParam(piFilterHighpassType, 0.0f);
  });
  FFilterMenu->OnPopup = [this](TObject*) {
    if (!Plugin) return;
    CheckOnly(FLowpassItems[static_cast<std::size_t>(ChoiceOf(Plugin->getParameter(piFilterLowpassType), 3))]);
    CheckOnly(FHighpassItems[static_cast<std::size_t>(ChoiceOf(Plugin->getParameter(piFilterHighpassType), 3))]);
  };

  FPresetMenu = new TBrndPopupMenu(this);
  FPresetItems = {AddMenuItem(FPresetMenu, nullptr, "Add preset", 0, [this](TObject*) { AddPreset(); }),
                  AddMenuItem(FPresetMenu, nullptr, "Store preset", 0, [this](TObject*) { StorePreset(); }),
                  AddMenuItem(FPresetMenu, nullptr, "Restore preset", 0, [this](TObject*) { RestorePreset(); }),
                  AddMenuItem(FPresetMenu, nullptr, "Delete preset...", 0, [this](TObject*) { DeletePreset(); }),
                  AddMenuItem(FPresetMenu, nullptr, "Clear presets...", 0, [this](TObject*) { ClearPresets(); })};
  FPresetMenu->OnPopup = [this](TObject*) {
    const bool selected = FPresetBox->ItemIndex() >= 0;
    FPresetItems[0]->Enabled = !Trimmed(FNameEdit->Text()).empty();
    FPresetItems[1]->Enabled = FPresetItems[2]->Enabled = FPresetItems[3]->Enabled = selected;
    FPresetItems[4]->Enabled = FPresetBox->Items().Count() > 0;
  };
}

void TFrmQuivertone::SendParam(int index, float value) {
  if (FUpdating || !Plugin || Plugin->EditorClosed.load()) return;
  Plugin->setParameter(index, value);
  Plugin->setParameterAutomated(index, value);
}

void TFrmQuivertone::CommitSteps() {
  if (auto* synth = dynamic_cast<TSynth*>(Plugin); synth && !Plugin->EditorClosed.load())
    synth->CommitSteps();
}

bool TFrmQuivertone::AskBankFile(bool save) {
  qvt::TFileDialogRequest request;
  request.Save = save;
  request.Owner = Handle();
  request.Title = save ? "Save Quivertone presets bank as" : "Load Quivertone presets bank";
  request.Filter = kBankFilter;
  request.InitialDir = Plugin->GetBankFolder();
  request.DefaultExt = "qvt";
  request.FileName = FFileName;
  const std::optional<std::string> chosen = qvt::RunFileDialog(request);
  if (!chosen || chosen->empty()) return false;
  FFileName = chosen->substr(0, kFileNameLimit);
  // The dialog is gone before the file is touched.
  Application->ProcessMessages();
  return true;
}

void TFrmQuivertone::OpenBank() {
  if (!Plugin || !AskBankFile(false)) return;
  if (Plugin->LoadBankFile(FFileName)) FillPresetList();
  FPresetBox->SetItemIndex(0);
}

void TFrmQuivertone::SaveBank() {
  if (Plugin && AskBankFile(true)) Plugin->SaveBankFile(FFileName);
}

void TFrmQuivertone::Panic() {
  if (Plugin) Plugin->KillVoice();
}

void TFrmQuivertone::AddPreset() {
  if (!Plugin) return;
  const std::string name = FNameEdit->Text();
  if (Trimmed(name).empty()) {
    qvt::ShowMessageBox("Preset name is empty!", qvt::kMessageCaption,
                        qvt::mbOk | qvt::mbIconWarning);
    FNameEdit->SetFocus();
    return;
  }
  Plugin->SetEditBufferName(name);
  Plugin->InsertProgramCopy();
  const int at = FPresetBox->ItemIndex() + 1;
  FPresetBox->Items().Insert(at, name);
  FPresetBox->SetItemIndex(at);
}

void TFrmQuivertone::StorePreset() {
  const int selected = FPresetBox->ItemIndex();
  if (!Plugin || selected < 0) return;
  Plugin->SetEditBufferName(FNameEdit->Text());
  Plugin->StoreProgram();
  FPresetBox->List().SetItem(selected, FNameEdit->Text());
}

void TFrmQuivertone::RestorePreset() {
  if (Plugin) Plugin->LoadSelectedProgram();
}

void TFrmQuivertone::DeletePreset() {
  const int selected = FPresetBox->ItemIndex();
  if (!Plugin || selected < 0) return;
  const std::string question =
      "Are you sure to delete preset \xAB" + FPresetBox->Items()[selected] + "\xBB?";
  if (qvt::ShowMessageBox(question, qvt::kMessageCaption, qvt::mbYesNo | qvt::mbIconInformation) ==
      qvt::idNo)
    return;
  Plugin->DeleteProgram(selected);
  FPresetBox->Items().Delete(selected);
}

void TFrmQuivertone::ClearPresets() {
  if (!Plugin ||
      qvt::ShowMessageBox("Are you sure clear preset list?", qvt::kMessageCaption,
                          qvt::mbYesNo | qvt::mbIconQuestion) == qvt::idNo)
    return;
  FPresetBox->Clear();
  Plugin->ClearBank();
}

void TFrmQuivertone::PresetSelected() {
  if (!Plugin) return;
  const int selected = FPresetBox->ItemIndex();
  if (selected >= 0) FNameEdit->SetText(FPresetBox->Items()[selected]);
  Plugin->SelectProgram(selected);
}

void TFrmQuivertone::Randomise(int tag) {
  if (!Plugin || tag < piRandomAll || tag > piRandomFx || Plugin->EditorClosed.load()) return;
  const std::uint8_t group = qvt::RandomGroupOf(tag);
  for (int index = 0; index < qvt::kNumStoredParams; ++index)
    if (qvt::ParamInfo(index).Groups & group) Plugin->RandomiseParameter(index);
  if (tag == piRandomAll || tag == piRandomSequencer) {
    Plugin->RandomiseSteps(Plugin->GetNotesQuantization());
    CommitSteps();
  }
  Plugin->PushParameters();
  Plugin->setParameterAutomated(tag, 1.0f);
}
