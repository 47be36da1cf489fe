#include "controls/uBrndMenu.h"

#include <charconv>

#include "lib/uRegistry.h"
#include "platform/core/uApplication.h"
#include "platform/core/uDialogControls.h"
#include "platform/core/uFont.h"

namespace {

constexpr TColor kFrame = RGBColor(93, 130, 104);
constexpr TColor kInk = qvt::kDialogInk;
constexpr TColor kSelected = RGBColor(58, 88, 72);
constexpr TColor kDisabled = RGBColor(100, 130, 108);
constexpr int kRowHeight = 18;
constexpr int kShortCutGap = 24;
constexpr int kArrowSpace = 20; // as the base menu keeps for the submenu arrow

// The one menu font: Tahoma at 8 points where it is installed, else the sans-serif face.
const TFont& MenuFont() {
  static const TFont font = [] {
    TFont f;
    f.Name = qvt::CurrentFontEngine().HasFamily("Tahoma") ? "Tahoma" : "DejaVu Sans";
    f.Height = -11;
    f.Color = kInk;
    return f;
  }();
  return font;
}

unsigned ConfiguredMenuShowDelay() {
  static const unsigned delay = [] {
    const std::string text =
        qvt::RegReadText(qvt::TRegistryRoot::CurrentUser, "Control Panel\\Desktop\\MenuShowDelay");
    return qvt::MenuShowDelay(text.empty() ? std::nullopt : std::optional<std::string>(text));
  }();
  return delay;
}

std::string KeyName(std::uint16_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  switch (key) {
  case vkDelete: return "Del";
  case vkInsert: return "Ins";
  case vkReturn: return "Enter";
  case vkEscape: return "Esc";
  case vkBack: return "BkSp";
  default: return {};
  }
}

} // namespace

namespace qvt {
unsigned MenuShowDelay(const std::optional<std::string>& value) {
  if (!value) return 400;
  unsigned ms = 0;
  const char* begin = value->data();
  const char* end = begin + value->size();
  const auto [at, error] = std::from_chars(begin, end, ms);
  return error == std::errc() && at == end ? ms : 0;
}
} // namespace qvt

std::string TShortCut::Text() const {
  if (IsEmpty()) return {};
  std::string text;
  if (Shift & ssShift) text += "Shift+";
  if (Shift & ssCtrl) text += "Ctrl+";
  if (Shift & ssAlt) text += "Alt+";
  return text + KeyName(Key);
}

TBrndPopupMenu::TBrndPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) {
  Font = MenuFont();
  FrameColor = kFrame;
  SubmenuDelayMs = ConfiguredMenuShowDelay();
}

bool TBrndPopupMenu::IsShortCut(std::uint16_t key, TShiftState shift) {
  const TShortCut wanted{key, static_cast<TShiftState>(shift & (ssShift | ssCtrl | ssAlt))};
  std::vector<TMenuItem*> pending{Items()};
  while (!pending.empty()) {
    TMenuItem* item = pending.back();
    pending.pop_back();
    for (int i = 0; i < item->Count(); ++i) pending.push_back(item->Items(i));
    const auto* brnd = dynamic_cast<TBrndCustomItem*>(item);
    if (brnd && brnd->ShortCut == wanted && item->Enabled && item->Visible && !item->HasSubmenu()) {
      item->Click();
      return true;
    }
  }
  return false;
}

void TBrndPopupMenu::PlaySound(const char* eventName) {
  // A sound plays only when the user's sound scheme names one for the event.
  const std::string path =
      std::string("AppEvents\\Schemes\\Apps\\.Default\\") + eventName + "\\.Current\\";
  if (!qvt::RegReadText(qvt::TRegistryRoot::CurrentUser, path).empty())
    TPopupMenu::PlaySound(eventName);
}

TSize TBrndPopupMenu::MeasureItem(TCanvas& canvas, const TMenuItem& item) {
  if (item.IsLine()) return {0, 7};
  // The caption as the base draws it, and the shortcut beside it.
  TSize size = TPopupMenu::MeasureItem(canvas, item);
  if (const auto* brnd = dynamic_cast<const TBrndCustomItem*>(&item); brnd && !brnd->ShortCut.IsEmpty())
    size.Width += kShortCutGap + canvas.TextWidth(brnd->ShortCut.Text());
  return {size.Width, kRowHeight};
}

void TBrndPopupMenu::DrawItem(TCanvas& canvas, const TMenuItem& item, const TRect& r,
                              bool selected) {
  if (item.IsLine()) {
    const auto* separator = dynamic_cast<const TBrndSeparatorItem*>(&item);
    if (separator && separator->Blank) return;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = RGBColor(65, 93, 75);
    const int y = (r.Top + r.Bottom) / 2;
    canvas.FillRect({r.Left + 3, y, r.Right - 3, y + 1});
    return;
  }
  if (selected && item.Enabled) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = kSelected;
    canvas.FillRect(r);
    canvas.Brush.Color = kFrame;
    canvas.FrameRect(r);
  }
  TPopupMenu::DrawItem(canvas, item, r, false); // marks, arrow and caption
  const auto* brnd = dynamic_cast<const TBrndCustomItem*>(&item);
  if (brnd && !brnd->ShortCut.IsEmpty()) {
    canvas.Font = Font;
    canvas.Font.Color = item.Enabled ? kInk : kDisabled;
    canvas.Brush.Style = bsClear;
    canvas.TextRect({r.Left, r.Top, r.Right - kArrowSpace, r.Bottom}, brnd->ShortCut.Text(),
                    tfRight | tfVerticalCenter);
  }
}

TBrndItem* AddMenuItem(TBrndPopupMenu* menu, TMenuItem* parent, const std::string& caption,
                       std::intptr_t tag, TNotifyEvent onClick) {
  auto* item = new TBrndItem(menu);
  item->Caption = caption;
  item->Tag = tag;
  item->OnClick = std::move(onClick);
  (parent ? parent : menu->Items())->Add(item);
  return item;
}

TBrndItem* AddRadioMenuItem(TBrndPopupMenu* menu, TMenuItem* parent, const std::string& caption,
                            int group, TNotifyEvent onClick, std::intptr_t tag) {
  TBrndItem* item = AddMenuItem(menu, parent, caption, tag, std::move(onClick));
  item->RadioItem = true;
  item->GroupIndex = group;
  return item;
}

TBrndSubmenuItem* AddSubmenu(TBrndPopupMenu* menu, TMenuItem* parent, const std::string& caption) {
  auto* item = new TBrndSubmenuItem(menu);
  item->Caption = caption;
  (parent ? parent : menu->Items())->Add(item);
  return item;
}

TBrndSeparatorItem* AddSeparator(TBrndPopupMenu* menu, TMenuItem* parent) {
  auto* item = new TBrndSeparatorItem(menu);
  (parent ? parent : menu->Items())->Add(item);
  return item;
}
