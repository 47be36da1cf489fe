#include "platform/core/uMenus.h"

#include <algorithm>

#include "platform/core/uApplication.h"
#include "platform/core/uDialogControls.h"
#include "platform/core/uMenuLoop.h"

namespace {

constexpr TColor kMenuFace = qvt::kDialogFace;
constexpr TColor kMenuInk = qvt::kDialogInk;
constexpr TColor kMenuSelected = RGBColor(62, 96, 78);
constexpr TColor kMenuDisabled = RGBColor(104, 136, 112);
constexpr int kRowHeight = 19;
constexpr int kLineHeight = 7;
constexpr int kGutter = 22; // check marks and radio dots
constexpr int kArrowSpace = 20;

std::string WithoutAccelerators(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

} // namespace

// --- TMenuItem --------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  for (TMenuItem* child : FItems) child->FParent = nullptr;
}

void TMenuItem::Add(TMenuItem* item) {
  if (!item || item == this) return;
  if (item->FParent) item->FParent->Remove(item);
  item->FParent = this;
  FItems.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  if (!item || item->FParent != this) return;
  std::erase(FItems, item);
  item->FParent = nullptr;
}

bool TMenuItem::HasSubmenu() const {
  return std::any_of(FItems.begin(), FItems.end(), [](const TMenuItem* i) { return i->Visible; });
}

void TMenuItem::Click() {
  if (RadioItem && FParent) {
    for (TMenuItem* sibling : FParent->FItems)
      if (sibling->RadioItem && sibling->GroupIndex == GroupIndex) sibling->Checked = false;
    Checked = true;
  } else if (AutoCheck) {
    Checked = !Checked;
  }
  if (OnClick) OnClick(this);
}

// --- TPopupMenu -------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) {
  Font.Name = "Tahoma";
  Font.Height = -11;
  Font.Color = kMenuInk;
  FrameColor = kMenuInk;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  if (!Application->Platform() || !FItems->HasSubmenu()) return;
  TMenuItem* chosen = nullptr;
  {
    PlaySound("MenuPopup");
    TMenuLoop loop(*this);
    chosen = loop.Run({X, Y});
  }
  // The command runs once the menu windows are gone (it may open a dialog).
  if (chosen) {
    PlaySound("MenuCommand");
    chosen->Click();
  }
}

void TPopupMenu::PlaySound(const char* eventName) {
  if (Application->Platform()) Application->Platform()->PlaySystemSound(eventName);
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
  if (FPopupComponent) RemoveFreeNotification(FPopupComponent);
  FPopupComponent = component;
  if (component) FreeNotification(component);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

TSize TPopupMenu::MeasureItem(TCanvas& canvas, const TMenuItem& item) {
  if (item.IsLine()) return {0, kLineHeight};
  canvas.Font = Font;
  return {kGutter + canvas.TextWidth(WithoutAccelerators(item.Caption)) + kArrowSpace, kRowHeight};
}

void TPopupMenu::DrawBackground(TCanvas& canvas, const TRect& r) {
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = kMenuFace;
  canvas.FillRect(r);
  canvas.Brush.Color = FrameColor;
  canvas.FrameRect(r);
}

void TPopupMenu::DrawItem(TCanvas& canvas, const TMenuItem& item, const TRect& r, bool selected) {
  if (item.IsLine()) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = kMenuDisabled;
    const int y = (r.Top + r.Bottom) / 2;
    canvas.FillRect({r.Left + 4, y, r.Right - 4, y + 1});
    return;
  }
  if (selected) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = kMenuSelected;
    canvas.FillRect(r);
  }
  const TColor ink = item.Enabled ? kMenuInk : kMenuDisabled;
  canvas.Pen.Color = ink;
  canvas.Brush.Color = ink;
  const int midY = (r.Top + r.Bottom) / 2;
  if (item.Checked && item.RadioItem) {
    canvas.Brush.Style = bsSolid;
    canvas.FillRect({r.Left + 8, midY - 2, r.Left + 13, midY + 3});
  } else if (item.Checked) {
    canvas.MoveTo(r.Left + 7, midY);
    canvas.LineTo(r.Left + 10, midY + 3);
    canvas.LineTo(r.Left + 15, midY - 3);
    canvas.MoveTo(r.Left + 7, midY + 1);
    canvas.LineTo(r.Left + 10, midY + 4);
    canvas.LineTo(r.Left + 15, midY - 2);
  }
  if (item.HasSubmenu()) {
    canvas.Brush.Style = bsSolid;
    canvas.Polygon({{r.Right - 12, midY - 4}, {r.Right - 8, midY}, {r.Right - 12, midY + 4}});
  }
  canvas.Font = Font;
  canvas.Font.Color = ink;
  canvas.Brush.Style = bsClear;
  canvas.TextRect({r.Left + kGutter, r.Top, r.Right - kArrowSpace, r.Bottom},
                  WithoutAccelerators(item.Caption), tfVerticalCenter | tfEndEllipsis);
}
