// The menu loop behind TPopupMenu::Popup: the open levels of a menu (the root
// and any submenus), each in a menu window, and the input that moves through
// them. The root window holds the pointer and the keyboard while the menu is
// open, so every event of the session reaches it.
#pragma once

#include <vector>

#include "platform/core/uForms.h"
#include "platform/core/uMenus.h"
#include "platform/core/uTimer.h"

class TMenuWindow;

class TMenuLoop {
public:
  explicit TMenuLoop(TPopupMenu& menu);
  ~TMenuLoop();
  TMenuLoop(const TMenuLoop&) = delete;
  TMenuLoop& operator=(const TMenuLoop&) = delete;

  // Shows the root level at a screen point and handles messages until the
  // menu closes; answers the command chosen, or null.
  TMenuItem* Run(TPoint screen);

  // Input of any menu window, in screen coordinates.
  void MouseMove(TPoint screen);
  void MouseDown(TPoint screen);
  void MouseUp(TPoint screen);
  void KeyDown(std::uint16_t key);

  // What the windows draw.
  TPopupMenu& Menu() { return FMenu; }
  int Selected(const TMenuWindow* window) const;
  int LevelCount() const { return static_cast<int>(FLevels.size()); }
  TMenuWindow* Level(int index) const { return FLevels[static_cast<std::size_t>(index)].Window; }

private:
  struct TLevel {
    TMenuItem* Item = nullptr; // whose children this level shows
    TMenuWindow* Window = nullptr;
    int Selected = -1;
  };

  void Open(TMenuItem* item, TPoint screen, const TRect& besideRow);
  void CloseFrom(std::size_t level);
  void Finish(TMenuItem* chosen);
  void Select(std::size_t level, int index);
  void Activate(std::size_t level, int index);
  void OpenSelectedSubmenu();
  // The level and row under a screen point (level -1: outside the menu).
  std::pair<int, int> HitTest(TPoint screen) const;
  int Step(std::size_t level, int from, int direction) const;

  TPopupMenu& FMenu;
  std::vector<TLevel> FLevels;
  TTimer FSubmenuTimer;
  TMenuItem* FChosen = nullptr;
  bool FDone = false;
};

// One level of an open menu: a borderless menu window listing the children of an item.
class TMenuWindow : public TForm {
public:
  TMenuWindow(TMenuLoop& loop, TMenuItem& item);

  TMenuItem& Item() const { return FItem; }
  // The row of each child (empty for invisible ones), in client coordinates.
  const std::vector<TRect>& Rows() const { return FRows; }

  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(std::uint16_t& Key, TShiftState Shift) override;

private:
  TPoint ToScreen(int x, int y) const;

  TMenuLoop& FLoop;
  TMenuItem& FItem;
  std::vector<TRect> FRows;
};
