// TFrmQuivertone: the editor window that the bridge embeds in the host's
// window. It shows the skin's main picture, follows the plug-in's parameters
// through SetParam, sends the user's changes through SendParam, and runs the
// editor's commands: bank files, presets, the pattern and filter menus, panic
// and the random buttons. The help and web-page areas open the manual and the
// web page.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/core/uForms.h"

class TPlugin;
class TBrndPopupMenu;
class TBrndItem;
class TZPresetBox;
class TZTextEdit;
class TZButton;
class TShapeBox;

class TFrmQuivertone : public TForm {
public:
  explicit TFrmQuivertone(TComponent* AOwner);
  ~TFrmQuivertone() override;

  void SetPlugin(TPlugin* plugin) { Plugin = plugin; }
  // Shows a parameter value on its control, without sending it back.
  void SetParam(int index, float value);
  bool Updating() const { return FUpdating; }
  // The preset browser from the plug-in's bank, in bank order.
  void FillPresetList();

  // The handler of every control bound to a parameter: sends its value.
  void ControlChange(TObject* sender);
  // The control bound to a stored parameter, if any.
  TControl* ControlOf(int index) const {
    return index >= 0 && index < 72 ? FBound[static_cast<std::size_t>(index)] : nullptr;
  }
  TShapeBox* ShapeDisplay(int column) const { return FShapes[static_cast<std::size_t>(column)]; }

  // --- commands (each the handler of a button, menu item or browser event) ---
  // The plug-in's setParameter and setParameterAutomated, unless a value is
  // being shown (Updating) or the editor is closing.
  void SendParam(int index, float value);
  void OpenBank();
  void SaveBank();
  void Panic();
  void AddPreset();
  void StorePreset();
  void RestorePreset();
  void DeletePreset();
  void ClearPresets();
  void PresetSelected();
  // The random buttons, by their tags 72 to 77.
  void Randomise(int tag);

  TBrndPopupMenu& PatternMenu() const { return *FPatternMenu; }
  TBrndPopupMenu& FilterMenu() const { return *FFilterMenu; }
  TBrndPopupMenu& PresetMenu() const { return *FPresetMenu; }
  TZPresetBox& PresetBox() const { return *FPresetBox; }
  TZTextEdit& NameEdit() const { return *FNameEdit; }

  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  // The areas of the picture that act on a press (a point on the right or
  // bottom edge is outside).
  static constexpr TRect kHelpRect{495, 214, 553, 223};
  static constexpr TRect kAboutRect{495, 231, 545, 240};
  static constexpr TRect kWebPageRect{495, 248, 558, 257};

protected:
  void DoShow() override;

private:
  void BuildMenus();
  void BuildControls();
  void WireTool(TZButton& button, int action);
  // The bank dialogs: the chosen path, remembered for the next dialog.
  bool AskBankFile(bool save);
  void CommitSteps();

  TPlugin* Plugin = nullptr;
  std::unique_ptr<TBitmap> Background;
  bool FUpdating = false;
  std::string FFileName; // the last name chosen in a bank dialog
  TBrndPopupMenu* FPatternMenu = nullptr;
  TBrndPopupMenu* FFilterMenu = nullptr;
  TBrndPopupMenu* FPresetMenu = nullptr;
  std::array<TBrndItem*, 8> FSpeedItems{};
  std::array<TBrndItem*, 4> FLowpassItems{};
  std::array<TBrndItem*, 4> FHighpassItems{};
  TBrndItem* FPasteItem = nullptr;
  TBrndItem* FQuantizeItem = nullptr;
  std::array<TBrndItem*, 5> FPresetItems{};
  TZPresetBox* FPresetBox = nullptr;
  TZTextEdit* FNameEdit = nullptr;
  std::array<TControl*, 72> FBound{};
  std::array<TShapeBox*, 3> FShapes{};
};

// The web page the web-page area opens: the build's setting, by default the
// "About" section of the installed manual.
std::string WebPageAddress(const std::string& helpFile);
// The donation page of the about box: its build setting, else the manual's "Support" section.
std::string DonationPageAddress(const std::string& helpFile);
