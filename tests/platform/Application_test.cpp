// The message pump: deferred calls, modal loops, releasing forms, message boxes
// and context menus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/uMenus.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uTimer.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class Pump : public HeadlessTest {};

TEST_F(Pump, ADeferredCallRunsAfterTheInputThatWasAlreadyWaiting) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 50, 50));
  std::vector<std::string> order;
  probe->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    order.push_back("down");
    Application->PostCall(probe, [&] { order.push_back("deferred"); });
  };
  probe->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { order.push_back("up"); };

  Application->PostMouseDown(*Form, mbLeft, 0, 5, 5);
  Application->PostMouseUp(*Form, mbLeft, 0, 5, 5);
  Application->ProcessMessages();
  EXPECT_EQ(order, (std::vector<std::string>{"down", "up", "deferred"}));
}

TEST_F(Pump, ADeferredCallIsDroppedWhenItsTargetIsFreedFirst) {
  auto* probe = new ProbeControl(Form);
  bool ran = false;
  Application->PostCall(probe, [&] { ran = true; });
  delete probe;
  Application->ProcessMessages();
  EXPECT_FALSE(ran);
}

TEST_F(Pump, ReleaseFreesTheFormAfterThePendingMessages) {
  auto* popup = new TForm(nullptr);
  bool freedBeforeCall = false;
  popup->Show();
  Application->PostCall(nullptr, [&] { freedBeforeCall = Application->Forms().size() == 1; });
  popup->Release();
  Application->ProcessMessages();
  EXPECT_FALSE(freedBeforeCall);
  EXPECT_EQ(Application->Forms().size(), 1u);
}

class ModalForms : public HeadlessTest {};

TEST_F(ModalForms, ShowModalReturnsWhenTheFormClosesAndOtherFormsGetNoInput) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 50, 50));
  TForm dialog(nullptr);
  dialog.SetBounds(300, 300, 100, 80);

  Platform.Then([&] { Platform.Click(*Form, 10, 10); });
  Platform.Then([&] { Platform.AdvanceTime(1000); });
  Platform.Then([&] { dialog.Close(); });
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_TRUE(probe->Log.empty());
  EXPECT_EQ(Platform.StepsLeft(), 0u);
}

TEST_F(ModalForms, TimersRunInsideAModalLoopThatItsResultEndsUnlessCloseQueryRefuses) {
  TForm dialog(nullptr);
  int asked = 0;
  dialog.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  TTimer timer(nullptr);
  timer.SetInterval(100);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks % 5 == 0) dialog.ModalResult = mrOk;
  };
  Platform.Then([&] { Platform.AdvanceTime(500); });
  Platform.Then([&] { Platform.AdvanceTime(500); });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(ticks, 10);
}

class Services : public HeadlessTest {};

TEST_F(Services, AMessageBoxTakesTheMouseFromAControlThatHeldIt) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 50, 50));
  probe->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {
    Application->MessageBox("Preset name is empty!", "Quivertone v2.2", qvt::mbIconWarning);
  };
  Platform.MouseDown(*Form, 5, 5);
  EXPECT_FALSE(probe->MouseCapture());
}

class CountingMenu : public TPopupMenu {
public:
  using TPopupMenu::TPopupMenu;
  std::vector<TPoint> Shown;
  void Popup(int x, int y) override {
    TPopupMenu::Popup(x, y);
    Shown.push_back({x, y});
  }
};

TEST_F(Services, ARightClickOpensTheContextMenuOfTheControlOrItsParentAtTheScreenPoint) {
  const auto host = Platform.CreateHostWindow(Bounds(1000, 500, 300, 300));
  Form->Hide();
  Form->WindowKind = qvt::wkPopup;
  TForm embedded(nullptr);
  embedded.WindowKind = qvt::wkChild;
  embedded.SetParentWindow(host);
  embedded.SetBounds(0, 0, 100, 100);
  embedded.Show();
  CountingMenu menu(&embedded);
  new ProbeControl(&embedded, Bounds(10, 10, 30, 30));
  embedded.PopupMenu = &menu;

  Platform.Click(embedded, 20, 25, mbRight);
  ASSERT_EQ(menu.Shown.size(), 1u);
  EXPECT_EQ(menu.Shown[0], (TPoint{1020, 525}));
  EXPECT_EQ(menu.PopupComponent(), &embedded);

  menu.AutoPopup = false;
  Platform.Click(embedded, 20, 25, mbRight);
  EXPECT_EQ(menu.Shown.size(), 1u);
}

} // namespace
