#include "tools/qvt/ControlsGallery.h"

#include <string>
#include <vector>

#include "controls/uBitmapEx.h"
#include "controls/uBrndMenu.h"
#include "controls/uPresetBox.h"
#include "controls/uZEditors.h"
#include "controls/uZShaper.h"
#include "controls/uZButtons.h"
#include "controls/uZKnob.h"
#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/headless/uHeadlessPlatform.h"

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
    SetBounds(0, 0, 560, 420);

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

    KnobsAndButtons(12, 196);
    EditorsAndShapes(12, 290);
  }

  void Paint() override {
    TForm::Paint();
    Canvas().Font.Color = kLabel;
    Canvas().Font.Height = -11;
    Canvas().Brush.Style = bsClear;
    for (const auto& [text, at] : FSections) Canvas().TextOut(at.X, at.Y, text);
  }

private:
  void Section(const std::string& text, int left, int top = 8) {
    FSections.emplace_back(text, TPoint{left, top});
  }
  // Knobs at 0, 64 and 127; check buttons off, half faded and on; the switch
  // off, sliding and on; tool buttons up, held down, disabled and with a
  // drop-down glyph; a push button and a close box.
  void KnobsAndButtons(int left, int top) {
    Section("Knobs and buttons", left, top);
    top += 20;
    for (int i = 0; i < 3; ++i) {
      auto* knob = new TZKnob(this);
      knob->SetValue(i / 2.0);
      Place(knob, left + 30 * i, top);
    }
    TZCheckButton* checks[3];
    TZSwitch* switches[3];
    for (int i = 0; i < 3; ++i) {
      Place(checks[i] = new TZCheckButton(this), left + 100 + 20 * i, top + 6);
      Place(switches[i] = new TZSwitch(this), left + 170 + 24 * i, top + 8);
    }
    // The animations run on the snapshot's virtual clock.
    auto let = [](unsigned ms) {
      if (auto* headless = dynamic_cast<THeadlessPlatform*>(Application->Platform()))
        headless->AdvanceTime(ms);
    };
    checks[2]->SetChecked(true);
    switches[2]->SetValue(1);
    let(50);
    switches[1]->SetValue(1);
    let(32);
    checks[1]->SetChecked(true);
    let(8 * TZCheckButton::kTickMs);

    top += 34;
    const char* glyphs[] = {"ZBTN_OPEN", "ZBTN_SAVE", "ZBTN_PANIC", "ZBTN_SEQ_DDM"};
    TZButton* tools[4];
    for (int i = 0; i < 4; ++i) {
      Place(tools[i] = new TZButton(this), left + 26 * i, top);
      tools[i]->LoadGlyph(glyphs[i]);
    }
    tools[1]->SetGroupIndex(1);
    tools[1]->SetDown(true);
    tools[2]->SetEnabled(false);
    auto* push = new TZSButton(this);
    push->SetCaption("Donation");
    Place(push, left + 114, top);
    Place(new TZCloseButton(this), left + 190, top + 4);
  }
  // Spin editors with values, one with its caret, one disabled; the scheme
  // editor; wave-shape displays for several waves, shapes and reductions.
  void EditorsAndShapes(int left, int top) {
    Section("Spin editors and wave shapes", left, top);
    top += 20;
    auto* wave = new TZTextSpinEdit(this);
    wave->SetRealValue(2);
    Place(wave, left, top);
    auto* ratio = new TZSpinEditRatio(this);
    ratio->SetRealValue(1.5);
    Place(ratio, left + 90, top);
    auto* offset = new TZSpinEditOffset(this);
    offset->SetRealValue(-12.5);
    Place(offset, left + 180, top);
    auto* disabled = new TZSpinEditRatio(this);
    disabled->SetRealValue(2);
    disabled->SetEnabled(false);
    Place(disabled, left + 270, top);
    auto* scheme = new TZScemEdit(this);
    scheme->SetValue(0.5);
    Place(scheme, left + 360, top);
    offset->SetFocus();
    const struct {
      TOscType Wave;
      float Shape, Reduction;
    } shapes[] = {{otSin, 0.5f, 0.0f}, {otSin, 1.0f, 0.0f}, {otTri, 0.5f, 0.6f},
                  {otSaw, 0.2f, 0.0f}, {otISw, 0.5f, 1.0f}};
    for (int i = 0; i < 5; ++i) {
      auto* box = new TShapeBox(this);
      box->SetWaveForm(shapes[i].Wave);
      box->SetShape(shapes[i].Shape);
      box->SetReduction(shapes[i].Reduction);
      Place(box, left + 70 * i, top + 40);
    }
  }
  void Place(TControl* control, int left, int top) {
    control->SetParent(this);
    control->SetLeft(left);
    control->SetTop(top);
  }

  std::vector<std::pair<std::string, TPoint>> FSections;
};

} // namespace

std::unique_ptr<TForm> MakeControlsGallery() { return std::make_unique<TGalleryForm>(); }

} // namespace qvt
