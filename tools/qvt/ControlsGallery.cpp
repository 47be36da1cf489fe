#include "tools/qvt/ControlsGallery.h"

#include <string>
#include <vector>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"

namespace qvt {

namespace {

constexpr TColor kPlate = RGBColor(34, 51, 43);
constexpr TColor kLabel = RGBColor(187, 255, 173);

// One level of a pop-up menu drawn where the gallery wants it, with the
// menu's own measuring and drawing (the menu loop opens real windows).
class TMenuPicture : public TGraphicControl {
public:
  TMenuPicture(TComponent* owner, TPopupMenu& menu, TMenuItem& level, int selected)
      : TGraphicControl(owner), FMenu(menu), FLevel(level), FSelected(selected) {
    TBitmap measure(1, 1);
    TCanvas canvas(&measure);
    int width = 80, height = 4;
    for (int i = 0; i < level.Count(); ++i) {
      const TSize size = menu.MeasureItem(canvas, *level.Items(i));
      width = std::max(width, size.Width);
      height += size.Height;
    }
    SetBounds(0, 0, width + 4, height);
  }
  void Paint() override {
    FMenu.DrawBackground(Canvas(), ClientRect());
    TBitmap measure(1, 1);
    TCanvas canvas(&measure);
    int top = 2;
    for (int i = 0; i < FLevel.Count(); ++i) {
      const int height = FMenu.MeasureItem(canvas, *FLevel.Items(i)).Height;
      FMenu.DrawItem(Canvas(), *FLevel.Items(i), {2, top, Width() - 2, top + height}, i == FSelected);
      top += height;
    }
  }

private:
  TPopupMenu& FMenu;
  TMenuItem& FLevel;
  int FSelected;
};

class TGalleryForm : public TForm {
public:
  TGalleryForm() : TForm(nullptr) {
    BorderStyle = bsNone;
    Color = kPlate;
    SetBounds(0, 0, 560, 300);

    Section("Preset browser", 12);
    auto* box = new TZPresetBox(this);
    for (const char* name : {"Velvet Keys", "Glass Bells", "Wooden Bass", "Pipe Flute",
                             "Night Wind", "Dark Strings", "Alien Radio", "Rust Cathedral",
                             "Glacier Pad", "Tidal Voice"})
      box->AddItem(name);
    box->SetItemIndex(5);
    box->Bar().SetPosition(2);
    Place(box, 12, 28);
    auto* name = new TZTextEdit(this);
    name->SetText("Dark Strings");
    Place(name, 12, 134);
    auto* named = new TZTextEdit(this);
    named->SetText("Night Wind");
    Place(named, 12, 158);
    named->SetFocus();
    named->SelectAll();

    Section("Popup menu", 200);
    auto* menu = new TBrndPopupMenu(this);
    TBrndSubmenuItem* speed = AddSubmenu(menu, nullptr, "Pattern speed");
    for (const char* caption : {"1/1", "1/2", "1/4", "1/8"})
      AddRadioMenuItem(menu, speed, caption, 1, nullptr, 0)->Checked = std::string(caption) == "1/4";
    AddMenuItem(menu, nullptr, "Edit pattern...", 1, nullptr);
    AddSeparator(menu, nullptr);
    AddMenuItem(menu, nullptr, "Copy pattern", 2, nullptr)->ShortCut = {'C', ssCtrl};
    AddMenuItem(menu, nullptr, "Paste pattern", 3, nullptr)->Enabled = false;
    AddMenuItem(menu, nullptr, "Notes quantization", 4, nullptr)->Checked = true;
    auto* root = new TMenuPicture(this, *menu, *menu->Items(), 0);
    Place(root, 200, 28);
    Place(new TMenuPicture(this, *menu, *speed, 2), 200 + root->Width() - 2, 28);
  }

  void Paint() override {
    TForm::Paint();
    Canvas().Font.Color = kLabel;
    Canvas().Font.Height = -11;
    Canvas().Brush.Style = bsClear;
    for (const auto& [text, left] : FSections) Canvas().TextOut(left, 8, text);
  }

private:
  void Section(const std::string& text, int left) { FSections.emplace_back(text, left); }
  void Place(TControl* control, int left, int top) {
    control->SetParent(this);
    control->SetLeft(left);
    control->SetTop(top);
  }

  std::vector<std::pair<std::string, int>> FSections;
};

} // namespace

std::unique_ptr<TForm> MakeControlsGallery() { return std::make_unique<TGalleryForm>(); }

} // namespace qvt
