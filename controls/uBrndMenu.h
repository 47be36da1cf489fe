// TBrndPopupMenu: the editor's pop-up menus, drawn by the plug-in in its own
// colours on the framework's menu loop. Items are built with AddMenuItem,
// AddRadioMenuItem, AddSubmenu and AddSeparator; commands are told apart by
// their Tag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/core/uMenus.h"

enum TBrndDisplayMode : std::uint8_t {
  nbdmDefault,
  nbdmTextOnly,
  nbdmTextOnlyInMenus,
  nbdmImageAndText
};

// A key and its modifiers, as the menus show them ("Ctrl+X").
struct TShortCut {
  std::uint16_t Key = 0;
  TShiftState Shift = 0;
  bool IsEmpty() const { return Key == 0; }
  std::string Text() const;
  friend bool operator==(const TShortCut&, const TShortCut&) = default;
};

class TBrndCustomItem : public TMenuItem {
public:
  using TMenuItem::TMenuItem;
  TShortCut ShortCut;
  std::string Hint;
  int HelpContext = 0;
  int ImageIndex = -1;
  TBrndDisplayMode DisplayMode = nbdmDefault;
  bool InheritOptions = true;
  TNotifyEvent OnSelect;
};

class TBrndItem : public TBrndCustomItem {
public:
  using TBrndCustomItem::TBrndCustomItem;
};

class TBrndSubmenuItem : public TBrndCustomItem {
public:
  using TBrndCustomItem::TBrndCustomItem;
  bool DropdownCombo = false;
  TNotifyEvent OnPopup;
};

class TBrndSeparatorItem : public TBrndCustomItem {
public:
  explicit TBrndSeparatorItem(TComponent* AOwner) : TBrndCustomItem(AOwner) {
    Caption.assign(1, '-');
  }
  bool Blank = false; // empty space instead of a line
};

class TBrndPopupMenu : public TPopupMenu {
public:
  explicit TBrndPopupMenu(TComponent* AOwner);

  // Runs the command whose shortcut this is; answers whether one matched.
  bool IsShortCut(std::uint16_t key, TShiftState shift);

  TSize MeasureItem(TCanvas& canvas, const TMenuItem& item) override;
  void DrawItem(TCanvas& canvas, const TMenuItem& item, const TRect& r, bool selected) override;

protected:
  void PlaySound(const char* eventName) override;
};

// The building operations: each item is owned by the menu and appended to
// `parent`, or to the menu's root when that is null.
TBrndItem* AddMenuItem(TBrndPopupMenu* menu, TMenuItem* parent, const std::string& caption,
                       std::intptr_t tag, TNotifyEvent onClick);
TBrndItem* AddRadioMenuItem(TBrndPopupMenu* menu, TMenuItem* parent, const std::string& caption,
                            int group, TNotifyEvent onClick, std::intptr_t tag);
TBrndSubmenuItem* AddSubmenu(TBrndPopupMenu* menu, TMenuItem* parent, const std::string& caption);
TBrndSeparatorItem* AddSeparator(TBrndPopupMenu* menu, TMenuItem* parent);

namespace qvt {
// The submenu delay from the per-user value "MenuShowDelay" (text): 400 ms
// when it is missing, 0 when it is not a number.
unsigned MenuShowDelay(const std::optional<std::string>& value);
} // namespace qvt
