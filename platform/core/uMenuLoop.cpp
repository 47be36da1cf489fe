#include "platform/core/uMenuLoop.h"

#include <algorithm>

#include "platform/core/uApplication.h"

namespace {
constexpr int kBorder = 2;
} // namespace

// --- the loop -------------------------------------------------------------------

TMenuLoop::TMenuLoop(TPopupMenu& menu) : FMenu(menu), FSubmenuTimer(nullptr) {
  FSubmenuTimer.SetEnabled(false);
  FSubmenuTimer.OnTimer = [this](TObject*) {
    FSubmenuTimer.SetEnabled(false);
    OpenSelectedSubmenu();
  };
}

TMenuLoop::~TMenuLoop() { CloseFrom(0); }

TMenuItem* TMenuLoop::Run(TPoint screen) {
  Open(FMenu.Items(), screen, {});
  if (FLevels.empty()) return nullptr;
  FLevels[0].Window->SetMouseGrab(true);
  // A cancelled loop (its editor is closing) chooses nothing.
  if (!Application->RunModalLoop([this] { return FDone; })) FChosen = nullptr;
  CloseFrom(0);
  return FChosen;
}

int TMenuLoop::Selected(const TMenuWindow* window) const {
  for (const TLevel& level : FLevels)
    if (level.Window == window) return level.Selected;
  return -1;
}

void TMenuLoop::Open(TMenuItem* item, TPoint screen, const TRect& besideRow) {
  auto* window = new TMenuWindow(*this, *item);
  const int width = window->Width(), height = window->Height();
  const TRect work = Application->RequirePlatform().WorkAreaAt(screen);
  int x = screen.X, y = screen.Y;
  if (!besideRow.IsEmpty()) {
    // A submenu opens to the right of its row, or to the left where the screen ends.
    x = besideRow.Right;
    y = besideRow.Top - kBorder;
    if (x + width > work.Right) x = besideRow.Left - width;
  } else if (x + width > work.Right) {
    x = work.Right - width;
  }
  if (y + height > work.Bottom)
    y = besideRow.IsEmpty() && screen.Y - height >= work.Top ? screen.Y - height
                                                               : work.Bottom - height;
  x = std::max(x, work.Left);
  y = std::max(y, work.Top);
  window->SetBounds(x, y, width, height);
  FLevels.push_back({item, window, -1});
  window->Show();
}

void TMenuLoop::CloseFrom(std::size_t level) {
  while (FLevels.size() > level) {
    TMenuWindow* window = FLevels.back().Window;
    FLevels.pop_back();
    window->SetMouseGrab(false);
    delete window;
  }
  if (!FLevels.empty() && level > 0) FLevels[0].Window->SetMouseGrab(true);
}

void TMenuLoop::Finish(TMenuItem* chosen) {
  FChosen = chosen;
  FDone = true;
  FSubmenuTimer.SetEnabled(false);
}

void TMenuLoop::Select(std::size_t level, int index) {
  TLevel& l = FLevels[level];
  if (l.Selected == index) return;
  l.Selected = index;
  l.Window->Invalidate();
}

void TMenuLoop::OpenSelectedSubmenu() {
  if (FLevels.empty()) return;
  // The deepest level with a selection decides.
  std::size_t level = FLevels.size() - 1;
  while (level > 0 && FLevels[level].Selected < 0) --level;
  const TLevel& l = FLevels[level];
  if (l.Selected < 0) return;
  TMenuItem* item = l.Item->Items(l.Selected);
  if (level + 1 < FLevels.size() && FLevels[level + 1].Item == item) return; // already open
  CloseFrom(level + 1);
  if (!item->HasSubmenu() || !item->Enabled) return;
  const TRect row = l.Window->Rows()[static_cast<std::size_t>(l.Selected)];
  const TRect screenRow = row.Offset(l.Window->Left(), l.Window->Top());
  Open(item, {screenRow.Right, screenRow.Top}, screenRow);
}

void TMenuLoop::Activate(std::size_t level, int index) {
  if (index < 0) return;
  TMenuItem* item = FLevels[level].Item->Items(index);
  if (!item->Enabled || item->IsLine()) return;
  if (item->HasSubmenu()) {
    Select(level, index);
    OpenSelectedSubmenu();
    if (FLevels.size() > level + 1) Select(level + 1, Step(level + 1, -1, 1));
    return;
  }
  Finish(item);
}

std::pair<int, int> TMenuLoop::HitTest(TPoint screen) const {
  for (int level = static_cast<int>(FLevels.size()) - 1; level >= 0; --level) {
    const TMenuWindow* window = FLevels[static_cast<std::size_t>(level)].Window;
    const TPoint local{screen.X - window->Left(), screen.Y - window->Top()};
    if (!window->ClientRect().Contains(local)) continue;
    const auto& rows = window->Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].Contains(local)) return {level, static_cast<int>(i)};
    return {level, -1};
  }
  return {-1, -1};
}

int TMenuLoop::Step(std::size_t level, int from, int direction) const {
  const TLevel& l = FLevels[level];
  const int count = l.Item->Count();
  for (int tries = 0, i = from; tries < count; ++tries) {
    i = (i + direction + count) % count;
    const TMenuItem* item = l.Item->Items(i);
    if (item->Visible && !item->IsLine()) return i;
  }
  return -1;
}

void TMenuLoop::MouseMove(TPoint screen) {
  const auto [level, row] = HitTest(screen);
  if (level < 0) return;
  const auto l = static_cast<std::size_t>(level);
  const bool line = row >= 0 && FLevels[l].Item->Items(row)->IsLine();
  Select(l, line ? -1 : row);
  // Resting on a row opens its submenu (or closes the deeper one) after the delay.
  if (FMenu.SubmenuDelayMs == 0) {
    FSubmenuTimer.SetEnabled(false);
    OpenSelectedSubmenu();
  } else if (row >= 0 && !line) {
    FSubmenuTimer.SetInterval(FMenu.SubmenuDelayMs);
    FSubmenuTimer.SetEnabled(true);
  }
}

void TMenuLoop::MouseDown(TPoint screen) {
  const auto [level, row] = HitTest(screen);
  if (level < 0) {
    Finish(nullptr); // a press outside closes the menu
    return;
  }
  if (row >= 0 && FLevels[static_cast<std::size_t>(level)].Item->Items(row)->HasSubmenu())
    Activate(static_cast<std::size_t>(level), row);
}

void TMenuLoop::MouseUp(TPoint screen) {
  const auto [level, row] = HitTest(screen);
  if (level < 0 || row < 0) return;
  const TMenuItem* item = FLevels[static_cast<std::size_t>(level)].Item->Items(row);
  if (!item->HasSubmenu()) Activate(static_cast<std::size_t>(level), row);
}

void TMenuLoop::KeyDown(std::uint16_t key) {
  if (FLevels.empty()) return;
  const std::size_t level = FLevels.size() - 1;
  const int selected = FLevels[level].Selected;
  switch (key) {
  case vkDown: Select(level, Step(level, selected < 0 ? -1 : selected, 1)); break;
  case vkUp: Select(level, Step(level, selected < 0 ? 0 : selected, -1)); break;
  case vkHome: Select(level, Step(level, -1, 1)); break;
  case vkEnd: Select(level, Step(level, 0, -1)); break;
  case vkRight:
    if (selected >= 0 && FLevels[level].Item->Items(selected)->HasSubmenu())
      Activate(level, selected);
    break;
  case vkLeft:
    if (level > 0) CloseFrom(level);
    break;
  case vkReturn:
  case vkSpace: Activate(level, selected); break;
  case vkEscape:
    if (level > 0)
      CloseFrom(level);
    else
      Finish(nullptr);
    break;
  case vkMenu: Finish(nullptr); break; // Alt closes every level
  default: break;
  }
}

// --- the windows ----------------------------------------------------------------

TMenuWindow::TMenuWindow(TMenuLoop& loop, TMenuItem& item)
    : TForm(nullptr), FLoop(loop), FItem(item) {
  WindowKind = qvt::wkMenu;
  BorderStyle = bsNone;
  Topmost = true;
  TBitmap measure(1, 1);
  TCanvas canvas(&measure);
  int width = 80, top = kBorder;
  for (int i = 0; i < item.Count(); ++i) {
    const TMenuItem* child = item.Items(i);
    if (!child->Visible) {
      FRows.push_back({});
      continue;
    }
    const TSize size = loop.Menu().MeasureItem(canvas, *child);
    width = std::max(width, size.Width);
    FRows.push_back({kBorder, top, 0, top + size.Height});
    top += size.Height;
  }
  for (std::size_t i = 0; i < FRows.size(); ++i)
    if (item.Items(static_cast<int>(i))->Visible) FRows[i].Right = kBorder + width;
  SetBounds(0, 0, width + 2 * kBorder, top + kBorder);
}

TPoint TMenuWindow::ToScreen(int x, int y) const { return {Left() + x, Top() + y}; }

void TMenuWindow::Paint() {
  FLoop.Menu().DrawBackground(Canvas(), ClientRect());
  const int selected = FLoop.Selected(this);
  for (std::size_t i = 0; i < FRows.size(); ++i)
    if (FItem.Items(static_cast<int>(i))->Visible)
      FLoop.Menu().DrawItem(Canvas(), *FItem.Items(static_cast<int>(i)), FRows[i],
                            static_cast<int>(i) == selected);
}

void TMenuWindow::MouseMove(TShiftState Shift, int X, int Y) {
  TForm::MouseMove(Shift, X, Y);
  FLoop.MouseMove(ToScreen(X, Y));
}

void TMenuWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TForm::MouseDown(Button, Shift, X, Y);
  FLoop.MouseDown(ToScreen(X, Y));
}

void TMenuWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TForm::MouseUp(Button, Shift, X, Y);
  FLoop.MouseUp(ToScreen(X, Y));
}

void TMenuWindow::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  FLoop.KeyDown(Key);
  Key = 0;
  (void)Shift;
}
