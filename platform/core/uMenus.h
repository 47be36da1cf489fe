// Pop-up menus: TMenuItem trees and TPopupMenu, which shows them in menu
// windows of its own and runs the menu loop. A control's PopupMenu opens on a
// right-button release over it. Skinned menus derive from TPopupMenu and draw
// the items their way (the Measure and Draw hooks).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/uCanvas.h"
#include "platform/core/uComponent.h"
#include "platform/core/uTypes.h"

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  std::string Caption; // Windows-1252; "-" is a separator line
  bool Enabled = true;
  bool Visible = true;
  bool Checked = false;
  bool AutoCheck = false; // choosing it toggles Checked
  bool RadioItem = false; // with GroupIndex: one checked item per group
  int GroupIndex = 0;
  TNotifyEvent OnClick;

  bool IsLine() const { return Caption == "-"; }
  // Children (a submenu when there are any), in order; the item does not own them.
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems[static_cast<std::size_t>(index)]; }
  TMenuItem* Parent() const { return FParent; }
  bool HasSubmenu() const;
  // The item was chosen: AutoCheck and radio groups, then OnClick.
  virtual void Click();

private:
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
};

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner);

  bool AutoPopup = true;
  TNotifyEvent OnPopup;
  // How long the pointer rests on a submenu item before it opens.
  unsigned SubmenuDelayMs = 400;

  // The root of the item tree, owned by the menu.
  TMenuItem* Items() const { return FItems; }

  // Shows the menu with its top-left at a screen point (moved to stay inside
  // the work area of that point's monitor) and returns once it has closed.
  // A chosen command runs after the menu windows are gone. Escape, a press
  // outside the menu or the closing of its editor close it without a choice.
  virtual void Popup(int X, int Y);
  // The control that opened the menu last.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* component);

  // Drawing of the menu windows; skinned menus override these.
  virtual TSize MeasureItem(TCanvas& canvas, const TMenuItem& item);
  virtual void DrawBackground(TCanvas& canvas, const TRect& r);
  virtual void DrawItem(TCanvas& canvas, const TMenuItem& item, const TRect& r, bool selected);
  TFont Font;
  TColor FrameColor; // the one-pixel frame around each menu window

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The event sounds "MenuPopup" and "MenuCommand", through the platform.
  virtual void PlaySound(const char* eventName);

private:
  TMenuItem* FItems;
  TComponent* FPopupComponent = nullptr;
};
